#include "components/popup/Popup.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>

using graphics::Color;
using graphics::Font;
using graphics::Rect;

namespace {

constexpr Color kBoxColor = Color::rgba(0.937, 0.945, 0.961, 1);
constexpr Color kTitleColor = Color::rgba(0.329, 0.396, 0.584, 1);
constexpr Color kSubTitleColor = Color::rgba(0.408, 0.478, 0.682, 1);
constexpr Color kButtonTitleColor = Color::rgba(0.875, 0.882, 0.91, 1);
constexpr Color kCancelColor = Color::rgba(0.91, 0.184, 0.184, 1);
constexpr Color kSuccessColor = Color::rgba(0.408, 0.478, 0.682, 1);
constexpr double kFieldHeight = 28;
constexpr double kFieldStep = 36;
constexpr double kShiftDuration = 0.2;

const char* const kKeyboardNames[] = {"", "DEFAULT", "ASCIICAPABLE", "NUMBERSANDPUNCTUATION", "URL", "NUMBER",
    "PHONE", "NAMEPHONE", "EMAIL", "DECIMAL", "TWITTER", "WEBSEARCH"};
const char* const kFieldTypeNames[] = {"", "DEFAULT", "PASSWORD"};

template<size_t N> std::string joined(const char* const (&names)[N])
{
    std::string list;
    for (size_t i = 0; i < N; ++i)
        list += (i ? ", " : "") + std::string(names[i]);
    return list;
}

template<size_t N> bool listed(const char* const (&names)[N], const std::string& name)
{
    return std::find_if(std::begin(names), std::end(names), [&](const char* n) { return name == n; })
        != std::end(names);
}

// Shared by every popup of the process, as the dialog has always done: keys of earlier popups stay.
struct SharedState {
    std::map<std::string, std::string> fields;
    double keyboardHeight {0};
    bool swipeNoticeSent {false};
};

SharedState& shared()
{
    static SharedState state;
    return state;
}

// The box's height left for the subtitle, by field count.
std::optional<double> subtitleReserve(size_t fields)
{
    switch (fields) {
    case 0:
        return 0;
    case 1:
        return 74.2 + 21.2;
    case 2:
        return 77 + 22;
    case 3:
        return 98 + 28;
    default:
        return std::nullopt;
    }
}

} // namespace

double Popup::sharedKeyboardHeight()
{
    return shared().keyboardHeight;
}

bool Popup::swipeNoticeWasSent()
{
    return shared().swipeNoticeSent;
}

void Popup::resetSharedStateForTesting()
{
    shared() = SharedState {};
}

Popup::Popup()
    : ui::View()
{ }

std::shared_ptr<Popup> Popup::create(Text title, Text subTitle, Text cancelTitle, Text successTitle)
{
    return create(std::move(title), std::move(subTitle), std::nullopt, std::move(cancelTitle),
        std::move(successTitle), std::nullopt, std::nullopt, nullptr, nullptr);
}

std::shared_ptr<Popup> Popup::create(
    Text title, Text subTitle, Text cancelTitle, Text successTitle, Block cancelBlock, Block successBlock)
{
    return create(std::move(title), std::move(subTitle), std::nullopt, std::move(cancelTitle),
        std::move(successTitle), std::nullopt, std::nullopt, std::move(cancelBlock), std::move(successBlock));
}

std::shared_ptr<Popup> Popup::create(Text title, Text subTitle, Placeholders placeholders, Text cancelTitle,
    Text successTitle, Block cancelBlock, Block successBlock)
{
    return create(std::move(title), std::move(subTitle), std::move(placeholders), std::move(cancelTitle),
        std::move(successTitle), std::nullopt, std::nullopt, std::move(cancelBlock), std::move(successBlock));
}

