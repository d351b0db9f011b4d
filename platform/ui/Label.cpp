#include "platform/ui/Label.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Font;
using graphics::Rect;
using graphics::Size;
using graphics::TextLayout;

std::shared_ptr<Label> Label::create(Rect frame)
{
    return std::make_shared<Label>(frame);
}

Label::Label(Rect frame)
    : View(frame)
    , m_font(Font::systemFont(17))
{
    setUserInteractionEnabled(false);
    setOpaque(false);
}

void Label::setText(std::string text)
{
    if (m_text == text)
        return;
    m_text = std::move(text);
    setNeedsDisplay();
}

void Label::setFont(Font font)
{
    m_font = std::move(font);
    setNeedsDisplay();
}

void Label::setTextColor(graphics::Color color)
{
    m_textColor = color;
    setNeedsDisplay();
}

void Label::setHighlightedTextColor(std::optional<graphics::Color> color)
{
    m_highlightedTextColor = color;
    setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setNeedsDisplay();
}

void Label::setTextAlignment(graphics::TextAlignment alignment)
{
    m_alignment = alignment;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines)
{
    m_numberOfLines = std::max(0, lines);
    setNeedsDisplay();
}

void Label::setLineBreakMode(graphics::LineBreakMode mode)
{
    m_lineBreakMode = mode;
    setNeedsDisplay();
}

void Label::setAdjustsFontSizeToFitWidth(bool adjusts)
{
    m_adjustsFontSize = adjusts;
    setNeedsDisplay();
}

void Label::setMinimumScaleFactor(double factor)
{
    m_minimumScaleFactor = std::clamp(factor, 0.0, 1.0);
    setNeedsDisplay();
}

// Lines that fit in `height`, limited by numberOfLines (at least one).
int Label::linesForHeight(const Font& font, double height) const
{
    double lineHeight = font.lineHeight();
    int fitting = lineHeight > 0 ? std::max(1, int(std::floor((height + 0.5) / lineHeight))) : 1;
    return m_numberOfLines == 0 ? fitting : std::min(m_numberOfLines, fitting);
}

bool Label::fits(const Font& font, Size size) const
{
    if (m_numberOfLines == 1)
        return TextLayout::lineWidth(m_text, font) <= size.width + 0.01;
    // Every line of the untruncated text must fit in the allowed lines and height.
    int needed = TextLayout::lineCount(m_text, font, size.width, 0, graphics::LineBreakMode::WordWrap);
    if (m_numberOfLines > 0 && needed > m_numberOfLines)
        return false;
    return TextLayout::boundingSize(m_text, font, size.width, 0, graphics::LineBreakMode::WordWrap).height
        <= size.height + 0.01;
}

Font Label::effectiveFont(Size size) const
{
    if (!m_adjustsFontSize || m_minimumScaleFactor <= 0 || m_text.empty())
        return m_font;
    if (fits(m_font, size))
        return m_font;
    double minimum = m_font.pointSize() * m_minimumScaleFactor;
    double pointSize = m_font.pointSize();
    if (m_numberOfLines == 1) {
        // Start close to the answer: the width scales almost linearly with the size.
        double width = TextLayout::lineWidth(m_text, m_font);
        if (width > 0)
            pointSize = std::max(minimum, std::floor(pointSize * size.width / width * 2) / 2);
    }
    while (pointSize > minimum && !fits(m_font.withSize(pointSize), size))
        pointSize = std::max(minimum, pointSize - 0.5);
    return m_font.withSize(pointSize);
}

Size Label::sizeThatFits(Size size) const
{
    if (m_text.empty())
        return {0, 0};
    double maxWidth = m_numberOfLines == 1 ? 0 : size.width;
    Size fitted = TextLayout::boundingSize(m_text, m_font, maxWidth, m_numberOfLines, m_lineBreakMode);
    return {std::ceil(fitted.width), std::ceil(fitted.height)};
}

Size Label::intrinsicContentSize() const
{
    return sizeThatFits({0, 0});
}

void Label::draw(graphics::GraphicsContext& context, Rect box)
{
    if (m_text.empty())
        return;
    Font font = effectiveFont(box.size);
    int lines = linesForHeight(font, box.height());
    Size textSize = TextLayout::boundingSize(m_text, font, box.width(), lines, m_lineBreakMode);
    double height = std::min(textSize.height, box.height());
    Rect textRect {box.minX(), box.minY() + (box.height() - height) / 2, box.width(), height};
    graphics::Color color = m_highlighted && m_highlightedTextColor ? *m_highlightedTextColor : m_textColor;
    TextLayout::draw(context, m_text, font, textRect, color, m_alignment, lines, m_lineBreakMode);
}

} // namespace ui
