#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TransitionCoordinator.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <cmath>
#include <functional>

// Interface rotation of the shared application.
namespace ui {

namespace {

// The root controller, its children and what it presents, parents first.
void forEachController(
    const std::shared_ptr<ViewController>& controller, const std::function<void(ViewController&)>& action)
{
    if (!controller)
        return;
    action(*controller);
    for (const auto& child : controller->childViewControllers())
        forEachController(child, action);
    forEachController(controller->presentedViewController(), action);
}

std::shared_ptr<ViewController> topController(const std::shared_ptr<ViewController>& root)
{
    auto top = root;
    while (top && top->presentedViewController())
        top = top->presentedViewController();
    return top;
}

bool isModernSystem()
{
    return Device::compareVersions(Device::currentDevice().systemVersion(), "8.0") >= 0;
}

} // namespace

InterfaceOrientation Application::interfaceOrientationInScreen() const
{
    return isModernSystem() ? InterfaceOrientation::Portrait : m_statusBarOrientation;
}

graphics::AffineTransform Application::screenToInterface() const
{
    InterfaceOrientation turn = interfaceOrientationInScreen();
    graphics::Size screen = Screen::mainScreen().bounds().size;
    graphics::Size interface = isLandscape(turn) ? graphics::Size {screen.height, screen.width} : screen;
    // Quarter turns exactly: a point on a view's edge stays on it.
    auto back = graphics::AffineTransform::makeRotation(-rotationAngle(turn));
    for (double* entry : {&back.a, &back.b, &back.c, &back.d})
        *entry = std::round(*entry);
    return graphics::AffineTransform::makeTranslation(-screen.width / 2, -screen.height / 2)
        .concatenated(back)
        .concatenated(graphics::AffineTransform::makeTranslation(interface.width / 2, interface.height / 2));
}

void Application::fitToInterface(View& view, const Window& window, double slide) const
{
    graphics::Rect bounds = window.bounds();
    graphics::AffineTransform turn;
    graphics::Size size = bounds.size;
    if (!isModernSystem() && m_statusBarOrientation != InterfaceOrientation::Portrait) {
        turn = graphics::AffineTransform::makeRotation(rotationAngle(m_statusBarOrientation));
        if (isLandscape(m_statusBarOrientation))
            size = {size.height, size.width};
    }
    graphics::Point down = turn.apply(graphics::Point {0, slide * size.height});
    view.setTransform(turn);
    view.setBounds({0, 0, size.width, size.height});
    view.setCenter(bounds.center() + down);
}

bool Application::rotateInterface(InterfaceOrientation orientation, bool animated)
{
    auto window = keyWindow();
    auto root = window ? window->rootViewController() : nullptr;
    auto top = topController(root);
    if (!top || orientation == InterfaceOrientation::Unknown || orientation == m_statusBarOrientation)
        return false;
    if (!top->shouldAutorotate() || !(top->supportedInterfaceOrientations() & (1u << unsigned(orientation))))
        return false;

    InterfaceOrientation from = m_statusBarOrientation;
    double duration
        = animated ? kRotationDuration * (isLandscape(from) == isLandscape(orientation) ? 2 : 1) : 0;
    bool modern = isModernSystem();
    graphics::Size current = Screen::mainScreen().bounds().size;
    graphics::Size portrait
        = current.width <= current.height ? current : graphics::Size {current.height, current.width};
    graphics::Size turned
        = isLandscape(orientation) ? graphics::Size {portrait.height, portrait.width} : portrait;

    TransitionCoordinator coordinator(duration);
    if (modern)
        root->viewWillTransitionToSize(turned, coordinator);
    else
        forEachController(
            root, [&](ViewController& c) { c.willRotateToInterfaceOrientation(orientation, duration); });

    postStatusBarOrientationChange(false);
    m_statusBarOrientation = orientation;
    auto changes = [&] {
        if (modern) {
            Screen::mainScreen().setSize(turned);
            for (const auto& w : windows())
                w->setFrame({0, 0, turned.width, turned.height});
        } else {
            // The window stays portrait; the controllers' views on it turn and take the new size.
            for (const auto& subview : window->subviews())
                if (subview->viewController())
                    fitToInterface(*subview, *window);
            forEachController(root, [&](ViewController& c) {
                c.willAnimateRotationToInterfaceOrientation(orientation, duration);
            });
        }
        coordinator.runAlongside();
    };
    auto completion = [root, from, modern, coordinator](bool) mutable {
        if (modern)
            coordinator.runCompletions();
        else
            forEachController(root, [&](ViewController& c) { c.didRotateFromInterfaceOrientation(from); });
    };
    // Whoever lays itself out on the notifications finds the views' new bounds already set.
    if (duration > 0) {
        View::animate(duration, 0, AnimationOptions::None, changes, completion);
        postStatusBarOrientationChange(true);
    } else {
        View::performWithoutAnimation(changes);
        postStatusBarOrientationChange(true);
        completion(true);
    }
    return true;
}

} // namespace ui
