#include "platform/ui/Window.h"

#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"

namespace ui {

std::shared_ptr<Window> Window::create(graphics::Rect frame)
{
    auto window = std::make_shared<Window>(frame);
    Application::shared().registerWindow(window);
    return window;
}

Window::Window(graphics::Rect frame)
    : View(frame)
{
    // Windows start hidden, as on the platform.
    View::setHidden(true);
}

Window::~Window()
{
    if (m_rootViewController && m_rootViewController->isViewLoaded()) {
        auto view = m_rootViewController->view();
        if (view->superview().get() == this)
            view->removeFromSuperview();
    }
}

void Window::setWindowLevel(double level)
{
    m_level = level;
    Application::shared().windowLevelChanged();
    markDisplayChanged();
}

void Window::makeKeyAndVisible()
{
    setHidden(false);
    makeKeyWindow();
}

void Window::makeKeyWindow()
{
    Application::shared().registerWindow(sharedAs<Window>());
    Application::shared().setKeyWindow(sharedAs<Window>());
}

bool Window::isKeyWindow() const
{
    return Application::shared().keyWindow().get() == this;
}

void Window::setHidden(bool hidden)
{
    if (hidden == isHidden())
        return;
    View::setHidden(hidden);
    // Showing a window brings its root controller's view on screen (and the appearance calls).
    if (!hidden) {
        Application::shared().registerWindow(sharedAs<Window>());
        if (m_rootViewController) {
            auto view = m_rootViewController->view();
            if (view->superview().get() != this) {
                Application::shared().fitToInterface(*view, *this);
                insertSubview(view, 0);
            }
        }
        setNeedsLayout();
    }
}

void Window::setRootViewController(std::shared_ptr<ViewController> controller)
{
    if (controller == m_rootViewController)
        return;
    if (m_rootViewController && m_rootViewController->isViewLoaded()) {
        auto old = m_rootViewController->view();
        if (old->superview().get() == this)
            old->removeFromSuperview();
    }
    m_rootViewController = std::move(controller);
    if (!m_rootViewController)
        return;
    auto view = m_rootViewController->view();
    Application::shared().fitToInterface(*view, *this);
    view->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    if (!isHidden())
        insertSubview(view, 0);
}

graphics::Point Window::convertPointToWindow(graphics::Point p, const Window* window) const
{
    graphics::Point screen = layer().modelState().toSuperview(p);
    if (!window)
        return screen;
    return window->layer().modelState().fromSuperview(screen);
}

} // namespace ui
