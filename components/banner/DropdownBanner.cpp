#include "components/banner/DropdownBanner.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

using graphics::Color;
using graphics::Rect;

namespace {

constexpr Color kDefaultViewColor = Color::rgba(0.98, 0.66, 0.2, 1.0);
constexpr double kMessageFontSize = 14;

std::string& classWideTitle()
{
    static std::string title;
    return title;
}

} // namespace

const std::string& DropdownBanner::defaultTitle()
{
    return classWideTitle();
}

DropdownBanner::DropdownBanner(Rect frame)
    : ui::Control(frame)
    , m_defaultViewColor(kDefaultViewColor)
    , m_defaultTextColor(Color::white())
    , m_topEdge {frame.midX(), 0}
{ }

std::shared_ptr<DropdownBanner> DropdownBanner::make(Delegate delegate)
{
    // As wide as the screen as the interface stands: before 8.0 the screen reads upright while the
    // interface may lie turned on it.
    graphics::Size screen = ui::Screen::mainScreen().bounds().size;
    bool across = ui::isLandscape(ui::Application::shared().interfaceOrientationInScreen());
    double width = across ? screen.height : screen.width;
    auto banner = std::make_shared<DropdownBanner>(Rect {0, -kHeight, width, kHeight});
    banner->setUp();
    banner->m_delegate = std::move(delegate);
    return banner;
}

void DropdownBanner::setUp()
{
    double width = frame().width();
    classWideTitle() = kDefaultTitle;
    setBackgroundColor(m_defaultViewColor);

    m_titleLabel = ui::Label::create({10, 20, width - 20, 30});
    m_titleLabel->setFont(graphics::Font::named("Arial-BoldMT", 14));
    m_titleLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_titleLabel->setTextColor(m_defaultTextColor);
    addSubview(m_titleLabel);

    m_messageLabel = ui::Label::create({10, 43, width - 20, 40});
    m_messageLabel->setFont(graphics::Font::systemFont(kMessageFontSize));
    m_messageLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_messageLabel->setLineBreakMode(graphics::LineBreakMode::WordWrap);
    m_messageLabel->setNumberOfLines(2);
    m_messageLabel->setTextColor(m_defaultTextColor);
    addSubview(m_messageLabel);

    std::weak_ptr<DropdownBanner> weakSelf = sharedAs<DropdownBanner>();
    addTarget(weakSelf, ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->hideView(self);
    });
    // Held weakly: a released banner stops observing by itself, even at exit when the centre
    // may already be gone.
    foundation::NotificationCenter::defaultCenter().addObserver(
        weakSelf, kDismissAllNotification, [weakSelf](const foundation::Notification&) {
            if (auto self = weakSelf.lock())
                self->dismissAlertView();
        });
    m_isShowing = false;
}

