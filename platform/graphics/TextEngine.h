#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/graphics/TextLayout.h"

#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

typedef struct _PangoFontMap PangoFontMap;
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;
struct _cairo;

namespace graphics {

class Font;

// The one Pango font map and the contexts, font descriptions and layouts built on it, shared by
// Font and TextLayout. Everything goes through one lock: Pango objects are not thread-safe.
class TextEngine final {
public:
    static TextEngine& shared();

    struct Metrics {
        double ascent = 0;
        double descent = 0;
    };
    Metrics metrics(const Font&);

    struct Request {
        std::string_view text;
        const Font* font = nullptr;
        double width = 0; // <= 0: no wrapping
        int maxLines = 0;
        LineBreakMode mode = LineBreakMode::WordWrap;
        TextAlignment alignment = TextAlignment::Left;
        double heightLimit = 0; // > 0: truncating modes ellipsize at this height
    };
    struct Measure {
        Size size;
        int lines = 0;
        int keptLines = 0;
        double keptBottom = 0;
    };
    Measure measure(const Request&);
    void draw(_cairo*, const Request&, Rect rect, Color color);
    std::string resolvedFamily(std::string_view text, const Font&);
    void clearCache();
    // Layouts the drawing cache may hold now (for tests and the benchmark).
    size_t drawCacheCapacity();

    static constexpr size_t kInitialCachedLayouts = 512;
    static constexpr size_t kMaxCachedLayouts = 8192;

private:
    TextEngine();

    struct CachedLayout {
        PangoLayout* layout;
        Measure measure;
        std::list<std::string>::iterator order;
    };
    // Least recently used first out, starting at a few hundred layouts and growing (to a cap)
    // while keys come back soon after their eviction: a screen of more labels than the cache holds
    // would otherwise make every layout anew on every frame.
    struct LayoutCache {
        std::unordered_map<std::string, CachedLayout> entries;
        std::list<std::string> order; // most recently used first
        size_t capacity = kInitialCachedLayouts;
        std::unordered_set<size_t> evicted; // hashes of the keys evicted last, at most `capacity`
        std::deque<size_t> evictionOrder;
    };

    PangoFontDescription* description(const Font&);
    CachedLayout& layout(PangoContext*, LayoutCache&, const Request&);
    PangoLayout* createLayout(PangoContext*, const Request&, Measure&);
    void clear(LayoutCache&);

    std::mutex m_mutex;
    PangoFontMap* m_fontMap = nullptr;
    PangoContext* m_measureContext = nullptr;
    PangoContext* m_drawContext = nullptr;
    LayoutCache m_measureLayouts;
    LayoutCache m_drawLayouts;
    std::map<std::string, PangoFontDescription*> m_descriptions;
    std::map<std::string, Metrics> m_metrics;
};

} // namespace graphics
