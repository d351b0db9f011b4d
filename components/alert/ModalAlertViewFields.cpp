#include "components/alert/ModalAlertView.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/TapGestureRecognizer.h"

using graphics::Font;

std::shared_ptr<ModalAlertButton> ModalAlertView::addButton(const std::string& title)
{
    m_windowHeight += kButtonStep;
    auto button = ModalAlertButton::create();
    button->layer().setMasksToBounds(true);
    button->setTitle(title, ui::ControlState::Normal);
    button->titleLabel()->setFont(Font::named(m_buttonsFontFamily, m_buttonsFontSize));
    m_contentView->addSubview(button);
    m_buttons.push_back(button);
    return button;
}

std::shared_ptr<ModalAlertButton> ModalAlertView::addDoneButtonWithTitle(const std::string& title)
{
    auto button = addButton(title);
    if (m_completeButtonFormatBlock)
        button->setCompleteButtonFormatBlock(m_completeButtonFormatBlock);
    std::weak_ptr<ModalAlertView> weakSelf = self();
    button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto alert = weakSelf.lock())
            alert->hideView();
    });
    return button;
}

void ModalAlertView::addActivityIndicatorView()
{
    auto indicator = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    indicator->setFrame({8, 8, kActivityIndicatorHeight, kActivityIndicatorHeight});
    m_circleView->addSubview(indicator);
    std::lock_guard lock(m_atomicMutex);
    m_activityIndicatorView = indicator;
}

void ModalAlertView::removeTopCircle()
{
    m_circleViewBackground->removeFromSuperview();
    m_circleView->removeFromSuperview();
}

std::shared_ptr<ui::TextField> ModalAlertView::addTextField(OptionalText placeholder)
{
    addObservers();
    m_windowHeight += kTextFieldStep;
    auto field = ui::TextField::create();
    field->setDelegate(std::static_pointer_cast<ui::TextFieldDelegate>(self()));
    field->setReturnKeyType(ui::ReturnKeyType::Done);
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    field->setFont(Font::named(m_bodyTextFontFamily, m_bodyFontSize));
    field->setAutocapitalizationType(ui::TextAutocapitalizationType::Words);
    field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    field->layer().setMasksToBounds(true);
    field->layer().setBorderWidth(1.0);
    if (placeholder)
        field->setPlaceholder(*placeholder);
    m_contentView->addSubview(field);
    m_inputs.push_back(field);
    giveNextReturnKey();
    return field;
}

void ModalAlertView::addCustomTextField(std::shared_ptr<ui::TextField> textField)
{
    m_windowHeight += kTextFieldStep;
    m_contentView->addSubview(textField);
    m_inputs.push_back(std::move(textField));
    giveNextReturnKey();
}

// The field before a newly added one leads on to it.
void ModalAlertView::giveNextReturnKey()
{
    if (m_inputs.size() >= 2)
        m_inputs[m_inputs.size() - 2]->setReturnKeyType(ui::ReturnKeyType::Next);
}

void ModalAlertView::wireTap(const std::shared_ptr<ModalAlertButton>& button)
{
    std::weak_ptr<ModalAlertView> weakSelf = self();
    std::weak_ptr<ModalAlertButton> weakButton = button;
    button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, weakButton](ui::Control&) {
        auto alert = weakSelf.lock();
        auto tapped = weakButton.lock();
        if (alert && tapped)
            alert->buttonTapped(*tapped);
    });
}

std::shared_ptr<ModalAlertButton> ModalAlertView::addButton(const std::string& title, ActionBlock action)
{
    auto button = addButton(title);
    if (m_buttonFormatBlock)
        button->setButtonFormatBlock(m_buttonFormatBlock);
    button->setActionType(ModalAlertButton::ActionType::Block);
    button->setActionBlock(std::move(action));
    wireTap(button);
    return button;
}

std::shared_ptr<ModalAlertButton> ModalAlertView::addButton(
    const std::string& title, ValidationBlock validation, ActionBlock action)
{
    auto button = addButton(title, std::move(action));
    button->setValidationBlock(std::move(validation));
    return button;
}