std::shared_ptr<Popup> Popup::create(Text title, Text subTitle, Placeholders placeholders, Text cancelTitle,
    Text successTitle, Text valueForField1, Text valueForField2, Block cancelBlock, Block successBlock)
{
    auto popup = std::make_shared<Popup>();
    popup->m_title = std::move(title);
    popup->m_subTitle = std::move(subTitle);
    popup->m_placeholders = std::move(placeholders);
    popup->m_cancelTitle = std::move(cancelTitle);
    popup->m_successTitle = std::move(successTitle);
    popup->m_cancelBlock = std::move(cancelBlock);
    popup->m_successBlock = std::move(successBlock);
    popup->formulateEverything(valueForField1, valueForField2);
    return popup;
}

// The screen's sizes below are the popup's own: the screen as the interface stands.
Rect Popup::centredBoxFrame() const
{
    Rect screen = bounds();
    return {screen.width() / 2 - kBoxSide / 2, screen.height() / 2 - kBoxSide / 2, kBoxSide, kBoxSide};
}

// Before 8.0 the window stays upright while the interface turns inside it: the popup turns with the
// interface and takes its size, so that its box stands and moves as the interface does.
void Popup::coverInterface()
{
    auto& app = ui::Application::shared();
    auto window = this->window() ? this->window() : app.keyWindow();
    if (window && app.interfaceOrientationInScreen() != ui::InterfaceOrientation::Portrait) {
        app.fitToInterface(*this, *window);
        return;
    }
    setTransform(graphics::AffineTransform::identity());
    setFrame(ui::Screen::mainScreen().bounds());
}

// Nothing else lays the popup out again when the phone turns, which would leave its box where the
// last orientation had it, cut by the screen's edge or lying sideways: it covers the turned
// interface along with the turn, its box in the middle or above the keyboard.
void Popup::observeInterfaceTurns()
{
    std::weak_ptr<Popup> weakSelf = sharedAs<Popup>();
    foundation::NotificationCenter::defaultCenter().addObserver(weakSelf,
        ui::Application::kDidChangeStatusBarOrientationNotification,
        [weakSelf](const foundation::Notification&) {
            if (auto self = weakSelf.lock())
                self->interfaceDidTurn();
        });
}

void Popup::interfaceDidTurn()
{
    auto self = sharedAs<Popup>();
    ui::View::animate(
        ui::Application::kRotationDuration, 0, ui::AnimationOptions::BeginFromCurrentState,
        [self] {
            self->coverInterface();
            bool editing = std::any_of(self->m_textFieldArray.begin(), self->m_textFieldArray.end(),
                [](const auto& field) { return field->isFirstResponder(); });
            auto lifted = editing ? self->liftedBoxFrame() : std::nullopt;
            self->m_popupView->setFrame(lifted.value_or(self->centredBoxFrame()));
        },
        nullptr);
}

void Popup::formulateEverything(const Text& value1, const Text& value2)
{
    coverInterface();
    observeInterfaceTurns();
    setOpaque(true);
    makeAlertPopupView();
    if (m_title)
        setupTitle();
    if (m_subTitle)
        setupSubtitle();
    if (m_placeholders)
        setupTextFields(value1, value2);
    setupButtons();
}

void Popup::makeAlertPopupView()
{
    m_popupView = ui::View::create(centredBoxFrame());
    m_popupView->setBackgroundColor(kBoxColor);
    m_popupView->layer().setBorderColor(Color::white());
    m_popupView->layer().setBorderWidth(1);
    m_popupView->layer().setCornerRadius(8);
    m_popupView->setClipsToBounds(true);
    addSubview(m_popupView);
}

void Popup::setupTitle()
{
    m_titleLabel = ui::Label::create({8, 8, m_popupView->bounds().width() - 16, 40});
    m_titleLabel->setFont(Font::named("HelveticaNeue", 30));
    m_titleLabel->setTextColor(kTitleColor);
    m_titleLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_titleLabel->setAdjustsFontSizeToFitWidth(true);
    m_titleLabel->setText(*m_title);
    m_popupView->addSubview(m_titleLabel);
}

