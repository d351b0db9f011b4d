#include "platform/graphics/TextLayout.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"

namespace graphics {

Size TextLayout::boundingSize(std::string_view, const Font&, double, int, LineBreakMode)
{
    return {};
}
double TextLayout::lineWidth(std::string_view, const Font&)
{
    return 0;
}
void TextLayout::draw(
    GraphicsContext&, std::string_view, const Font&, Rect, Color, TextAlignment, int, LineBreakMode)
{ }
int TextLayout::lineCount(std::string_view, const Font&, double, int, LineBreakMode)
{
    return 0;
}
std::string TextLayout::resolvedFamily(std::string_view, const Font&)
{
    return {};
}
void TextLayout::clearCache()
{ }

} // namespace graphics
