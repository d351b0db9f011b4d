#include "platform/graphics/TextEngine.h"

#include "platform/graphics/Font.h"

#include <algorithm>
#include <cmath>
#include <pango/pangocairo.h>

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps caches it never frees (also once everything else is released); without this,
// every sanitizer run of a program that draws text would end in a leak report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif

namespace graphics {

namespace {

int toPango(double points)
{
    return int(std::lround(points * PANGO_SCALE));
}
double fromPango(int units)
{
    return double(units) / PANGO_SCALE;
}

bool isTruncating(LineBreakMode mode)
{
    return mode == LineBreakMode::TruncateHead || mode == LineBreakMode::TruncateTail
        || mode == LineBreakMode::TruncateMiddle;
}

// One line that is clipped, not wrapped, as a one-line label in clipping mode shows it.
bool isSingleLineClip(const TextEngine::Request& r)
{
    return r.mode == LineBreakMode::Clip && r.maxLines == 1;
}

// Keys are looked up for every label on every frame: numbers go in as raw bytes, not as text.
template<class T> void appendBytes(std::string& key, T value)
{
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void appendFontKey(std::string& key, const Font& font)
{
    key += font.family();
    key += '\x1f';
    appendBytes(key, int(font.weight()));
    appendBytes(key, font.pointSize());
}

std::string fontKey(const Font& font)
{
    std::string key;
    appendFontKey(key, font);
    return key;
}

// Metrics must not depend on where the text is drawn: no hinted metrics, no rounded positions,
// so a label measured here lays out identically on a scale-2 screen.
void configureContext(PangoContext* context)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
    pango_cairo_context_set_resolution(context, 96);
}

// Bottom of line `index` (0-based), in Pango units.
int lineBottom(PangoLayout* layout, int index)
{
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int bottom = 0;
    for (int i = 0;; ++i) {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        bottom = logical.y + logical.height;
        if (i == index || !pango_layout_iter_next_line(iter))
            break;
    }
    pango_layout_iter_free(iter);
    return bottom;
}

} // namespace

TextEngine& TextEngine::shared()
{
    // Never destroyed: layouts may still be measured from other threads while the process exits.
    static TextEngine* engine = new TextEngine;
    return *engine;
}

TextEngine::TextEngine()
{
    m_fontMap = pango_cairo_font_map_new();
    m_measureContext = pango_font_map_create_context(m_fontMap);
    m_drawContext = pango_font_map_create_context(m_fontMap);
    configureContext(m_measureContext);
    configureContext(m_drawContext);
}

PangoFontDescription* TextEngine::description(const Font& font)
{
    auto key = fontKey(font);
    auto it = m_descriptions.find(key);
    if (it != m_descriptions.end())
        return it->second;
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, font.family().c_str());
    pango_font_description_set_weight(desc, PangoWeight(font.weight()));
    // Absolute: our points are pixels at scale 1, not 1/72 inch.
    pango_font_description_set_absolute_size(desc, std::max(1.0, font.pointSize() * PANGO_SCALE));
    m_descriptions.emplace(key, desc);
    return desc;
}

TextEngine::Metrics TextEngine::metrics(const Font& font)
{
    std::lock_guard lock(m_mutex);
    auto key = fontKey(font);
    auto it = m_metrics.find(key);
    if (it != m_metrics.end())
        return it->second;
    Metrics result;
    if (PangoFont* loaded = pango_font_map_load_font(m_fontMap, m_measureContext, description(font))) {
        PangoFontMetrics* fm = pango_font_get_metrics(loaded, nullptr);
        result.ascent = fromPango(pango_font_metrics_get_ascent(fm));
        result.descent = fromPango(pango_font_metrics_get_descent(fm));
        pango_font_metrics_unref(fm);
        g_object_unref(loaded);
    }
    m_metrics.emplace(key, result);
    return result;
}

PangoLayout* TextEngine::createLayout(PangoContext* context, const Request& r, Measure& m)
{
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, description(*r.font));
    pango_layout_set_text(layout, r.text.data(), int(r.text.size()));
    bool wraps = r.width > 0 && !isSingleLineClip(r);
    if (wraps) {
        pango_layout_set_width(layout, toPango(r.width));
        pango_layout_set_wrap(
            layout, r.mode == LineBreakMode::CharWrap ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    }
    switch (r.alignment) {
    case TextAlignment::Center:
        pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
        break;
    case TextAlignment::Right:
        pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT);
        break;
    case TextAlignment::Justified:
        pango_layout_set_justify(layout, TRUE);
        break;
    case TextAlignment::Left:
    case TextAlignment::Natural:
        break;
    }

    if (wraps && isTruncating(r.mode)) {
        int height = 0;
        if (r.maxLines == 1)
            height = -1;
        else if (r.maxLines > 1 && pango_layout_get_line_count(layout) > r.maxLines)
            // A positive height counts lines across paragraphs; a negative one would be per paragraph.
            height = lineBottom(layout, r.maxLines - 1);
        else if (r.maxLines == 0 && r.heightLimit > 0)
            height = toPango(r.heightLimit);
        if (height != 0) {
            pango_layout_set_height(layout, height);
            pango_layout_set_ellipsize(layout,
                r.mode == LineBreakMode::TruncateHead         ? PANGO_ELLIPSIZE_START
                    : r.mode == LineBreakMode::TruncateMiddle ? PANGO_ELLIPSIZE_MIDDLE
                                                              : PANGO_ELLIPSIZE_END);
        }
    }

    m = {};
    if (r.text.empty())
        return layout;
    m.lines = pango_layout_get_line_count(layout);
    m.keptLines = r.maxLines > 0 ? std::min(m.lines, r.maxLines) : m.lines;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int width = 0, bottom = 0;
    for (int i = 0; i < m.keptLines; ++i) {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        width = std::max(width, logical.width);
        bottom = logical.y + logical.height;
        if (!pango_layout_iter_next_line(iter))
            break;
    }
    pango_layout_iter_free(iter);
    m.size = {fromPango(width), fromPango(bottom)};
    m.keptBottom = fromPango(bottom);
    return layout;
}