void Popup::setupSubtitle()
{
    m_subTitleLabel = ui::Label::create();
    m_subTitleLabel->setFont(Font::named("HelveticaNeue", 15));
    m_subTitleLabel->setTextColor(kSubTitleColor);
    m_subTitleLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_subTitleLabel->setAdjustsFontSizeToFitWidth(true);
    m_subTitleLabel->setNumberOfLines(20);
    double titleHeight = m_titleLabel ? m_titleLabel->frame().height() : 0;
    Rect box = m_popupView->bounds();
    if (auto reserve = subtitleReserve(placeholderCount())) {
        double y = std::trunc(titleHeight) + 16;
        m_subTitleLabel->setFrame({8, y, box.width() - 16, box.height() - 16 - 40 - *reserve - y});
    }
    m_subTitleLabel->setText(*m_subTitle);
    m_popupView->addSubview(m_subTitleLabel);
}

void Popup::setupTextFields(const Text& value1, const Text& value2)
{
    std::weak_ptr<Popup> weakSelf = sharedAs<Popup>();
    m_popupView->addGestureRecognizer(ui::TapGestureRecognizer::create([weakSelf](ui::GestureRecognizer&) {
        if (auto self = weakSelf.lock())
            self->dismissKeyboards();
    }));
    setKeyboardNotifications();

    std::vector<std::shared_ptr<ui::TextField>> fields;
    for (size_t index = 0; index < m_placeholders->size(); ++index) {
        if (index >= size_t(kMaxFields)) {
            throw foundation::Exception("Array exceeds limit.",
                "Popups can only have at most 3 fields! TextFieldPlaceholderArray exceeds this limit. "
                "¯|_(ツ)_/¯ ");
        }
        fields.push_back(textFieldWithPlaceholder((*m_placeholders)[index], int(index) + 1));
    }
    if (fields.size() > 0 && value1)
        fields[0]->setText(*value1);
    if (fields.size() > 1 && value2)
        fields[1]->setText(*value2);

    double labels = (m_titleLabel ? m_titleLabel->frame().height() : 0)
        + (m_subTitleLabel ? m_subTitleLabel->frame().height() : 0);
    double base = std::trunc(labels);
    double width = m_popupView->bounds().width() - 16;
    for (size_t i = 0; i < fields.size(); ++i) {
        fields[i]->setFrame({8, base + 24 + kFieldStep * double(i), width, kFieldHeight});
        m_popupView->addSubview(fields[i]);
    }
    m_textFieldArray = std::move(fields);
}

std::shared_ptr<ui::TextField> Popup::textFieldWithPlaceholder(
    const std::string& placeholder, int numberOfField)
{
    auto field = ui::TextField::create();
    field->setFont(Font::named("HelveticaNeue", 14));
    field->setTextColor(Color::rgba(0, 0, 0, 0.9));
    field->setBackgroundColor(Color::white(0.9, 1));
    field->setBorderStyle(ui::TextBorderStyle::None);
    field->layer().setBorderColor(Color::white(0.8, 1));
    field->layer().setBorderWidth(1);
    field->layer().setCornerRadius(4);
    field->setClipsToBounds(true);
    field->setLeftView(ui::View::create({0, 0, 10, 20}));
    field->setLeftViewMode(ui::TextFieldViewMode::Always);
    field->setSpellCheckingType(ui::TextSpellCheckingType::No);
    field->setAutocorrectionType(ui::TextAutocorrectionType::No);
    field->setAutocapitalizationType(ui::TextAutocapitalizationType::None);
    field->setKeyboardAppearance(ui::KeyboardAppearance::Dark);
    field->setKeyboardType(ui::KeyboardType::Default);
    field->setDelegate(sharedAs<Popup>());
    field->setTag(numberOfField);
    field->setPlaceholder(placeholder);
    // Automation finds a field by its placeholder even when it holds text.
    field->setAccessibilityLabel(placeholder);
    bool last = size_t(numberOfField) == placeholderCount();
    field->setReturnKeyType(last ? ui::ReturnKeyType::Done : ui::ReturnKeyType::Next);
    return field;
}

