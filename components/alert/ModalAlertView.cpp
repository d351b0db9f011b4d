#include "components/alert/ModalAlertView.h"

#include "components/alert/AlertIconKit.h"
#include "components/alert/ModalAlertResponder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/AudioPlayer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Window.h"

#include <algorithm>

using graphics::Color;
using graphics::Font;
using graphics::Rect;

namespace {

constexpr Color kTextColor = Color::rgba(77 / 255.0, 77 / 255.0, 77 / 255.0, 1);
constexpr Color kCardBorderColor = Color::rgba(204 / 255.0, 204 / 255.0, 204 / 255.0, 1);

// One slot for the whole program: the auto-hide timer of the alert shown last with a duration.
// Never destroyed: an alert the timer still holds must not be torn down during exit.
std::shared_ptr<foundation::Timer>& autoHideTimerSlot()
{
    static auto* slot = new std::shared_ptr<foundation::Timer>();
    return *slot;
}

// White space and line ends, ASCII and the Unicode spaces, at both ends.
bool isBlank(const std::string& text)
{
    static const char* const kSpaces[] = {"\xC2\x85", "\xC2\xA0", "\xE1\x9A\x80", "\xE2\x80\xA8",
        "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || (c >= '\t' && c <= '\r')) {
            ++i;
            continue;
        }
        // U+2000 to U+200A
        if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80
            && static_cast<unsigned char>(text[i + 2]) <= 0x8A) {
            i += 3;
            continue;
        }
        bool matched = false;
        for (const char* space : kSpaces) {
            const size_t n = std::char_traits<char>::length(space);
            if (text.compare(i, n, space) == 0) {
                i += n;
                matched = true;
                break;
            }
        }
        if (!matched)
            return false;
    }
    return true;
}

} // namespace

std::shared_ptr<ModalAlertView> ModalAlertView::create()
{
    auto alert = std::make_shared<ModalAlertView>();
    alert->init();
    return alert;
}

std::shared_ptr<ModalAlertView> ModalAlertView::createWithNewWindow()
{
    auto alert = create();
    alert->initWithNewWindow();
    return alert;
}

std::shared_ptr<ModalAlertView> ModalAlertView::createWithCoder()
{
    throw foundation::Exception("NSInternalInconsistencyException", "NSCoding not supported");
}

ModalAlertView::ModalAlertView() = default;

ModalAlertView::~ModalAlertView()
{
    removeObservers();
    if (m_observesTurns)
        foundation::NotificationCenter::defaultCenter().removeObserver(
            static_cast<const void*>(this), ui::Application::kDidChangeStatusBarOrientationNotification);
    restoreInteractivePopGesture();
}

std::shared_ptr<ModalAlertView> ModalAlertView::self()
{
    return sharedAs<ModalAlertView>();
}

void ModalAlertView::loadView()
{
    setView(ui::View::create(mainScreenFrame()));
}

