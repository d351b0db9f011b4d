#include "components/inputbox/InputBoxView.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using graphics::Color;
using graphics::Rect;

namespace {

// The colours of a blur style: light texts on the dark blur, dark ones on the others.
struct Palette {
    Color text;
    Color fieldBackground;
    Color buttonBackground;
};

Palette paletteFor(int64_t style)
{
    if (style == int64_t(ui::BlurEffectStyle::Dark))
        return {Color::rgba(1, 1, 1), Color::white(1, 0.07), Color::white(1, 0.07)};
    return {Color::rgba(0, 0, 0), Color::white(1, 0.5), Color::white(1, 0.2)};
}

const Color kBorderColor = Color::white(0, 0.1);
constexpr double kBorderWidth = 0.5;

} // namespace

std::shared_ptr<InputBoxView> InputBoxView::boxOfType(int64_t boxType)
{
    return create(boxType);
}

std::shared_ptr<InputBoxView> InputBoxView::create(int64_t boxType)
{
    auto box = std::make_shared<InputBoxView>(boxType);
    box->addSubview(box->m_actualBox);
    return box;
}

std::shared_ptr<ui::Window> InputBoxView::firstWindow()
{
    auto windows = ui::Application::shared().windows();
    return windows.empty() ? nullptr : windows.front();
}

InputBoxView::InputBoxView(int64_t boxType)
    : ui::View()
    , m_boxType(boxType)
{
    auto window = firstWindow();
    Rect windowFrame = window ? window->frame() : Rect {};
    setFrame(windowFrame);
    double width = std::min(windowFrame.width() - 50, kMaxPanelWidth);
    setBackgroundColor(Color::white(1, 0));
    setAutoresizingMask(ui::Autoresizing::FlexibleHeight);
    m_actualBox = ui::View::create({0, 0, width, kPanelHeight});
    m_actualBox->setCenter(windowFrame.center());
    setCenter(windowFrame.center());
}

void InputBoxView::show()
{
    setAlpha(0);
    // Shown on a turned interface, it stands as the interface does from the start.
    resetFrame(false);
    setupView();
    auto self = sharedAs<InputBoxView>();
    ui::View::animate(kFadeDuration, [self] { self->setAlpha(1); });
    if (auto window = firstWindow()) {
        window->addSubview(self);
        window->bringSubviewToFront(self);
    }
    // A second show while shown must not register everything twice.
    stopObserving();
    ui::Device::currentDevice().beginGeneratingDeviceOrientationNotifications();
    m_observing = true;
    std::weak_ptr<InputBoxView> weakSelf = self;
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.addObserver(weakSelf, ui::Device::kOrientationDidChangeNotification, [weakSelf](const auto&) {
        if (auto box = weakSelf.lock())
            box->deviceOrientationDidChange();
    });
    center.addObserver(weakSelf, ui::Keyboard::kDidShowNotification, [weakSelf](const auto&) {
        if (auto box = weakSelf.lock())
            box->keyboardDidShow();
    });
    center.addObserver(weakSelf, ui::Keyboard::kDidHideNotification, [weakSelf](const auto&) {
        if (auto box = weakSelf.lock())
            box->keyboardDidHide();
    });
}