void Popup::setupButtons()
{
    Rect box = m_popupView->bounds();
    bool both = m_cancelTitle && m_successTitle;
    std::weak_ptr<Popup> weakSelf = sharedAs<Popup>();
    auto make = [&](const std::string& title, Rect frame, Color background) {
        auto button = ui::Button::create(frame);
        button->setTitle(title, ui::ControlState::Normal);
        button->setTitleColor(kButtonTitleColor, ui::ControlState::Normal);
        button->titleLabel()->setFont(Font::named("HelveticaNeue", 16));
        button->setBackgroundColor(background);
        button->layer().setCornerRadius(6);
        button->setClipsToBounds(true);
        button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control& sender) {
            if (auto self = weakSelf.lock())
                self->pressAlertButton(static_cast<ui::Button&>(sender));
        });
        m_popupView->addSubview(button);
        return button;
    };
    if (m_cancelTitle) {
        double width = both ? box.width() / 2 - 12 : box.width() - 16;
        m_cancelBtn = make(*m_cancelTitle, {8, box.height() - 48, width, 40}, kCancelColor);
    }
    if (m_successTitle) {
        double x = both ? box.width() / 2 + 4 : 8;
        double width = both ? box.width() / 2 - 12 : box.width() - 16;
        m_successBtn = make(*m_successTitle, {x, box.height() - 48, width, 40}, kSuccessColor);
    }
}

// The centre holds the popup weakly, so a released popup stops observing by itself.
void Popup::setKeyboardNotifications()
{
    std::weak_ptr<Popup> weakSelf = sharedAs<Popup>();
    foundation::NotificationCenter::defaultCenter().addObserver(weakSelf, ui::Keyboard::kWillShowNotification,
        [weakSelf](const foundation::Notification& notification) {
            if (auto self = weakSelf.lock())
                self->keyboardWillShow(notification);
        });
    m_observesKeyboard = true;
}

void Popup::keyboardWillShow(const foundation::Notification& notification)
{
    const foundation::Value& height = notification.userInfo[ui::Keyboard::kFrameEndUserInfoKey]["height"];
    if (height.isNumber())
        shared().keyboardHeight = height.asDouble();
}

ui::KeyboardType Popup::getKeyboardTypeFromString(const std::string& name)
{
    static const std::map<std::string, ui::KeyboardType> types {
        {"", ui::KeyboardType::Default},
        {"DEFAULT", ui::KeyboardType::Default},
        {"ASCIICAPABLE", ui::KeyboardType::ASCIICapable},
        {"NUMBERSANDPUNCTUATION", ui::KeyboardType::NumbersAndPunctuation},
        {"URL", ui::KeyboardType::URL},
        {"NUMBER", ui::KeyboardType::NumberPad},
        {"PHONE", ui::KeyboardType::PhonePad},
        {"NAMEPHONE", ui::KeyboardType::NamePhonePad},
        {"EMAIL", ui::KeyboardType::EmailAddress},
        {"DECIMAL", ui::KeyboardType::DecimalPad},
        {"TWITTER", ui::KeyboardType::Twitter},
        {"WEBSEARCH", ui::KeyboardType::WebSearch},
    };
    auto it = types.find(name);
    return it == types.end() ? ui::KeyboardType::Default : it->second;
}

// Entries for fields the popup does not have are checked but change nothing.
void Popup::setKeyboardTypeForTextFields(const foundation::Array& types)
{
    for (size_t i = 0; i < types.size(); ++i) {
        if (!types[i].isString())
            throw foundation::Exception(
                "Not a valid textfield class type.", "Keyboard type needs to be of type NSString.");
        const std::string& name = types[i].asString();
        if (!listed(kKeyboardNames, name))
            throw foundation::Exception("Not a valid textfield type.",
                "Keyboard type needs to be of type NSString and either: " + joined(kKeyboardNames));
        if (i > 2)
            throw foundation::Exception("Array exceeds limit.",
                "Popups can only have at most 3 fields, KeyboardTypeArray exceeds this limit.");
        if (i < m_textFieldArray.size())
            m_textFieldArray[i]->setKeyboardType(getKeyboardTypeFromString(name));
    }
}