void ModalAlertView::init()
{
    auto root = view();

    m_labelTitle = ui::Label::create();
    m_viewText = ui::TextView::create();
    m_contentView = ui::View::create();
    m_circleViewBackground = ui::View::create();
    m_circleView = ui::View::create();
    m_circleIconImageView = ui::ImageView::create();
    m_backgroundView = ui::ImageView::create(mainScreenFrame());
    m_backgroundView->setUserInteractionEnabled(true);

    root->addSubview(m_contentView);
    root->addSubview(m_circleViewBackground);

    m_circleViewBackground->setFrame({0, 0, kCircleHeightBackground, kCircleHeightBackground});
    m_circleViewBackground->layer().setCornerRadius(kCircleHeightBackground / 2);
    m_circleView->setFrame({3, 3, kCircleHeight, kCircleHeight});
    m_circleView->layer().setCornerRadius(kCircleHeight / 2);
    m_circleViewBackground->addSubview(m_circleView);
    m_circleIconImageView->setFrame({18, 18, m_circleIconHeight, m_circleIconHeight});
    m_circleView->addSubview(m_circleIconImageView);

    m_contentView->setBackgroundColor(Color::white());
    m_contentView->layer().setCornerRadius(5);
    m_contentView->layer().setMasksToBounds(true);
    m_contentView->layer().setBorderWidth(0.5);
    m_contentView->addSubview(m_labelTitle);
    m_contentView->addSubview(m_viewText);

    m_labelTitle->setNumberOfLines(1);
    m_labelTitle->setTextAlignment(graphics::TextAlignment::Center);
    m_labelTitle->setFont(Font::named(m_titleFontFamily, m_titleFontSize));
    m_labelTitle->setFrame({kMargin, kTitleTop, m_windowWidth - kMargin * 2, kTitleHeight});

    m_viewText->setEditable(false);
    m_viewText->setAllowsEditingTextAttributes(true);
    m_viewText->setTextAlignment(graphics::TextAlignment::Center);
    m_viewText->setFont(Font::named(m_bodyTextFontFamily, m_bodyFontSize));
    m_viewText->setFrame({kMargin, m_subTitleY, m_windowWidth - kMargin * 2, m_subTitleHeight});
    m_viewText->setTextContainerInset({});
    m_viewText->setLineFragmentPadding(0);

    m_contentView->layer().setBorderColor(kCardBorderColor);
    m_labelTitle->setTextColor(kTextColor);
    m_viewText->setTextColor(kTextColor);

    setBackgroundViewColor(m_backgroundViewColor);
}

void ModalAlertView::initWithNewWindow()
{
    m_modalAlertWindow = ui::Window::create(mainScreenFrame());
    m_modalAlertWindow->setWindowLevel(ui::Window::kLevelAlert);
    m_modalAlertWindow->setBackgroundColor(Color::clear());
    m_modalAlertWindow->setRootViewController(self());
    m_usingNewWindow = true;
}

std::shared_ptr<ui::Label> ModalAlertView::labelTitle() const
{
    std::lock_guard lock(m_atomicMutex);
    return m_labelTitle;
}

std::shared_ptr<ui::TextView> ModalAlertView::viewText() const
{
    std::lock_guard lock(m_atomicMutex);
    return m_viewText;
}

std::shared_ptr<ui::ActivityIndicatorView> ModalAlertView::activityIndicatorView() const
{
    std::lock_guard lock(m_atomicMutex);
    return m_activityIndicatorView;
}

void ModalAlertView::setTitleText(const std::string& title)
{
    m_titleTextSet = true;
    labelTitle()->setText(title);
}

void ModalAlertView::setTitleFontFamily(const std::string& family, double size)
{
    m_titleFontFamily = family;
    m_titleFontSize = size;
    m_labelTitle->setFont(Font::named(family, size));
}

void ModalAlertView::setBodyTextFontFamily(const std::string& family, double size)
{
    m_bodyTextFontFamily = family;
    m_bodyFontSize = size;
    m_viewText->setFont(Font::named(family, size));
}

void ModalAlertView::setButtonsTextFontFamily(const std::string& family, double size)
{
    m_buttonsFontFamily = family;
    m_buttonsFontSize = size;
}

void ModalAlertView::setBackgroundViewColor(Color color)
{
    m_backgroundViewColor = color;
    m_circleViewBackground->setBackgroundColor(color);
    m_contentView->setBackgroundColor(color);
    m_viewText->setBackgroundColor(color);
}

void ModalAlertView::setSoundURL(std::optional<std::filesystem::path> url)
{
    m_soundURL = std::move(url);
    m_audioPlayer = m_soundURL ? ui::AudioPlayer::initWithContentsOfURL(*m_soundURL) : nullptr;
}

std::shared_ptr<foundation::Timer> ModalAlertView::autoHideTimer()
{
    return autoHideTimerSlot();
}

// Show operations.

void ModalAlertView::showSuccess(Host host, const std::string& title, const std::string& subTitle,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        Style::Success);
}

void ModalAlertView::showError(Host host, const std::string& title, const std::string& subTitle,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        Style::Error);
}