void InputBoxView::stopObserving()
{
    if (!m_observing)
        return;
    m_observing = false;
    ui::Device::currentDevice().endGeneratingDeviceOrientationNotifications();
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

void InputBoxView::hide()
{
    auto self = sharedAs<InputBoxView>();
    ui::View::animate(
        kFadeDuration, [self] { self->setAlpha(0); },
        [self](bool) {
            self->removeFromSuperview();
            self->stopObserving();
        });
}

std::shared_ptr<ui::TextField> InputBoxView::makeField(double top, bool secure)
{
    double innerWidth = m_actualBox->bounds().width() - 20;
    auto field = ui::TextField::create({10, top, innerWidth, 30});
    field->setTextAlignment(graphics::TextAlignment::Center);
    field->setSecureTextEntry(secure);
    // The caller's block may adjust the field or hand back another; without one, ours stays.
    if (m_customise) {
        if (auto customised = m_customise(field))
            field = customised;
    }
    m_elements.push_back(field);
    return field;
}

void InputBoxView::setupView()
{
    m_elements.clear();
    m_textInput.reset();
    m_secureInput.reset();
    // Every show builds afresh: the last show's contents and height go first.
    if (m_visualEffectView)
        m_visualEffectView->removeFromSuperview();
    Rect panel = m_actualBox->frame();
    m_actualBox->setFrame({panel.minX(), panel.minY(), panel.width(), kPanelHeight});
    m_actualBox->layer().setCornerRadius(4);
    m_actualBox->setClipsToBounds(true);

    int64_t style = m_blurEffectStyle == 0 ? int64_t(ui::BlurEffectStyle::Light) : m_blurEffectStyle;
    Palette palette = paletteFor(style);
    double width = m_actualBox->bounds().width();
    double innerWidth = width - 20;
    m_visualEffectView
        = ui::VisualEffectView::create(ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle(style)));
    auto content = m_visualEffectView->contentView();

    m_titleLabel = ui::Label::create({10, 10, innerWidth, 20});
    m_titleLabel->setFont(graphics::Font::boldSystemFont(17));
    m_titleLabel->setText(m_title.value_or(""));
    m_titleLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_titleLabel->setTextColor(palette.text);
    content->addSubview(m_titleLabel);

    m_messageLabel = ui::Label::create({10, 35, innerWidth, 31.5});
    m_messageLabel->setNumberOfLines(2);
    m_messageLabel->setFont(graphics::Font::systemFont(13));
    m_messageLabel->setText(m_message.value_or(""));
    m_messageLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_messageLabel->setTextColor(palette.text);
    // The height follows the text; the width stays, so the centred text stays centred.
    double fitted = m_messageLabel->sizeThatFits({innerWidth, 1e6}).height;
    m_messageLabel->setFrame({10, 35, innerWidth, fitted});
    content->addSubview(m_messageLabel);
    double messageBottom = m_messageLabel->frame().maxY();

    if (m_boxType >= PlainText && m_boxType <= Text) {
        m_textInput = makeField(messageBottom + 20.0 / 3.0, false);
        if (m_boxType == PlainText || m_boxType == Email)
            m_textInput->setAutocorrectionType(ui::TextAutocorrectionType::No);
        if (m_boxType == Number) {
            m_textInput->setKeyboardType(ui::KeyboardType::NumberPad);
            std::weak_ptr<InputBoxView> weakSelf = sharedAs<InputBoxView>();
            m_textInput->addAction(ui::ControlEvents::EditingChanged, [weakSelf](ui::Control&) {
                if (auto self = weakSelf.lock())
                    self->textInputDidChange();
            });
        } else if (m_boxType == Phone) {
            m_textInput->setKeyboardType(ui::KeyboardType::PhonePad);
        } else if (m_boxType == Email) {
            m_textInput->setKeyboardType(ui::KeyboardType::EmailAddress);
        }
    } else if (m_boxType == Login) {
        m_textInput = makeField(messageBottom + 10, false);
        m_textInput->setAutocorrectionType(ui::TextAutocorrectionType::No);
        m_secureInput = makeField(m_textInput->frame().maxY() + 10, true);
        Rect grown = m_actualBox->frame();
        m_actualBox->setFrame(
            {grown.minX(), grown.minY(), grown.width(), grown.height() + kLoginExtraHeight});
    }
    for (auto& field : m_elements) {
        field->layer().setBorderColor(kBorderColor);
        field->layer().setBorderWidth(kBorderWidth);
        field->setBackgroundColor(palette.fieldBackground);
        content->addSubview(field);
    }

    double height = m_actualBox->bounds().height();
    std::weak_ptr<InputBoxView> weakSelf = sharedAs<InputBoxView>();
    auto makeButton = [&](const std::string& title, double x, void (InputBoxView::*action)()) {
        auto button = ui::Button::create(Rect {x, height - 40, width / 2, 40});
        button->setTitle(title, ui::ControlState::Normal);
        button->titleLabel()->setFont(graphics::Font::systemFont(16));
        button->setTitleColor(palette.text, ui::ControlState::Normal);
        button->setTitleColor(Color::gray(), ui::ControlState::Highlighted);
        button->setBackgroundColor(palette.buttonBackground);
        button->layer().setBorderColor(kBorderColor);
        button->layer().setBorderWidth(kBorderWidth);
        button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, action](ui::Control&) {
            if (auto self = weakSelf.lock())
                ((*self).*action)();
        });
        content->addSubview(button);
        return button;
    };
    m_cancelButton = makeButton(m_cancelButtonText.value_or("Cancel"), 0, &InputBoxView::cancelButtonTapped);
    m_submitButton
        = makeButton(m_submitButtonText.value_or("OK"), width / 2, &InputBoxView::submitButtonTapped);

    m_visualEffectView->setFrame({0, 0, width, height + kLoginExtraHeight});
    m_actualBox->addSubview(m_visualEffectView);
    Rect own = bounds();
    m_actualBox->setCenter({own.midX(), own.midY()});
}