void Popup::setTextFieldTypeForTextFields(const foundation::Array& types)
{
    for (size_t i = 0; i < types.size(); ++i) {
        if (!types[i].isString())
            throw foundation::Exception(
                "Not a valid textfield class type.", "TextField type needs to be of type NSString.");
        const std::string& name = types[i].asString();
        if (!listed(kFieldTypeNames, name))
            throw foundation::Exception("Not a valid textfield type.",
                "TextField type needs to be of type NSString and either: " + joined(kFieldTypeNames));
        if (name != "PASSWORD")
            continue;
        if (i > 2)
            throw foundation::Exception("Array exceeds limit.",
                "Popups can only have at most 3 fields, TextFieldTypeArray exceeds this limit.");
        if (i < m_textFieldArray.size())
            m_textFieldArray[i]->setSecureTextEntry(true);
    }
}

void Popup::setOverallKeyboardAppearance(ui::KeyboardAppearance appearance)
{
    for (auto& field : m_textFieldArray)
        field->setKeyboardAppearance(appearance);
}

void Popup::setBackgroundBlurType(int64_t type)
{
    m_backgroundBlurType = type;
    blurBackgroundWithType(type);
}

void Popup::blurBackgroundWithType(int64_t type)
{
    if (type == 3)
        return;
    std::optional<ui::BlurEffect> effect;
    if (type == 0)
        effect = ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::Dark);
    else if (type == 1)
        effect = ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::Light);
    else if (type == 2)
        effect = ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::ExtraLight);
    Rect screen = bounds();
    m_backgroundView = ui::View::create(screen);
    m_backgroundView->setOpaque(false);
    auto blur = ui::VisualEffectView::create(effect, screen);
    // Both follow the popup's size when the phone turns.
    for (const auto& view : {m_backgroundView, std::shared_ptr<ui::View>(blur)})
        view->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    m_backgroundView->addSubview(blur);
    m_backgroundView->setAlpha(0);
    insertSubviewBelow(m_backgroundView, m_popupView);
}

void Popup::setBackgroundColor(std::optional<Color> color)
{
    if (m_popupView)
        m_popupView->setBackgroundColor(color);
}

void Popup::setBorderColor(Color color)
{
    m_popupView->layer().setBorderColor(color);
    m_popupView->layer().setBorderWidth(1);
}

void Popup::setTitleColor(Color color)
{
    if (m_titleLabel)
        m_titleLabel->setTextColor(color);
}

void Popup::setSubTitleColor(Color color)
{
    if (m_subTitleLabel)
        m_subTitleLabel->setTextColor(color);
}

void Popup::setSuccessBtnColor(Color color)
{
    if (m_successBtn)
        m_successBtn->setBackgroundColor(color);
}

void Popup::setCancelBtnColor(Color color)
{
    if (m_cancelBtn)
        m_cancelBtn->setBackgroundColor(color);
}

void Popup::setSuccessTitleColor(Color color)
{
    if (m_successBtn)
        m_successBtn->setTitleColor(color, ui::ControlState::Normal);
}

void Popup::setCancelTitleColor(Color color)
{
    if (m_cancelBtn)
        m_cancelBtn->setTitleColor(color, ui::ControlState::Normal);
}

void Popup::setRoundedCorners(bool rounded)
{
    m_roundedCorners = rounded;
    m_popupView->layer().setCornerRadius(rounded ? 8 : 0);
}

void Popup::setTapBackgroundToDismiss(bool dismiss)
{
    m_tapBackgroundToDismiss = dismiss;
    if (!dismiss || !m_backgroundView)
        return;
    std::weak_ptr<Popup> weakSelf = sharedAs<Popup>();
    m_backgroundTap = ui::TapGestureRecognizer::create([weakSelf](ui::GestureRecognizer&) {
        if (auto self = weakSelf.lock())
            self->dismissPopup(uint64_t(PopupButtonType::Cancel) + 1); // the recogniser as the type
    });
    m_backgroundView->addGestureRecognizer(m_backgroundTap);
}

