#include "platform/graphics/TextLayout.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextEngine.h"

namespace graphics {

Size TextLayout::boundingSize(
    std::string_view text, const Font& font, double maxWidth, int maxLines, LineBreakMode mode)
{
    return TextEngine::shared().measure({text, &font, maxWidth, std::max(0, maxLines), mode}).size;
}

double TextLayout::lineWidth(std::string_view text, const Font& font)
{
    return TextEngine::shared().measure({text, &font, 0, 1, LineBreakMode::Clip}).size.width;
}

int TextLayout::lineCount(
    std::string_view text, const Font& font, double maxWidth, int maxLines, LineBreakMode mode)
{
    return TextEngine::shared().measure({text, &font, maxWidth, std::max(0, maxLines), mode}).keptLines;
}

void TextLayout::draw(GraphicsContext& context, std::string_view text, const Font& font, Rect rect,
    Color color, TextAlignment alignment, int maxLines, LineBreakMode mode)
{
    if (rect.isNull())
        return;
    // The rect's height only matters to a truncating layout with no line limit: it ellipsizes the
    // last line that fits.
    bool truncating = mode == LineBreakMode::TruncateHead || mode == LineBreakMode::TruncateTail
        || mode == LineBreakMode::TruncateMiddle;
    double heightLimit = truncating && maxLines <= 0 ? rect.height() : 0;
    TextEngine::Request request {
        text, &font, rect.width(), std::max(0, maxLines), mode, alignment, heightLimit};
    TextEngine::shared().draw(
        context.cairo(), request, rect.standardized(), color.withAlpha(color.a * context.alpha()));
}

std::string TextLayout::resolvedFamily(std::string_view text, const Font& font)
{
    return TextEngine::shared().resolvedFamily(text, font);
}

void TextLayout::clearCache()
{
    TextEngine::shared().clearCache();
}

} // namespace graphics
