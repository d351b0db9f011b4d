#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>
#include <string>

namespace ui {

// Text with an optional font and colour of its own, which override the view's.
struct AttributedText {
    std::string text;
    std::optional<graphics::Font> font;
    std::optional<graphics::Color> color;
};

class TextView;

// Told about a text view's editing; every operation is optional.
class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual std::optional<bool> textViewShouldBeginEditing(TextView&) { return std::nullopt; }
    virtual void textViewDidBeginEditing(TextView&) { }
    virtual std::optional<bool> textViewShouldEndEditing(TextView&) { return std::nullopt; }
    virtual void textViewDidEndEditing(TextView&) { }
    virtual void textViewDidChange(TextView&) { }
};

// Multi-line text that scrolls: the content offset is the bounds' origin, the content size is
// the laid-out text plus the insets. Editable views take the keyboard when tapped.
class TextView : public View {
public:
    static constexpr const char* kTextDidBeginEditingNotification
        = "UITextViewTextDidBeginEditingNotification";
    static constexpr const char* kTextDidEndEditingNotification = "UITextViewTextDidEndEditingNotification";
    static constexpr const char* kTextDidChangeNotification = "UITextViewTextDidChangeNotification";

    static std::shared_ptr<TextView> create(graphics::Rect frame = {});
    explicit TextView(graphics::Rect frame = {});
    ~TextView() override;

    const char* className() const override { return "TextView"; }

    std::weak_ptr<TextViewDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<TextViewDelegate> delegate) { m_delegate = std::move(delegate); }

    const std::string& text() const { return m_text; }
    void setText(std::string text);
    // The last attributed text set, or the plain text with the view's font and colour.
    AttributedText attributedText() const;
    void setAttributedText(AttributedText text);
    const graphics::Font& font() const { return m_font; }
    void setFont(graphics::Font font);
    graphics::Color textColor() const { return m_textColor; }
    void setTextColor(graphics::Color color);
    graphics::TextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(graphics::TextAlignment alignment);

    bool isEditable() const { return m_editable; }
    void setEditable(bool editable);
    bool isSelectable() const { return m_selectable; }
    void setSelectable(bool selectable) { m_selectable = selectable; }
    bool allowsEditingTextAttributes() const { return m_allowsEditingTextAttributes; }
    void setAllowsEditingTextAttributes(bool allows) { m_allowsEditingTextAttributes = allows; }
    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled) { m_scrollEnabled = enabled; }
    KeyboardType keyboardType() const { return m_keyboardType; }
    void setKeyboardType(KeyboardType type) { m_keyboardType = type; }
    ReturnKeyType returnKeyType() const { return m_returnKeyType; }
    void setReturnKeyType(ReturnKeyType type) { m_returnKeyType = type; }

    graphics::EdgeInsets contentInset() const { return m_contentInset; }
    void setContentInset(graphics::EdgeInsets insets);
    graphics::EdgeInsets textContainerInset() const { return m_containerInset; }
    void setTextContainerInset(graphics::EdgeInsets insets);
    double lineFragmentPadding() const { return m_lineFragmentPadding; }
    void setLineFragmentPadding(double padding);

    graphics::Point contentOffset() const { return bounds().origin; }
    void setContentOffset(graphics::Point offset);
    // Width of the bounds; height of the laid-out text plus the container insets.
    graphics::Size contentSize() const;
    // Height of the laid-out text alone, at the current width.
    double textHeight() const;

    bool isEditing() const { return m_editing; }
    // Leaving the window ends editing, as on the platform.
    void willMoveToWindow(Window* newWindow) override;
    bool canBecomeFirstResponder() const override { return m_editable; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool hasText() const override { return !m_text.empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;
    void returnKey() override;

    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;
    std::string automationText() const override { return m_text; }

private:
    const graphics::Font& drawingFont() const;
    double layoutWidth(double boundsWidth) const;
    void changed();

    std::weak_ptr<TextViewDelegate> m_delegate;
    std::string m_text;
    std::optional<graphics::Font> m_attributedFont;
    std::optional<graphics::Color> m_attributedColor;
    graphics::Font m_font;
    graphics::Color m_textColor {graphics::Color::black()};
    graphics::TextAlignment m_alignment {graphics::TextAlignment::Natural};
    graphics::EdgeInsets m_contentInset;
    graphics::EdgeInsets m_containerInset {8, 0, 8, 0};
    double m_lineFragmentPadding {5};
    KeyboardType m_keyboardType {KeyboardType::Default};
    ReturnKeyType m_returnKeyType {ReturnKeyType::Default};
    bool m_editable {true};
    bool m_selectable {true};
    bool m_allowsEditingTextAttributes {false};
    bool m_scrollEnabled {true};
    bool m_editing {false};
};

} // namespace ui