TextEngine::CachedLayout& TextEngine::layout(PangoContext* context, LayoutCache& cache, const Request& r)
{
    std::string key;
    key.reserve(r.text.size() + r.font->family().size() + 40);
    key.append(r.text);
    key += '\x1f';
    appendFontKey(key, *r.font);
    appendBytes(key, toPango(r.width));
    appendBytes(key, r.maxLines);
    appendBytes(key, int(r.mode));
    appendBytes(key, int(r.alignment));
    appendBytes(key, toPango(r.heightLimit));
    auto it = cache.entries.find(key);
    if (it != cache.entries.end()) {
        cache.order.splice(cache.order.begin(), cache.order, it->second.order);
        return it->second;
    }
    size_t hash = std::hash<std::string> {}(key);
    if (cache.evicted.erase(hash) && cache.capacity < kMaxCachedLayouts)
        ++cache.capacity;
    while (cache.entries.size() >= cache.capacity) {
        auto oldest = cache.entries.find(cache.order.back());
        g_object_unref(oldest->second.layout);
        size_t evicted = std::hash<std::string> {}(oldest->first);
        cache.entries.erase(oldest);
        cache.order.pop_back();
        if (cache.evicted.insert(evicted).second)
            cache.evictionOrder.push_back(evicted);
        while (cache.evictionOrder.size() > cache.capacity) {
            cache.evicted.erase(cache.evictionOrder.front());
            cache.evictionOrder.pop_front();
        }
    }
    Measure measure;
    PangoLayout* created = createLayout(context, r, measure);
    cache.order.push_front(key);
    auto [inserted, _] = cache.entries.emplace(key, CachedLayout {created, measure, cache.order.begin()});
    return inserted->second;
}

TextEngine::Measure TextEngine::measure(const Request& r)
{
    std::lock_guard lock(m_mutex);
    Request left = r;
    left.alignment = TextAlignment::Left;
    return layout(m_measureContext, m_measureLayouts, left).measure;
}

void TextEngine::draw(cairo_t* cr, const Request& r, Rect rect, Color color)
{
    if (r.text.empty() || color.a <= 0)
        return;
    std::lock_guard lock(m_mutex);
    // Takes the rotation and scale of the target; unchanged ones keep cached layouts valid.
    pango_cairo_update_context(cr, m_drawContext);
    auto& entry = layout(m_drawContext, m_drawLayouts, r);
    cairo_save(cr);
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
    double x = rect.origin.x;
    bool clipsLines = entry.measure.keptLines < entry.measure.lines;
    if (isSingleLineClip(r)) {
        double free = rect.width() - entry.measure.size.width;
        if (r.alignment == TextAlignment::Center)
            x += free / 2;
        else if (r.alignment == TextAlignment::Right)
            x += free;
        cairo_rectangle(cr, rect.origin.x, rect.origin.y - rect.height(), rect.width(), 3 * rect.height());
        cairo_clip(cr);
    } else if (clipsLines) {
        // Lines past maxLines are cut off; leave room sideways for glyph overhang.
        cairo_rectangle(cr, rect.origin.x - rect.width(), rect.origin.y - entry.measure.keptBottom,
            3 * rect.width(), 2 * entry.measure.keptBottom);
        cairo_clip(cr);
    }
    cairo_move_to(cr, x, rect.origin.y);
    pango_cairo_show_layout(cr, entry.layout);
    cairo_restore(cr);
}

std::string TextEngine::resolvedFamily(std::string_view text, const Font& font)
{
    std::lock_guard lock(m_mutex);
    Request r {text, &font};
    auto& entry = layout(m_measureContext, m_measureLayouts, r);
    std::string family;
    PangoLayoutLine* line = pango_layout_get_line_readonly(entry.layout, 0);
    if (line && line->runs) {
        auto* run = static_cast<PangoGlyphItem*>(line->runs->data);
        if (run->item && run->item->analysis.font) {
            PangoFontDescription* desc = pango_font_describe(run->item->analysis.font);
            if (const char* name = pango_font_description_get_family(desc))
                family = name;
            pango_font_description_free(desc);
        }
    }
    return family;
}

void TextEngine::clear(LayoutCache& cache)
{
    for (auto& [key, entry] : cache.entries)
        g_object_unref(entry.layout);
    cache.entries.clear();
    cache.order.clear();
    cache.evicted.clear();
    cache.evictionOrder.clear();
    cache.capacity = kInitialCachedLayouts;
}

size_t TextEngine::drawCacheCapacity()
{
    std::lock_guard lock(m_mutex);
    return m_drawLayouts.capacity;
}

void TextEngine::clearCache()
{
    std::lock_guard lock(m_mutex);
    clear(m_measureLayouts);
    clear(m_drawLayouts);
}

} // namespace graphics