std::shared_ptr<ModalAlertButton> ModalAlertView::addButton(
    const std::string& title, std::shared_ptr<void> target, ModalAlertButton::Selector selector)
{
    auto button = addButton(title);
    button->setActionType(ModalAlertButton::ActionType::Selector);
    button->setTarget(std::move(target));
    button->setSelector(std::move(selector));
    wireTap(button);
    return button;
}

void ModalAlertView::buttonTapped(ModalAlertButton& button)
{
    auto protector = self();
    auto keepButton = button.sharedAs<ModalAlertButton>();
    if (button.validationBlock() && !button.validationBlock()())
        return;
    switch (button.actionType()) {
    case ModalAlertButton::ActionType::Block:
        if (button.actionBlock())
            button.actionBlock()();
        break;
    case ModalAlertButton::ActionType::Selector: {
        // The target hears from a new plain control, not from the button.
        auto sender = ui::Control::create();
        auto target = button.target();
        auto selector = button.selector();
        if (selector)
            sender->sendAction([&](ui::Control& control) { selector(target.get(), control); }, nullptr);
        break;
    }
    default:
        foundation::log("Unknown action type for button");
        break;
    }
    if (isVisible())
        hideView();
}

void ModalAlertView::setShouldDismissOnTapOutside(bool dismiss)
{
    m_shouldDismissOnTapOutside = dismiss;
    if (!dismiss)
        return;
    std::weak_ptr<ModalAlertView> weakSelf = self();
    m_gestureRecognizer = ui::TapGestureRecognizer::create([weakSelf](ui::GestureRecognizer& recognizer) {
        if (auto alert = weakSelf.lock())
            alert->handleTap(recognizer);
    });
    m_backgroundView->addGestureRecognizer(m_gestureRecognizer);
}

void ModalAlertView::handleTap(ui::GestureRecognizer&)
{
    if (!m_shouldDismissOnTapOutside)
        return;
    auto protector = self();
    bool closedKeyboard = false;
    for (const auto& field : m_inputs) {
        if (field->isEditing()) {
            field->resignFirstResponder();
            closedKeyboard = true;
        }
    }
    if (!closedKeyboard)
        hideView();
}

std::optional<bool> ModalAlertView::textFieldShouldReturn(ui::TextField& textField)
{
    for (size_t i = 0; i < m_inputs.size(); ++i) {
        if (m_inputs[i].get() != &textField)
            continue;
        if (i + 1 < m_inputs.size())
            m_inputs[i + 1]->becomeFirstResponder();
        else
            textField.resignFirstResponder();
        break;
    }
    return false;
}

void ModalAlertView::addObservers()
{
    if (!m_canAddObservers)
        return;
    m_canAddObservers = false;
    auto& center = foundation::NotificationCenter::defaultCenter();
    std::weak_ptr<ModalAlertView> weakSelf = self();
    center.addObserver(
        weakSelf, ui::Keyboard::kWillShowNotification, [weakSelf](const foundation::Notification& n) {
            if (auto alert = weakSelf.lock())
                alert->keyboardWillShow(n);
        });
    center.addObserver(
        weakSelf, ui::Keyboard::kWillHideNotification, [weakSelf](const foundation::Notification& n) {
            if (auto alert = weakSelf.lock())
                alert->keyboardWillHide(n);
        });
}

void ModalAlertView::removeObservers()
{
    if (m_canAddObservers)
        return; // never installed
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.removeObserver(static_cast<const void*>(this), ui::Keyboard::kWillShowNotification);
    center.removeObserver(static_cast<const void*>(this), ui::Keyboard::kWillHideNotification);
}

void ModalAlertView::keyboardWillShow(const foundation::Notification&)
{
    if (m_keyboardIsVisible)
        return;
    auto protector = self();
    const double lift = view()->superview() ? keyboardLift(restingCardTop(layoutSize())) : kKeyboardShift;
    ui::View::animate(0.2, [this, lift] { moveUp(lift); });
    m_keyboardLift = lift;
    m_keyboardIsVisible = true;
}

void ModalAlertView::keyboardWillHide(const foundation::Notification&)
{
    if (!m_keyboardIsVisible)
        return;
    auto protector = self();
    const double lift = m_keyboardLift;
    ui::View::animate(0.2, [this, lift] { moveUp(-lift); });
    m_keyboardLift = 0;
    m_keyboardIsVisible = false;
}
