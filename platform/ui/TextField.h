#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/Control.h"
#include "platform/ui/Keyboard.h"

#include <cstddef>
#include <optional>
#include <string>

namespace ui {

class Button;
class TextField;

struct TextRange {
    size_t location = 0; // in bytes of the UTF-8 text
    size_t length = 0;
};

// Optional operations answer std::nullopt when not implemented, so the field applies the
// platform's default exactly where a delegate would not respond.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual std::optional<bool> textFieldShouldBeginEditing(TextField&) { return std::nullopt; }
    virtual void textFieldDidBeginEditing(TextField&) { }
    virtual std::optional<bool> textFieldShouldEndEditing(TextField&) { return std::nullopt; }
    virtual void textFieldDidEndEditing(TextField&) { }
    virtual std::optional<bool> textFieldShouldChangeCharacters(TextField&, TextRange, const std::string&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> textFieldShouldClear(TextField&) { return std::nullopt; }
    virtual std::optional<bool> textFieldShouldReturn(TextField&) { return std::nullopt; }
};

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };

// A one-line text input. A tap makes it first responder, which brings up the simulated keyboard;
// the hosts' key presses arrive through insertText / deleteBackward / returnKey.
class TextField : public Control {
public:
    static constexpr const char* kTextDidBeginEditingNotification
        = "UITextFieldTextDidBeginEditingNotification";
    static constexpr const char* kTextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";
    static constexpr const char* kTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

    static std::shared_ptr<TextField> create(graphics::Rect frame = {});
    explicit TextField(graphics::Rect frame = {});
    ~TextField() override;

    const char* className() const override { return "TextField"; }

    const std::string& text() const { return m_text; }
    // Programmatic: no delegate question and no editing-changed event.
    void setText(std::string text);
    const std::string& placeholder() const { return m_placeholder; }
    void setPlaceholder(std::string placeholder);
    const graphics::Font& font() const { return m_font; }
    void setFont(graphics::Font font);
    graphics::Color textColor() const { return m_textColor; }
    void setTextColor(graphics::Color color);
    graphics::TextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(graphics::TextAlignment alignment);
    TextBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TextBorderStyle style);
    bool clearsOnBeginEditing() const { return m_clearsOnBeginEditing; }
    void setClearsOnBeginEditing(bool clears) { m_clearsOnBeginEditing = clears; }

    KeyboardType keyboardType() const { return m_keyboardType; }
    void setKeyboardType(KeyboardType type) { m_keyboardType = type; }
    ReturnKeyType returnKeyType() const { return m_returnKeyType; }
    void setReturnKeyType(ReturnKeyType type) { m_returnKeyType = type; }
    KeyboardAppearance keyboardAppearance() const { return m_keyboardAppearance; }
    void setKeyboardAppearance(KeyboardAppearance appearance) { m_keyboardAppearance = appearance; }
    TextAutocapitalizationType autocapitalizationType() const { return m_autocapitalization; }
    void setAutocapitalizationType(TextAutocapitalizationType type) { m_autocapitalization = type; }
    TextAutocorrectionType autocorrectionType() const { return m_autocorrection; }
    void setAutocorrectionType(TextAutocorrectionType type) { m_autocorrection = type; }
    TextSpellCheckingType spellCheckingType() const { return m_spellChecking; }
    void setSpellCheckingType(TextSpellCheckingType type) { m_spellChecking = type; }
    bool isSecureTextEntry() const { return m_secure; }
    void setSecureTextEntry(bool secure);

    TextFieldViewMode clearButtonMode() const { return m_clearButtonMode; }
    void setClearButtonMode(TextFieldViewMode mode);
    const std::shared_ptr<View>& leftView() const { return m_leftView; }
    void setLeftView(std::shared_ptr<View> view);
    TextFieldViewMode leftViewMode() const { return m_leftViewMode; }
    void setLeftViewMode(TextFieldViewMode mode);
    const std::shared_ptr<View>& rightView() const { return m_rightView; }
    void setRightView(std::shared_ptr<View> view);
    TextFieldViewMode rightViewMode() const { return m_rightViewMode; }
    void setRightViewMode(TextFieldViewMode mode);

    std::shared_ptr<TextFieldDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { m_delegate = std::move(delegate); }

    bool isEditing() const { return m_editing; }
    // What the field shows: bullets for secure entry, else the text.
    std::string displayedText() const;
    // Where the text goes and where the clear button sits, in bounds coordinates.
    graphics::Rect textRect() const { return textRect(bounds()); }
    graphics::Rect clearButtonRect() const { return clearButtonRect(bounds()); }
    // The same for a drawn box that is not the bounds (mid-animation).
    graphics::Rect textRect(graphics::Rect bounds) const;
    graphics::Rect clearButtonRect(graphics::Rect bounds) const;
    // The clear button, when the mode and the text show it now.
    bool isClearButtonVisible() const;

    // Leaving the window ends editing, as on the platform.
    void willMoveToWindow(Window* newWindow) override;
    bool canBecomeFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool hasText() const override { return !m_text.empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;
    void returnKey() override;

    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void layoutSubviews() override;
    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;
    // What the screen shows: dots, never the text, for secure entry.
    std::string automationText() const override { return m_text.empty() ? m_placeholder : displayedText(); }

private:
    bool modeShows(TextFieldViewMode mode) const;
    bool replace(TextRange range, const std::string& replacement);
    void clearTapped();
    void textChanged();

    std::string m_text;
    std::string m_placeholder;
    graphics::Font m_font;
    graphics::Color m_textColor {graphics::Color::black()};
    graphics::TextAlignment m_alignment {graphics::TextAlignment::Natural};
    TextBorderStyle m_borderStyle {TextBorderStyle::None};
    KeyboardType m_keyboardType {KeyboardType::Default};
    ReturnKeyType m_returnKeyType {ReturnKeyType::Default};
    KeyboardAppearance m_keyboardAppearance {KeyboardAppearance::Default};
    TextAutocapitalizationType m_autocapitalization {TextAutocapitalizationType::Sentences};
    TextAutocorrectionType m_autocorrection {TextAutocorrectionType::Default};
    TextSpellCheckingType m_spellChecking {TextSpellCheckingType::Default};
    TextFieldViewMode m_clearButtonMode {TextFieldViewMode::Never};
    TextFieldViewMode m_leftViewMode {TextFieldViewMode::Never};
    TextFieldViewMode m_rightViewMode {TextFieldViewMode::Never};
    std::shared_ptr<View> m_leftView;
    std::shared_ptr<View> m_rightView;
    std::shared_ptr<Button> m_clearButton;
    std::weak_ptr<TextFieldDelegate> m_delegate;
    bool m_secure {false};
    bool m_editing {false};
    bool m_clearsOnBeginEditing {false};
};

} // namespace ui