void Popup::setSwipeToDismiss(bool dismiss)
{
    m_swipeToDismiss = dismiss;
    if (!dismiss)
        return;
    m_panHolder.clear();
    std::weak_ptr<Popup> weakSelf = sharedAs<Popup>();
    m_pan = ui::PanGestureRecognizer::create([weakSelf](ui::GestureRecognizer& recognizer) {
        if (auto self = weakSelf.lock())
            self->panFired(static_cast<ui::PanGestureRecognizer&>(recognizer));
    });
    m_pan->setMinimumNumberOfTouches(1);
    m_pan->setMaximumNumberOfTouches(1);
    m_popupView->addGestureRecognizer(m_pan);
}

void Popup::showPopup()
{
    if (auto window = ui::Application::shared().keyWindow())
        window->addSubview(sharedAs<Popup>());
    if (auto delegate = m_delegate.lock())
        delegate->popupWillAppear(*this);
    showAnimation();
}

void Popup::showAnimation()
{
    if (auto background = m_backgroundView)
        ui::View::animate(0.1, [background] { background->setAlpha(1); });
    configureIncomingAnimationFor(
        m_incomingTransitionType == 0 ? kDefaultTransition : m_incomingTransitionType);
}

void Popup::pressAlertButton(ui::Button& sender)
{
    auto protector = sharedAs<Popup>();
    dismissKeyboards();
    bool success = &sender == m_successBtn.get();
    foundation::log(success ? "Success!" : "Cancel!");
    PopupButtonType type = success ? PopupButtonType::Success : PopupButtonType::Cancel;
    const Block& block = success ? m_successBlock : m_cancelBlock;
    auto delegate = m_delegate.lock();
    if (!block && delegate)
        delegate->popupPressButton(*this, type);
    if (delegate && placeholderCount() != 0) {
        // The shared dictionary takes this popup's keys only when the delegate asks for them.
        FieldDictionary dictionary = dictionaryWithTextfields();
        if (delegate->dictionary(dictionary, *this, arrayForStringOfTextfields()))
            shared().fields = std::move(dictionary);
    }
    dismissPopup(uint64_t(type));
}

void Popup::dismissPopup(uint64_t buttonType)
{
    auto type = buttonType == 0 ? PopupButtonType::Success : PopupButtonType::Cancel;
    if (auto delegate = m_delegate.lock())
        delegate->popupWillDisappear(*this, type);
    configureOutgoingAnimationFor(
        m_outgoingTransitionType == 0 ? kDefaultTransition : m_outgoingTransitionType, type);
}

void Popup::endWithButtonType(PopupButtonType type)
{
    auto protector = sharedAs<Popup>();
    Block block = type == PopupButtonType::Success ? m_successBlock : m_cancelBlock;
    removeFromSuperview();
    if (block) {
        block();
        return;
    }
    if (auto delegate = m_delegate.lock())
        delegate->popupDidDisappear(*this, type);
}

Popup::FieldDictionary Popup::createDictionaryForTextfields()
{
    shared().fields = dictionaryWithTextfields();
    return shared().fields;
}

Popup::FieldDictionary Popup::dictionaryWithTextfields() const
{
    FieldDictionary fields = shared().fields;
    for (size_t i = 0; i < m_textFieldArray.size() && i < size_t(kMaxFields); ++i)
        fields[(*m_placeholders)[i]] = m_textFieldArray[i]->text();
    return fields;
}

std::optional<std::vector<std::string>> Popup::arrayForStringOfTextfields()
{
    size_t count = placeholderCount();
    if (count < 1 || count > size_t(kMaxFields))
        return std::nullopt;
    if (m_textFieldArray.size() > size_t(kMaxFields))
        throw foundation::Exception("Array exceeds limit.",
            "Popups can only have at most 3 fields, TextFieldArray exceeds this limit.");
    std::vector<std::string> texts;
    for (auto& field : m_textFieldArray)
        texts.push_back(field->text());
    return texts;
}

