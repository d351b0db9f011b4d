#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <string>
#include <string_view>

namespace graphics {

class Font;
class GraphicsContext;

enum class TextAlignment { Left, Center, Right, Justified, Natural };
enum class LineBreakMode { WordWrap, CharWrap, Clip, TruncateHead, TruncateTail, TruncateMiddle };

// Measuring and drawing text on Pango. Layouts are cached, since measuring runs on every layout
// pass. Safe to call from any thread (one lock around the shared text engine).
struct TextLayout {
    // Size of the text wrapped at maxWidth (0 or less: no limit), at most maxLines lines (0: all).
    // Every mode wraps (truncating ones by word); the truncating modes ellipsize the last line
    // kept by maxLines. Clip with maxLines 1 keeps the text on one unwrapped line.
    static Size boundingSize(std::string_view text, const Font&, double maxWidth, int maxLines = 0,
        LineBreakMode = LineBreakMode::WordWrap);
    // Width of the text on one line, unwrapped.
    static double lineWidth(std::string_view text, const Font&);
    // Draws the text from the top of `rect`, wrapped at its width. Lines past maxLines are cut;
    // truncating modes ellipsize the last line that fits maxLines (or the rect when maxLines is 0).
    static void draw(GraphicsContext&, std::string_view text, const Font&, Rect, Color,
        TextAlignment = TextAlignment::Natural, int maxLines = 0, LineBreakMode = LineBreakMode::WordWrap);
    // Number of lines the text takes at the given width (after maxLines).
    static int lineCount(std::string_view text, const Font&, double maxWidth, int maxLines = 0,
        LineBreakMode = LineBreakMode::WordWrap);
    // Family of the face that renders the first character of `text` (tests and diagnostics).
    static std::string resolvedFamily(std::string_view text, const Font&);
    // Drops every cached layout.
    static void clearCache();
};

} // namespace graphics
