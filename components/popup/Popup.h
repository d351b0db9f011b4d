#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {
struct Notification;
}
namespace ui {
class Button;
class GestureRecognizer;
class Label;
class PanGestureRecognizer;
} // namespace ui

class Popup;

// Button types as the delegate and endWithButtonType see them.
enum class PopupButtonType : uint64_t { Success = 0, Cancel = 1 };

// Every operation is optional: each returns whether the delegate implements it (the default
// bodies do nothing and return false), which is how the popup asks before sending.
class PopupDelegate {
public:
    using FieldDictionary = std::map<std::string, std::string>;
    virtual ~PopupDelegate() = default;
    virtual bool popupWillAppear(Popup&) { return false; }
    virtual bool popupDidAppear(Popup&) { return false; }
    virtual bool popupPressButton(Popup&, PopupButtonType) { return false; }
    // dictionary:forpopup:stringsFromTextFields:
    virtual bool dictionary(const FieldDictionary&, Popup&, const std::optional<std::vector<std::string>>&)
    {
        return false;
    }
    virtual bool popupWillDisappear(Popup&, PopupButtonType) { return false; }
    virtual bool popupDidDisappear(Popup&, PopupButtonType) { return false; }
};

// A modal dialog over the whole main screen as the interface stands (it follows the phone's turns):
// a 300 x 300 box with a title, a subtitle, up to three one-line fields and a cancel and a success
// button, entering and leaving by one of ten transitions each, over an optional blurred background.
// Answers come through two blocks and the delegate. A popup is used once.
class Popup final : public ui::View, public ui::TextFieldDelegate {
public:
    using Block = std::function<void()>;
    using Text = std::optional<std::string>;
    using Placeholders = std::optional<std::vector<std::string>>;
    using FieldDictionary = PopupDelegate::FieldDictionary;

    static constexpr double kBoxSide = 300;
    static constexpr double kKeyboardHeight = 216;
    static constexpr int kMaxFields = 3;
    // The transition that 0 stands for.
    static constexpr uint64_t kDefaultTransition = 7;

    // initWithTitle:subTitle:cancelTitle:successTitle:
    static std::shared_ptr<Popup> create(Text title, Text subTitle, Text cancelTitle, Text successTitle);
    // ... cancelBlock:successBlock:
    static std::shared_ptr<Popup> create(Text title, Text subTitle, Text cancelTitle, Text successTitle,
        Block cancelBlock, Block successBlock);
    // ... textFieldPlaceholders:...: one field per placeholder; more than three throw.
    static std::shared_ptr<Popup> create(Text title, Text subTitle, Placeholders placeholders,
        Text cancelTitle, Text successTitle, Block cancelBlock, Block successBlock);
    // ... ValueForField1:ValueForField2:...: fields 1 and 2 start with the values.
    static std::shared_ptr<Popup> create(Text title, Text subTitle, Placeholders placeholders,
        Text cancelTitle, Text successTitle, Text valueForField1, Text valueForField2, Block cancelBlock,
        Block successBlock);

    Popup();

    const char* className() const override { return "Popup"; }

    // Configuration after construction; entries are checked one by one and throw on misuse.
    void setKeyboardTypeForTextFields(const foundation::Array& types);
    void setTextFieldTypeForTextFields(const foundation::Array& types);
    void setOverallKeyboardAppearance(ui::KeyboardAppearance appearance);