std::shared_ptr<DropdownBanner> DropdownBanner::alertView()
{
    return make(nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::alertViewWithDelegate(Delegate delegate)
{
    return make(std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::present(const std::string& title,
    const std::optional<std::string>& message, OptionalColor backgroundColor, OptionalColor textColor,
    int64_t time, Delegate delegate)
{
    auto banner = delegate ? alertViewWithDelegate(std::move(delegate)) : alertView();
    banner->showTitle(title, message, backgroundColor, textColor, time);
    return banner;
}

void DropdownBanner::showTitle(const std::string& title, const std::optional<std::string>& message,
    OptionalColor backgroundColor, OptionalColor textColor, int64_t time)
{
    m_titleLabel->setText(title);
    Rect titleFrame = m_titleLabel->frame();
    if (message && !message->empty()) {
        m_messageLabel->setText(*message);
        if (messageTextIsOneLine())
            m_titleLabel->setFrame({titleFrame.minX(), 25, titleFrame.width(), titleFrame.height()});
    } else {
        m_titleLabel->setFrame({titleFrame.minX(), 30, titleFrame.width(), 50});
    }
    if (backgroundColor)
        setBackgroundColor(*backgroundColor);
    if (textColor) {
        m_titleLabel->setTextColor(*textColor);
        m_messageLabel->setTextColor(*textColor);
    }
    if (!superview()) {
        auto windows = ui::Application::shared().windows();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            if ((*it)->windowLevel() == ui::Window::kLevelNormal && !(*it)->isHidden()) {
                hangFromInterfaceTop(**it);
                (*it)->addSubview(sharedAs<DropdownBanner>());
                break;
            }
        }
    }
    m_isShowing = true;
    m_wasRemoved = false;
    auto self = sharedAs<DropdownBanner>();
    ui::View::animate(kAnimationDuration, [self] { self->moveTopTo(0); });
    float delay = time == kUseDefaultTime ? float(kDefaultTime + kAnimationDuration)
                                          : float(time) + float(kAnimationDuration);
    foundation::RunLoop::main().performAfter(delay, [self] { self->viewWasTapped(self); });
}

// Before 8.0 the window stays upright while the interface turns inside it: there the banner turns
// with the interface and hangs from its top edge, whichever side of the window that is.
void DropdownBanner::hangFromInterfaceTop(const ui::Window& window)
{
    auto& app = ui::Application::shared();
    if (app.interfaceOrientationInScreen() == ui::InterfaceOrientation::Portrait) {
        m_topEdge = {frame().midX(), 0};
        return;
    }
    app.fitToInterface(*this, window);
    graphics::Size area = bounds().size;
    graphics::Size up = transform().apply(graphics::Size {0, -area.height / 2});
    m_topEdge = {center().x + up.width, center().y + up.height};
    setBounds({0, 0, area.width, kHeight});
    moveTopTo(-kHeight);
}

// `y` down from the interface's top edge, along the interface's down.
void DropdownBanner::moveTopTo(double y)
{
    graphics::Size down = transform().apply(graphics::Size {0, y + bounds().height() / 2});
    setCenter({m_topEdge.x + down.width, m_topEdge.y + down.height});
}

void DropdownBanner::viewWasTapped(const std::shared_ptr<ui::View>& sender)
{
    // The timed end of a banner that a tap already took away has nothing left to end: asking
    // the delegate again would report one banner's dismissal twice.
    if (sender.get() == this && m_wasRemoved)
        return;
    if (m_delegate && !m_delegate->dropdownAlertWasTapped(*this))
        return;
    hideView(sender);
}

void DropdownBanner::hideView(const std::shared_ptr<ui::View>& view)
{
    if (!view)
        return;
    if (view.get() == this) {
        if (m_isHiding || m_wasRemoved)
            return;
        m_isHiding = true;
    }
    auto self = sharedAs<DropdownBanner>();
    ui::View::animate(kAnimationDuration, [self, view] {
        if (view == self) {
            self->moveTopTo(-kHeight);
            return;
        }
        Rect f = view->frame();
        view->setFrame({f.minX(), -kHeight, f.width(), f.height()});
    });
    foundation::RunLoop::main().performAfter(kAnimationDuration, [self, view] { self->removeView(view); });
}

void DropdownBanner::removeView(const std::shared_ptr<ui::View>& view)
{
    if (!view)
        return;
    view->removeFromSuperview();
    if (view.get() == this) {
        m_isHiding = false;
        m_wasRemoved = true;
    }
    m_isShowing = false;
    if (m_delegate)
        m_delegate->dropdownAlertWasDismissed();
}

void DropdownBanner::dismissAlertView()
{
    hideView(sharedAs<DropdownBanner>());
}

bool DropdownBanner::messageTextIsOneLine() const
{
    double width = graphics::TextLayout::lineWidth(
        m_messageLabel->text(), graphics::Font::systemFont(kMessageFontSize));
    return width <= m_messageLabel->frame().width();
}

void DropdownBanner::dismissAllAlert()
{
    foundation::NotificationCenter::defaultCenter().post(kDismissAllNotification);
}

// The family of class methods: what they do not take is absent, and -1 stands for the time.
std::shared_ptr<DropdownBanner> DropdownBanner::show()
{
    auto banner = alertView(); // sets the class-wide default title
    banner->showTitle(defaultTitle(), std::nullopt, std::nullopt, std::nullopt, kUseDefaultTime);
    return banner;
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title)
{
    return present(title, std::nullopt, std::nullopt, std::nullopt, kUseDefaultTime, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, int64_t time)
{
    return present(title, std::nullopt, std::nullopt, std::nullopt, time, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(
    const std::string& title, OptionalColor backgroundColor, OptionalColor textColor)
{
    return present(title, std::nullopt, backgroundColor, textColor, kUseDefaultTime, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(
    const std::string& title, OptionalColor backgroundColor, OptionalColor textColor, int64_t time)
{
    return present(title, std::nullopt, backgroundColor, textColor, time, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, const std::string& message)
{
    return present(title, message, std::nullopt, std::nullopt, kUseDefaultTime, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(
    const std::string& title, const std::string& message, int64_t time)
{
    return present(title, message, std::nullopt, std::nullopt, time, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, const std::string& message,
    OptionalColor backgroundColor, OptionalColor textColor)
{
    return present(title, message, backgroundColor, textColor, kUseDefaultTime, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, const std::string& message,
    OptionalColor backgroundColor, OptionalColor textColor, int64_t time)
{
    return present(title, message, backgroundColor, textColor, time, nullptr);
}

std::shared_ptr<DropdownBanner> DropdownBanner::showWithDelegate(Delegate delegate)
{
    auto banner = alertViewWithDelegate(std::move(delegate));
    banner->showTitle(defaultTitle(), std::nullopt, std::nullopt, std::nullopt, kUseDefaultTime);
    return banner;
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, Delegate delegate)
{
    return present(title, std::nullopt, std::nullopt, std::nullopt, kUseDefaultTime, std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(
    const std::string& title, int64_t time, Delegate delegate)
{
    return present(title, std::nullopt, std::nullopt, std::nullopt, time, std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(
    const std::string& title, OptionalColor backgroundColor, OptionalColor textColor, Delegate delegate)
{
    return present(title, std::nullopt, backgroundColor, textColor, kUseDefaultTime, std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, OptionalColor backgroundColor,
    OptionalColor textColor, int64_t time, Delegate delegate)
{
    return present(title, std::nullopt, backgroundColor, textColor, time, std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(
    const std::string& title, const std::string& message, Delegate delegate)
{
    return present(title, message, std::nullopt, std::nullopt, kUseDefaultTime, std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(
    const std::string& title, const std::string& message, int64_t time, Delegate delegate)
{
    return present(title, message, std::nullopt, std::nullopt, time, std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, const std::string& message,
    OptionalColor backgroundColor, OptionalColor textColor, Delegate delegate)
{
    return present(title, message, backgroundColor, textColor, kUseDefaultTime, std::move(delegate));
}

std::shared_ptr<DropdownBanner> DropdownBanner::title(const std::string& title, const std::string& message,
    OptionalColor backgroundColor, OptionalColor textColor, int64_t time, Delegate delegate)
{
    return present(title, message, backgroundColor, textColor, time, std::move(delegate));
}
