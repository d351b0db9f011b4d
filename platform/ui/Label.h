#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/View.h"

#include <string>

namespace ui {

// One or more lines of text, vertically centred in the bounds. With adjustsFontSizeToFitWidth
// and a minimumScaleFactor above 0 the font shrinks (down to that fraction) until the text fits.
class Label : public View {
public:
    static std::shared_ptr<Label> create(graphics::Rect frame = {});
    explicit Label(graphics::Rect frame = {});

    const char* className() const override { return "Label"; }

    const std::string& text() const { return m_text; }
    void setText(std::string text);
    const graphics::Font& font() const { return m_font; }
    void setFont(graphics::Font font);
    graphics::Color textColor() const { return m_textColor; }
    void setTextColor(graphics::Color color);
    std::optional<graphics::Color> highlightedTextColor() const { return m_highlightedTextColor; }
    void setHighlightedTextColor(std::optional<graphics::Color> color);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);
    graphics::TextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(graphics::TextAlignment alignment);
    // 0 means as many lines as the text needs.
    int numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(int lines);
    graphics::LineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(graphics::LineBreakMode mode);
    bool adjustsFontSizeToFitWidth() const { return m_adjustsFontSize; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    double minimumScaleFactor() const { return m_minimumScaleFactor; }
    void setMinimumScaleFactor(double factor);

    // The font the text is drawn with in the current bounds (smaller than font() when shrunk).
    graphics::Font effectiveFont() const { return effectiveFont(bounds().size); }
    // The same in a box of `size`: mid-animation the drawn box is not the bounds.
    graphics::Font effectiveFont(graphics::Size size) const;

    graphics::Size sizeThatFits(graphics::Size size) const override;
    graphics::Size intrinsicContentSize() const override;
    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;
    std::string automationText() const override { return m_text; }

private:
    bool fits(const graphics::Font& font, graphics::Size size) const;
    int linesForHeight(const graphics::Font& font, double height) const;

    std::string m_text;
    graphics::Font m_font;
    graphics::Color m_textColor {graphics::Color::black()};
    std::optional<graphics::Color> m_highlightedTextColor;
    graphics::TextAlignment m_alignment {graphics::TextAlignment::Natural};
    graphics::LineBreakMode m_lineBreakMode {graphics::LineBreakMode::TruncateTail};
    int m_numberOfLines {1};
    double m_minimumScaleFactor {0};
    bool m_adjustsFontSize {false};
    bool m_highlighted {false};
};

} // namespace ui