void InputBoxView::cancelButtonTapped()
{
    if (m_onCancel)
        m_onCancel();
    hide();
}

void InputBoxView::submitButtonTapped()
{
    if (!m_onSubmit) {
        hide();
        return;
    }
    std::optional<std::string> text, secure;
    if (m_textInput)
        text = m_textInput->text();
    if (m_secureInput)
        secure = m_secureInput->text();
    if (m_onSubmit(text, secure))
        hide();
}

std::string InputBoxView::formattedNumber(const std::string& typed, int32_t decimals)
{
    std::string digits;
    std::copy_if(typed.begin(), typed.end(), std::back_inserter(digits), [](char c) { return c != '.'; });
    // A negative count would make no fixed-point format at all.
    int places = std::max(decimals, 0);
    double value = std::strtod(digits.c_str(), nullptr) / std::pow(10.0, places);
    return foundation::format("%.*f", places, value);
}

void InputBoxView::textInputDidChange()
{
    if (m_textInput)
        m_textInput->setText(formattedNumber(m_textInput->text(), m_numberOfDecimals));
}

void InputBoxView::resetFrame(bool animated)
{
    auto window = firstWindow();
    if (!window)
        return;
    auto self = sharedAs<InputBoxView>();
    // The box lies on the window, which stays portrait before system 8 while the controllers' views
    // turn inside it: the box turns and takes the interface's size as they do, its panel in the middle.
    auto centre = [self, window] {
        ui::Application::shared().fitToInterface(*self, *window);
        Rect own = self->bounds();
        self->m_actualBox->setCenter({own.midX(), own.midY()});
    };
    if (animated)
        ui::View::animate(kFadeDuration, centre);
    else
        centre();
}

void InputBoxView::deviceOrientationDidChange()
{
    resetFrame(true);
}

void InputBoxView::keyboardDidHide()
{
    resetFrame(true);
}

void InputBoxView::keyboardDidShow()
{
    resetFrame(true);
    auto box = m_actualBox;
    double correction = yCorrection();
    ui::View::animate(kLiftDuration, [box, correction] {
        Rect frame = box->frame();
        box->setFrame({frame.minX(), frame.minY() - correction, frame.width(), frame.height()});
    });
}

double InputBoxView::yCorrection() const
{
    auto& device = ui::Device::currentDevice();
    ui::DeviceOrientation orientation = device.orientation();
    bool login = m_boxType == Login;
    bool landscape = orientation == ui::DeviceOrientation::LandscapeLeft
        || orientation == ui::DeviceOrientation::LandscapeRight;
    switch (device.userInterfaceIdiom()) {
    case ui::UserInterfaceIdiom::Phone:
        return landscape ? (login ? 125 : 80) : 115;
    case ui::UserInterfaceIdiom::Pad:
        return landscape ? (login ? 145 : 100) : 0;
    }
    return landscape ? (login ? 160 : 115) : 115;
}