void Popup::dismissKeyboards()
{
    endEditing(true);
    auto box = m_popupView;
    Rect centred = centredBoxFrame();
    ui::View::animate(kShiftDuration, [box, centred] { box->setFrame(centred); });
}

// Above a keyboard of the standard height, by the screen's height; none for a height not listed.
std::optional<Rect> Popup::liftedBoxFrame() const
{
    Rect screen = bounds();
    double height = screen.height();
    double y;
    if (height == 480)
        y = height / 2 - kKeyboardHeight - 70;
    else if (height == 568)
        y = height / 2 - kKeyboardHeight - 30;
    else if (height > 568)
        y = height / 2 - kKeyboardHeight;
    else
        return std::nullopt;
    return Rect {screen.width() / 2 - kBoxSide / 2, y, kBoxSide, kBoxSide};
}

void Popup::setPopupFrameForTextField(ui::TextField&)
{
    shared().keyboardHeight = kKeyboardHeight;
    auto lifted = liftedBoxFrame();
    if (!lifted)
        return;
    auto box = m_popupView;
    Rect frame = *lifted;
    ui::View::animate(kShiftDuration, [box, frame] { box->setFrame(frame); });
}

std::optional<bool> Popup::textFieldShouldBeginEditing(ui::TextField& field)
{
    setPopupFrameForTextField(field);
    return true;
}

std::optional<bool> Popup::textFieldShouldReturn(ui::TextField& field)
{
    if (field.tag() == int64_t(placeholderCount())) {
        dismissKeyboards();
        return true;
    }
    field.resignFirstResponder();
    if (auto next = viewWithTag(field.tag() + 1))
        next->becomeFirstResponder();
    return true;
}

void Popup::panFired(ui::PanGestureRecognizer& pan)
{
    auto protector = sharedAs<Popup>();
    auto delegate = m_delegate.lock();
    if (!shared().swipeNoticeSent && delegate && delegate->popupWillDisappear(*this, PopupButtonType::Cancel))
        shared().swipeNoticeSent = true;
    endEditing(true);

    auto box = m_popupView;
    if (pan.state() == ui::GestureState::Changed) {
        graphics::Point translation = pan.translationInView(box.get());
        Rect frame = box->frame();
        box->setFrame({frame.minX(), translation.y + frame.minY(), frame.width(), frame.height()});
        pan.setTranslation({0, 0}, box.get());
        return;
    }
    if (pan.state() != ui::GestureState::Ended)
        return;
    double velocity = pan.velocityInView(box.get()).y;
    double y = box->frame().minY();
    double duration = -velocity / (y - 50);
    // Released at rest on the line it flies to, that is 0/0: no time at all, or the end timer
    // below would never fire and the invisible popup would keep every touch.
    if (!std::isfinite(duration))
        duration = 0;
    if (duration > 1.5)
        duration = -1.5;
    auto background = m_backgroundView;
    ui::View::animate(
        duration, 0, ui::AnimationOptions::CurveLinear,
        [box, background, y] {
            Rect frame = box->frame();
            box->setFrame({frame.minX(), 50, frame.width(), frame.height()});
            if (background)
                background->setAlpha(0);
            ui::View::animate(
                0.1,
                [box, y] {
                    box->setFrame({30, y > 115.1 ? 600.0 : -400.0, kBoxSide, kBoxSide});
                },
                [box](bool) { box->setAlpha(0); });
        },
        nullptr);
    // The inner move replaces the outer block's move, which would end the outer block at once:
    // end when both have run their time instead.
    foundation::RunLoop::main().performAfter(std::max(duration, 0.0) + 0.1,
        [protector] { protector->endWithButtonType(PopupButtonType::Cancel); });
}
