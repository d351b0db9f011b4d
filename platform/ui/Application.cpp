#include "platform/ui/Application.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Pasteboard.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/LayerAnimations.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/Touch.h"
#include "platform/ui/TouchDispatcher.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace ui {

namespace {
std::shared_ptr<foundation::Timer> g_layoutTimer;
} // namespace

Application& Application::shared()
{
    // Never destroyed: views and recognisers released during exit may still reach it.
    static auto* application = new Application;
    return *application;
}

Application::Application()
    : m_dispatcher(std::make_unique<TouchDispatcher>())
{ }

Application::~Application() = default;

void Application::registerWindow(const std::shared_ptr<Window>& window)
{
    for (const auto& weak : m_windows)
        if (weak.lock() == window)
            return;
    m_windows.push_back(window);
}

void Application::windowLevelChanged()
{ }

std::vector<std::shared_ptr<Window>> Application::windows() const
{
    std::vector<std::shared_ptr<Window>> result;
    for (const auto& weak : m_windows)
        if (auto window = weak.lock())
            result.push_back(window);
    std::stable_sort(result.begin(), result.end(),
        [](const auto& a, const auto& b) { return a->windowLevel() < b->windowLevel(); });
    return result;
}

std::shared_ptr<Window> Application::keyWindow() const
{
    return m_keyWindow.lock();
}

void Application::setKeyWindow(const std::shared_ptr<Window>& window)
{
    auto old = m_keyWindow.lock();
    if (old == window)
        return;
    m_keyWindow = window;
    if (old)
        old->resignKeyWindow();
    if (window)
        window->becomeKeyWindow();
}

void Application::beginIgnoringInteractionEvents()
{
    ++m_ignoreCount;
}

void Application::endIgnoringInteractionEvents()
{
    if (m_ignoreCount > 0)
        --m_ignoreCount;
}

const std::shared_ptr<StatusBar>& Application::statusBar()
{
    if (!m_statusBar)
        m_statusBar = StatusBar::create();
    return m_statusBar;
}

void Application::setStatusBarHidden(bool hidden, StatusBarAnimation animation)
{
    if (hidden == m_statusBarHidden)
        return;
    foundation::NotificationCenter::defaultCenter().post(kWillChangeStatusBarFrameNotification);
    m_statusBarHidden = hidden;
    statusBar()->setBarHidden(hidden, animation);
    View::markDisplayChanged();
    foundation::NotificationCenter::defaultCenter().post(kDidChangeStatusBarFrameNotification);
}

void Application::setStatusBarStyle(StatusBarStyle style, bool)
{
    m_statusBarStyle = style;
    statusBar()->update();
    View::markDisplayChanged();
}

void Application::setStatusBarOrientation(InterfaceOrientation orientation)
{
    if (orientation == m_statusBarOrientation)
        return;
    postStatusBarOrientationChange(false);
    m_statusBarOrientation = orientation;
    View::markDisplayChanged();
    postStatusBarOrientationChange(true);
}

void Application::postStatusBarOrientationChange(bool did)
{
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.post(
        did ? kDidChangeStatusBarOrientationNotification : kWillChangeStatusBarOrientationNotification);
    center.post(did ? kDidChangeStatusBarFrameNotification : kWillChangeStatusBarFrameNotification);
}

graphics::Rect Application::statusBarFrame() const
{
    if (m_statusBarHidden)
        return {};
    graphics::Rect screen = Screen::mainScreen().bounds();
    double width = isLandscape(m_statusBarOrientation) ? screen.height() : screen.width();
    return {0, 0, width, 20};
}

std::shared_ptr<Touch> Application::touchDown(graphics::Point screenPoint)
{
    return m_dispatcher->touchDown(screenPoint);
}

void Application::touchMoved(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint)
{
    m_dispatcher->touchMoved(touch, screenPoint);
}

void Application::touchUp(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint)
{
    m_dispatcher->touchUp(touch, screenPoint);
}

void Application::touchCancelled(const std::shared_ptr<Touch>& touch)
{
    m_dispatcher->touchCancelled(touch);
}

void Application::tap(graphics::Point screenPoint)
{
    if (auto touch = touchDown(screenPoint))
        touchUp(touch, screenPoint);
}

void Application::layoutWindows()
{
    if (m_statusBar)
        m_statusBar->update();
    for (const auto& window : windows())
        window->layoutIfNeeded();
}

void Application::scheduleLayout()
{
    if (g_layoutTimer && g_layoutTimer->isValid())
        return;
    g_layoutTimer = foundation::RunLoop::main().performAfter(0, [] {
        // A one-shot timer stays valid while it runs: let the pass's own requests schedule the next.
        g_layoutTimer.reset();
        Application::shared().layoutWindows();
    });
}

void Application::resetForTesting()
{
    m_dispatcher->reset();
    for (const auto& window : windows())
        window->setRootViewController(nullptr);
    m_windows.clear();
    m_keyWindow.reset();
    m_ignoreCount = 0;
    m_statusBarHidden = false;
    m_statusBar.reset();
    m_statusBarStyle = StatusBarStyle::Default;
    m_statusBarOrientation = InterfaceOrientation::Portrait;
    if (g_layoutTimer)
        g_layoutTimer->invalidate();
    g_layoutTimer.reset();
    Responder::resetFirstResponder();
    Keyboard::shared().reset();
    AnimationEngine::shared().resetForTesting();
    AnimationContext::shared().reset();
    Screen::mainScreen().usePhoneProfile();
    Device::currentDevice().reset();
    Pasteboard::generalPasteboard().resetForTesting();
    MenuController::sharedMenuController().resetForTesting();
    Accessibility::clearPosted();
}

} // namespace ui
