#pragma once

#include "platform/ui/View.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Button;
class Label;
class TextField;
class VisualEffectView;
} // namespace ui

// A modal input box over the whole first window: a small rounded panel on a blur with a title,
// a message, the fields of its box type, and Cancel and submit side by side at the bottom. The
// caller gets the texts through onSubmit and decides whether the box closes. It lifts itself
// above the keyboard, and turns with the interface and re-centres when the device turns.
class InputBoxView final : public ui::View {
public:
    // Box types: 0 plain text, 1 number (fixed-point as typed), 2 phone, 3 e-mail, 4 text with
    // the platform's autocorrection, 5 text and password; any other value has no field.
    enum Type : int64_t { PlainText = 0, Number = 1, Phone = 2, Email = 3, Text = 4, Login = 5 };
    using SubmitBlock
        = std::function<bool(std::optional<std::string> text, std::optional<std::string> secure)>;
    using CancelBlock = std::function<void()>;
    using CustomiseBlock = std::function<std::shared_ptr<ui::TextField>(std::shared_ptr<ui::TextField>)>;

    static constexpr double kPanelHeight = 155;
    static constexpr double kMaxPanelWidth = 325;
    static constexpr double kLoginExtraHeight = 45;
    static constexpr double kFadeDuration = 0.3;
    static constexpr double kLiftDuration = 0.2;

    // boxOfType: / initWithBoxType: / init (type 0).
    static std::shared_ptr<InputBoxView> boxOfType(int64_t boxType);
    static std::shared_ptr<InputBoxView> create(int64_t boxType = PlainText);
    // Use create(): it puts the panel in.
    explicit InputBoxView(int64_t boxType);

    const char* className() const override { return "InputBoxView"; }

    // Builds the contents from the current properties and fades the box in over everything.
    void show();
    // Fades it out and takes it off screen.
    void hide();

    int64_t boxType() const { return m_boxType; }
    void setBoxType(int64_t type) { m_boxType = type; }
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    const std::optional<std::string>& message() const { return m_message; }
    void setMessage(std::optional<std::string> message) { m_message = std::move(message); }
    const std::optional<std::string>& submitButtonText() const { return m_submitButtonText; }
    void setSubmitButtonText(std::optional<std::string> text) { m_submitButtonText = std::move(text); }
    const std::optional<std::string>& cancelButtonText() const { return m_cancelButtonText; }
    void setCancelButtonText(std::optional<std::string> text) { m_cancelButtonText = std::move(text); }
    int32_t numberOfDecimals() const { return m_numberOfDecimals; }
    void setNumberOfDecimals(int32_t decimals) { m_numberOfDecimals = decimals; }
    // 0 extra light, 1 light, 2 dark; 0 shows as light.
    int64_t blurEffectStyle() const { return m_blurEffectStyle; }
    void setBlurEffectStyle(int64_t style) { m_blurEffectStyle = style; }
    void setOnSubmit(SubmitBlock block) { m_onSubmit = std::move(block); }
    void setOnCancel(CancelBlock block) { m_onCancel = std::move(block); }
    void setCustomise(CustomiseBlock block) { m_customise = std::move(block); }

    const std::vector<std::shared_ptr<ui::TextField>>& elements() const { return m_elements; }
    const std::shared_ptr<ui::VisualEffectView>& visualEffectView() const { return m_visualEffectView; }
    const std::shared_ptr<ui::TextField>& textInput() const { return m_textInput; }
    const std::shared_ptr<ui::TextField>& secureInput() const { return m_secureInput; }
    const std::shared_ptr<ui::View>& actualBox() const { return m_actualBox; }
    const std::shared_ptr<ui::Label>& titleLabel() const { return m_titleLabel; }
    const std::shared_ptr<ui::Label>& messageLabel() const { return m_messageLabel; }
    const std::shared_ptr<ui::Button>& cancelButton() const { return m_cancelButton; }
    const std::shared_ptr<ui::Button>& submitButton() const { return m_submitButton; }

    // Button and notification handlers.
    void cancelButtonTapped();
    void submitButtonTapped();
    void textInputDidChange();
    void deviceOrientationDidChange();
    void keyboardDidShow();
    void keyboardDidHide();
    // Covers the window standing as the interface does, the panel in the middle.
    void resetFrame(bool animated);
    // How far the panel rises over the keyboard, in points.
    double yCorrection() const;

    // The number box's text for what was typed: the digits fill in from the right.
    static std::string formattedNumber(const std::string& typed, int32_t decimals);

private:
    void setupView();
    void stopObserving();
    std::shared_ptr<ui::TextField> makeField(double top, bool secure);
    static std::shared_ptr<ui::Window> firstWindow();

    int64_t m_boxType;
    std::optional<std::string> m_title;
    std::optional<std::string> m_message;
    std::optional<std::string> m_submitButtonText;
    std::optional<std::string> m_cancelButtonText;
    int32_t m_numberOfDecimals {0};
    int64_t m_blurEffectStyle {0};
    SubmitBlock m_onSubmit;
    CancelBlock m_onCancel;
    CustomiseBlock m_customise;
    std::vector<std::shared_ptr<ui::TextField>> m_elements;
    std::shared_ptr<ui::VisualEffectView> m_visualEffectView;
    std::shared_ptr<ui::TextField> m_textInput;
    std::shared_ptr<ui::TextField> m_secureInput;
    std::shared_ptr<ui::View> m_actualBox;
    std::shared_ptr<ui::Label> m_titleLabel;
    std::shared_ptr<ui::Label> m_messageLabel;
    std::shared_ptr<ui::Button> m_cancelButton;
    std::shared_ptr<ui::Button> m_submitButton;
    bool m_observing {false};
};