void ModalAlertView::showNotice(Host host, const std::string& title, const std::string& subTitle,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        Style::Notice);
}

void ModalAlertView::showWarning(Host host, const std::string& title, const std::string& subTitle,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        Style::Warning);
}

void ModalAlertView::showInfo(Host host, const std::string& title, const std::string& subTitle,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        Style::Info);
}

void ModalAlertView::showEdit(Host host, const std::string& title, const std::string& subTitle,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        Style::Edit);
}

void ModalAlertView::showWaiting(Host host, const std::string& title, const std::string& subTitle,
    OptionalText closeButtonTitle, double duration)
{
    addActivityIndicatorView();
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        Style::Waiting);
}

void ModalAlertView::showCustom(Host host, ImagePtr image, std::optional<Color> color,
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), std::move(image), color, title, subTitle, duration,
        std::move(closeButtonTitle), Style::Custom);
}

void ModalAlertView::showTitle(Host host, const std::string& title, const std::string& subTitle, Style style,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(std::move(host), nullptr, std::nullopt, title, subTitle, duration, std::move(closeButtonTitle),
        style);
}

void ModalAlertView::showSuccess(
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showSuccess(nullptr, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showError(
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showError(nullptr, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showNotice(
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showNotice(nullptr, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showWarning(
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showWarning(nullptr, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showInfo(
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showInfo(nullptr, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showEdit(
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showEdit(nullptr, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showWaiting(
    const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showWaiting(nullptr, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showCustom(ImagePtr image, std::optional<Color> color, const std::string& title,
    const std::string& subTitle, OptionalText closeButtonTitle, double duration)
{
    showCustom(nullptr, std::move(image), color, title, subTitle, std::move(closeButtonTitle), duration);
}

void ModalAlertView::showTitle(const std::string& title, const std::string& subTitle, Style style,
    OptionalText closeButtonTitle, double duration)
{
    showTitle(nullptr, title, subTitle, style, std::move(closeButtonTitle), duration);
}

std::shared_ptr<ModalAlertResponder> ModalAlertView::showTitle(Host host, ImagePtr image,
    std::optional<Color> color, const std::string& title, const std::string& subTitle, double duration,
    OptionalText completeText, Style style)
{
    auto protector = self();
    ++m_showCount;
    attach(host);
    observeInterfaceTurns();

    view()->setAlpha(0);
    // A scale left by an earlier hide would show this message shrunk or blown up.
    view()->setTransform(restingTransform());
    setBackground();

    std::optional<Color> viewColor;
    ImagePtr iconImage;
    switch (style) {
    case Style::Success:
        viewColor = Color::rgba(34 / 255.0, 181 / 255.0, 115 / 255.0);
        iconImage = AlertIconKit::imageOfCheckmark();
        break;
    case Style::Error:
        viewColor = Color::rgba(193 / 255.0, 39 / 255.0, 45 / 255.0);
        iconImage = AlertIconKit::imageOfCross();
        break;
    case Style::Notice:
        viewColor = Color::rgba(114 / 255.0, 115 / 255.0, 117 / 255.0);
        iconImage = AlertIconKit::imageOfNotice();
        break;
    case Style::Warning:
        viewColor = Color::rgba(255 / 255.0, 209 / 255.0, 16 / 255.0);
        iconImage = AlertIconKit::imageOfWarning();
        break;
    case Style::Info:
        viewColor = Color::rgba(40 / 255.0, 102 / 255.0, 191 / 255.0);
        iconImage = AlertIconKit::imageOfInfo();
        break;
    case Style::Edit:
        viewColor = Color::rgba(164 / 255.0, 41 / 255.0, 255 / 255.0);
        iconImage = AlertIconKit::imageOfEdit();
        break;
    case Style::Waiting:
        viewColor = Color::rgba(108 / 255.0, 18 / 255.0, 93 / 255.0);
        break;
    case Style::Custom:
        viewColor = color;
        iconImage = image;
        m_circleIconHeight *= 2;
        break;
    }
    if (m_customViewColor)
        viewColor = m_customViewColor;

    if (!isBlank(title)) {
        setTitleText(title);
    } else {
        m_windowHeight -= m_labelTitle->frame().height();
        m_labelTitle->removeFromSuperview();
        m_subTitleY = kCircleHeight - 20;
    }

    if (!isBlank(subTitle)) {
        if (m_attributedFormatBlock) {
            m_viewText->setFont(Font::named(m_bodyTextFontFamily, m_bodyFontSize));
            m_viewText->setAttributedText(m_attributedFormatBlock(subTitle));
        } else {
            m_viewText->setText(subTitle);
        }
        measureBodyText();
    } else {
        m_subTitleHeight = 0;
        m_windowHeight -= m_viewText->frame().height();
        m_viewText->removeFromSuperview();
        m_labelTitle->setFrame({kMargin, 37, m_windowWidth - kMargin * 2, kTitleHeight});
    }

    if (m_soundURL) {
        if (m_audioPlayer)
            m_audioPlayer->play();
        else
            foundation::log("You need to set your sound file first");
    }

    if (completeText)
        addDoneButtonWithTitle(*completeText);

    applyStyle(style, viewColor, iconImage);

    if (duration > 0) {
        auto& timer = autoHideTimerSlot();
        if (timer)
            timer->invalidate();
        // The timer keeps its alert alive until it fires or is replaced, then lets it go.
        auto target = std::make_shared<std::shared_ptr<ModalAlertView>>(protector);
        timer = foundation::Timer::scheduled(duration, false, [target](foundation::Timer&) {
            auto alert = std::move(*target);
            if (alert)
                alert->hideView();
        });
    }

    if (m_usingNewWindow && m_modalAlertWindow) {
        m_modalAlertWindow->makeKeyAndVisible();
        // Showing the window puts the alert's view in; the backdrop belongs under it.
        if (m_backgroundView->superview() == m_modalAlertWindow)
            m_modalAlertWindow->sendSubviewToBack(m_backgroundView);
    }

    showView();
    return ModalAlertResponder::init(protector);
}

void ModalAlertView::attach(const Host& host)
{
    if (m_usingNewWindow) {
        // Shown again while up, its own window is key: the window to give back stays the one saved.
        auto key = ui::Application::shared().keyWindow();
        if (!key || key != m_modalAlertWindow)
            m_previousWindow = std::move(key);
        if (!m_modalAlertWindow) {
            m_backgroundView->setFrame(Rect {});
            return;
        }
        m_backgroundView->setFrame(m_modalAlertWindow->bounds());
        m_modalAlertWindow->addSubview(m_backgroundView);
        return;
    }
    m_rootViewController = host;
    if (!host) {
        m_backgroundView->setFrame(Rect {});
        return;
    }
    disableInteractivePopGesture();
    auto hostView = host->view();
    m_backgroundView->setFrame(hostView->bounds());
    if (parentViewController() != host)
        host->addChildViewController(self());
    hostView->addSubview(m_backgroundView);
    hostView->addSubview(view());
}

void ModalAlertView::applyStyle(Style style, std::optional<Color> viewColor, ImagePtr iconImage)
{
    m_circleView->setBackgroundColor(viewColor);
    if (style == Style::Waiting) {
        if (auto indicator = activityIndicatorView())
            indicator->startAnimating();
    } else {
        // The tint turns the icon into a template: its shape in the tint colour.
        if (m_iconTintColor)
            m_circleIconImageView->setTintColor(m_iconTintColor);
        m_circleIconImageView->setRendersAsTemplate(m_iconTintColor && iconImage);
        m_circleIconImageView->setImage(iconImage);
    }

    for (const auto& field : m_inputs)
        field->layer().setBorderColor(viewColor.value_or(Color::clear()));

    for (const auto& button : m_buttons) {
        if (style == Style::Warning)
            button->setTitleColor(Color::black(), ui::ControlState::Normal);
        if (!button->defaultBackgroundColor())
            button->setDefaultBackgroundColor(viewColor);
        if (button->completeButtonFormatBlock())
            button->parseConfig(button->completeButtonFormatBlock()());
        else if (button->buttonFormatBlock())
            button->parseConfig(button->buttonFormatBlock()());
    }
}

void ModalAlertView::hideView()
{
    auto protector = self();
    switch (m_hideAnimationType) {
    case 0:
        fadeOut();
        break;
    case 1:
        slideOutToBottom();
        break;
    case 2:
        slideOutToTop();
        break;
    case 3:
        slideOutToLeft();
        break;
    case 4:
        slideOutToRight();
        break;
    case 5:
        slideOutToCenter();
        break;
    case 6:
        slideOutFromCenter();
        break;
    default:
        break;
    }
    if (auto indicator = activityIndicatorView())
        indicator->stopAnimating();
    if (m_dismissBlock)
        m_dismissBlock();
    if (m_usingNewWindow && m_previousWindow) {
        m_previousWindow->makeKeyAndVisible();
        m_previousWindow = nullptr;
    }
}

bool ModalAlertView::isVisible()
{
    return view()->alpha() != 0;
}

void ModalAlertView::disableInteractivePopGesture()
{
    auto host = rootViewController();
    if (!host)
        return;
    auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(host);
    if (!navigation)
        navigation = host->navigationController();
    if (!navigation)
        return;
    auto recognizer = navigation->interactivePopGestureRecognizer();
    if (!recognizer)
        return;
    // Shown again on the same screen, the alert would otherwise save the state it set itself and
    // leave the back-swipe off for good once it goes.
    const bool alreadyOurs = m_interactivePopGestureRecognizer.lock() == recognizer
        && recognizer->delegate().lock().get() == static_cast<ui::GestureRecognizerDelegate*>(this);
    if (!alreadyOurs) {
        m_restoreInteractivePopGestureEnabled = recognizer->isEnabled();
        m_restoreInteractivePopGestureDelegate = recognizer->delegate();
        m_interactivePopGestureRecognizer = recognizer;
    }
    recognizer->setEnabled(false);
    recognizer->setDelegate(std::static_pointer_cast<ui::GestureRecognizerDelegate>(self()));
}

namespace {

// Whether two weak references name the same object, even once it is going.
template<class A, class B> bool sameObject(const std::weak_ptr<A>& a, const std::weak_ptr<B>& b)
{
    return !a.owner_before(b) && !b.owner_before(a);
}

} // namespace

// Runs when the alert goes, on the recogniser it changed.
void ModalAlertView::restoreInteractivePopGesture()
{
    auto recognizer = m_interactivePopGestureRecognizer.lock();
    if (!recognizer)
        return;
    // Another alert shown later on the same screen may hold the gesture now, having saved this
    // alert as the delegate to put back. Going first, this alert hands it the state to restore, so
    // that the back-swipe stays off while that alert is up and comes back when it goes.
    const std::weak_ptr<Responder> me = weak_from_this();
    const auto current = recognizer->delegate();
    if (!sameObject(current, me)) {
        auto holder = std::dynamic_pointer_cast<ModalAlertView>(current.lock());
        for (int hops = 0; holder && hops < 64; ++hops) {
            if (holder->m_interactivePopGestureRecognizer.lock() != recognizer)
                break;
            if (sameObject(holder->m_restoreInteractivePopGestureDelegate, me)) {
                holder->m_restoreInteractivePopGestureEnabled = m_restoreInteractivePopGestureEnabled;
                holder->m_restoreInteractivePopGestureDelegate = m_restoreInteractivePopGestureDelegate;
                return;
            }
            holder = std::dynamic_pointer_cast<ModalAlertView>(
                holder->m_restoreInteractivePopGestureDelegate.lock());
        }
    }
    recognizer->setEnabled(m_restoreInteractivePopGestureEnabled);
    recognizer->setDelegate(m_restoreInteractivePopGestureDelegate);
}