    std::shared_ptr<PopupDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<PopupDelegate> delegate) { m_delegate = std::move(delegate); }
    uint64_t incomingTransition() const { return m_incomingTransitionType; }
    void setIncomingTransition(uint64_t transition) { m_incomingTransitionType = transition; }
    uint64_t outgoingTransition() const { return m_outgoingTransitionType; }
    void setOutgoingTransition(uint64_t transition) { m_outgoingTransitionType = transition; }
    int64_t backgroundBlurType() const { return m_backgroundBlurType; }
    // Builds the background at once: 0 dark, 1 light, 2 extra light, 3 none, else clear.
    void setBackgroundBlurType(int64_t type);
    // Colours the box, not the full-screen popup view.
    void setBackgroundColor(std::optional<graphics::Color> color) override;
    void setBorderColor(graphics::Color color);
    void setTitleColor(graphics::Color color);
    void setSubTitleColor(graphics::Color color);
    void setSuccessBtnColor(graphics::Color color);
    void setCancelBtnColor(graphics::Color color);
    void setSuccessTitleColor(graphics::Color color);
    void setCancelTitleColor(graphics::Color color);
    bool roundedCorners() const { return m_roundedCorners; }
    void setRoundedCorners(bool rounded);
    bool tapBackgroundToDismiss() const { return m_tapBackgroundToDismiss; }
    void setTapBackgroundToDismiss(bool dismiss);
    bool swipeToDismiss() const { return m_swipeToDismiss; }
    void setSwipeToDismiss(bool dismiss);

    // Showing and closing.
    void showPopup();
    void pressAlertButton(ui::Button& sender);
    // Any type above 1 counts as cancel (a background tap passes its recogniser).
    void dismissPopup(uint64_t buttonType);
    void endWithButtonType(PopupButtonType type);

    // The process-wide dictionary, after writing each field's text under its placeholder.
    FieldDictionary createDictionaryForTextfields();
    // The fields' texts in order, for one to three placeholders; nothing otherwise.
    std::optional<std::vector<std::string>> arrayForStringOfTextfields();
    static ui::KeyboardType getKeyboardTypeFromString(const std::string& name);
    std::shared_ptr<ui::TextField> textFieldWithPlaceholder(
        const std::string& placeholder, int numberOfField);

    // Internal steps, public for the transitions and the gallery.
    void dismissKeyboards();
    void setPopupFrameForTextField(ui::TextField& field);
    void keyboardWillShow(const foundation::Notification& notification);
    void panFired(ui::PanGestureRecognizer& pan);
    void configureIncomingAnimationFor(uint64_t transition);
    void configureOutgoingAnimationFor(uint64_t transition, PopupButtonType type);

    std::optional<bool> textFieldShouldBeginEditing(ui::TextField& field) override;
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;

    // What tests and the gallery look at.
    const std::shared_ptr<ui::View>& popupView() const { return m_popupView; }
    const std::shared_ptr<ui::View>& backgroundView() const { return m_backgroundView; }
    const std::vector<std::shared_ptr<ui::TextField>>& textFields() const { return m_textFieldArray; }
    const std::shared_ptr<ui::Label>& titleLabel() const { return m_titleLabel; }
    const std::shared_ptr<ui::Label>& subTitleLabel() const { return m_subTitleLabel; }
    const std::shared_ptr<ui::Button>& successButton() const { return m_successBtn; }
    const std::shared_ptr<ui::Button>& cancelButton() const { return m_cancelBtn; }
    bool hasKeyboardObserver() const { return m_observesKeyboard; }
    const std::optional<std::vector<std::string>>& placeholders() const { return m_placeholders; }

    // The process-wide state that all popups share.
    static double sharedKeyboardHeight();
    static bool swipeNoticeWasSent();
    static void resetSharedStateForTesting();

private:
    void formulateEverything(const Text& value1, const Text& value2);
    void coverInterface();
    void observeInterfaceTurns();
    void interfaceDidTurn();
    std::optional<graphics::Rect> liftedBoxFrame() const;
    void makeAlertPopupView();
    void setupTitle();
    void setupSubtitle();
    void setupTextFields(const Text& value1, const Text& value2);
    void setupButtons();
    void setKeyboardNotifications();
    void blurBackgroundWithType(int64_t type);
    void showAnimation();
    graphics::Rect centredBoxFrame() const;
    size_t placeholderCount() const { return m_placeholders ? m_placeholders->size() : 0; }
    // The process-wide dictionary with this popup's texts written in, leaving the shared one as is.
    FieldDictionary dictionaryWithTextfields() const;

    std::weak_ptr<PopupDelegate> m_delegate;
    Block m_successBlock;
    Block m_cancelBlock;
    Text m_title;
    Text m_subTitle;
    Text m_cancelTitle;
    Text m_successTitle;
    std::optional<std::vector<std::string>> m_placeholders;
    std::vector<std::shared_ptr<ui::TextField>> m_textFieldArray;
    std::shared_ptr<ui::View> m_backgroundView;
    std::shared_ptr<ui::View> m_popupView;
    std::shared_ptr<ui::Label> m_titleLabel;
    std::shared_ptr<ui::Label> m_subTitleLabel;
    std::shared_ptr<ui::Button> m_successBtn;
    std::shared_ptr<ui::Button> m_cancelBtn;
    std::shared_ptr<ui::GestureRecognizer> m_backgroundTap;
    std::shared_ptr<ui::PanGestureRecognizer> m_pan;
    std::vector<std::shared_ptr<void>> m_panHolder;
    uint64_t m_incomingTransitionType {0};
    uint64_t m_outgoingTransitionType {0};
    int64_t m_backgroundBlurType {0};
    bool m_roundedCorners {true};
    bool m_tapBackgroundToDismiss {false};
    bool m_swipeToDismiss {false};
    bool m_observesKeyboard {false};
};
