#include "platform/ui/NavigationController.h"

#include "platform/ui/Application.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <utility>

namespace ui {

namespace {
// The page underneath moves a third of the way while the top one slides across.
constexpr double kParallax = 0.3;
} // namespace

std::shared_ptr<NavigationController> NavigationController::create(std::shared_ptr<ViewController> root)
{
    auto navigation = std::make_shared<NavigationController>();
    if (root)
        navigation->setViewControllers({root}, false);
    return navigation;
}

NavigationController::NavigationController() = default;
NavigationController::~NavigationController()
{
    // The bar points at the pages' items, which go with this controller; its view may stay.
    if (m_bar)
        m_bar->setTopItem(nullptr, false);
}

std::shared_ptr<ViewController> NavigationController::topViewController() const
{
    return m_stack.empty() ? nullptr : m_stack.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const
{
    auto top = topViewController();
    if (top && top->presentedViewController())
        return top->presentedViewController();
    return top;
}

std::shared_ptr<NavigationBar> NavigationController::navigationBar()
{
    view();
    return m_bar;
}

std::shared_ptr<PanGestureRecognizer> NavigationController::interactivePopGestureRecognizer()
{
    view();
    return m_popRecognizer;
}

void NavigationController::loadView()
{
    graphics::Rect bounds = Screen::mainScreen().bounds();
    auto root = View::create(bounds);
    root->setBackgroundColor(graphics::Color::white());
    m_container = View::create(bounds);
    m_container->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    root->addSubview(m_container);
    m_bar = NavigationBar::create({0, 0, bounds.width(), 20 + NavigationBar::kHeight});
    m_bar->onBack = [weak = std::weak_ptr<ViewController>(sharedAs<ViewController>())] {
        if (auto self = std::static_pointer_cast<NavigationController>(weak.lock()))
            self->popViewController(true);
    };
    root->addSubview(m_bar);
    setView(root);
}

void NavigationController::viewDidLoad()
{
    std::weak_ptr<ViewController> weak = sharedAs<ViewController>();
    m_popRecognizer = PanGestureRecognizer::create([weak](GestureRecognizer& recognizer) {
        if (auto self = std::static_pointer_cast<NavigationController>(weak.lock()))
            self->handleEdgePan(recognizer);
    });
    m_popRecognizer->setEdge(PanGestureRecognizer::Edge::Left);
    view()->addGestureRecognizer(m_popRecognizer);
    if (auto top = topViewController()) {
        m_container->addSubview(top->view());
        layoutContent();
    }
    updateBar();
}

void NavigationController::layoutContent()
{
    if (!isViewLoaded())
        return;
    graphics::Rect bounds = view()->bounds();
    m_bar->setHidden(m_barHidden);
    m_bar->setFrame({0, 0, bounds.width(), 20 + NavigationBar::kHeight});
    double top = m_barHidden ? 0 : m_bar->frame().maxY();
    m_container->setFrame({0, top, bounds.width(), bounds.height() - top});
    if (auto controller = topViewController(); controller && controller->isViewLoaded() && !m_transitioning) {
        auto content = controller->view();
        content->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
        content->setFrame(m_container->bounds());
    }
}

void NavigationController::updateBar()
{
    if (!m_bar)
        return;
    auto top = topViewController();
    auto below = m_stack.size() > 1 ? m_stack[m_stack.size() - 2] : nullptr;
    m_bar->setTopItem(top ? &top->navigationItem() : nullptr,
        below && top && !top->navigationItem().hidesBackButton(), below ? &below->navigationItem() : nullptr);
}

void NavigationController::setNavigationBarHidden(bool hidden, bool)
{
    m_barHidden = hidden;
    layoutContent();
}

void NavigationController::pushViewController(std::shared_ptr<ViewController> controller, bool animated)
{
    if (!controller || std::find(m_stack.begin(), m_stack.end(), controller) != m_stack.end())
        return;
    auto from = topViewController();
    addChildViewController(controller);
    m_stack.push_back(controller);
    transition(from, controller, true, animated);
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated)
{
    if (m_stack.size() <= 1)
        return nullptr;
    auto from = m_stack.back();
    m_stack.pop_back();
    from->willMoveToParentViewController(nullptr);
    transition(from, m_stack.back(), false, animated);
    return from;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(
    const std::shared_ptr<ViewController>& controller, bool animated)
{
    auto it = std::find(m_stack.begin(), m_stack.end(), controller);
    if (it == m_stack.end() || it + 1 == m_stack.end())
        return {};
    auto kept = static_cast<size_t>(it - m_stack.begin()) + 1;
    std::vector<std::shared_ptr<ViewController>> popped(m_stack.begin() + kept, m_stack.end());
    auto from = m_stack.back();
    m_stack.resize(kept);
    for (const auto& gone : popped) {
        gone->willMoveToParentViewController(nullptr);
        if (gone != from)
            gone->removeFromParentViewController();
    }
    transition(from, controller, false, animated);
    return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool animated)
{
    if (m_stack.empty())
        return {};
    return popToViewController(m_stack.front(), animated);
}

void NavigationController::setViewControllers(
    std::vector<std::shared_ptr<ViewController>> controllers, bool animated)
{
    auto from = topViewController();
    for (const auto& old : m_stack) {
        if (std::find(controllers.begin(), controllers.end(), old) == controllers.end() && old != from) {
            old->willMoveToParentViewController(nullptr);
            old->removeFromParentViewController();
        }
    }
    for (const auto& controller : controllers)
        addChildViewController(controller);
    bool fromStays = from && std::find(controllers.begin(), controllers.end(), from) != controllers.end();
    if (from && !fromStays)
        from->willMoveToParentViewController(nullptr);
    m_stack = std::move(controllers);
    auto to = topViewController();
    if (from == to) {
        updateBar();
        return;
    }
    transition(from, to, true, animated);
}

void NavigationController::transition(
    std::shared_ptr<ViewController> from, std::shared_ptr<ViewController> to, bool push, bool animated)
{
    auto self = std::static_pointer_cast<NavigationController>(sharedAs<ViewController>());
    abandonInteractivePop();
    auto finishMoves = [self, from, to] {
        bool fromGone
            = from && std::find(self->m_stack.begin(), self->m_stack.end(), from) == self->m_stack.end();
        if (fromGone)
            from->removeFromParentViewController();
        // A pop that came before this push finished has taken `to` out again.
        if (to && to->parentViewController() == self)
            to->didMoveToParentViewController(self.get());
    };
    if (!isViewLoaded()) {
        updateBar();
        finishMoves();
        return;
    }
    updateBar();
    bool onScreen = view()->window() != nullptr;
    animated = animated && onScreen && from && to;
    graphics::Rect content = m_container->bounds();
    std::shared_ptr<View> toView = to ? to->view() : nullptr;
    std::shared_ptr<View> fromView = from && from->isViewLoaded() ? from->view() : nullptr;

    uint64_t serial = ++m_transitionSerial;
    m_transitionFrom = from;
    m_transitionTo = to;
    if (from)
        from->setManagesAppearanceManually(true);
    if (to)
        to->setManagesAppearanceManually(true);
    if (onScreen) {
        if (from)
            from->beginAppearanceTransition(false, animated);
        if (to)
            to->beginAppearanceTransition(true, animated);
    }
    if (toView) {
        toView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
        View::performWithoutAnimation([&] {
            toView->setFrame(animated
                    ? content.offsetBy(push ? content.width() : -content.width() * kParallax, 0)
                    : content);
        });
        if (push || !fromView)
            m_container->addSubview(toView);
        else
            m_container->insertSubviewBelow(toView, fromView);
    }
    m_transitioning = true;
    auto finish = [self, serial, from, to, fromView, toView, content, onScreen, animated, finishMoves](bool) {
        if (animated)
            Application::shared().endIgnoringInteractionEvents();
        // A push or pop that began before this one ended owns the controllers it moves.
        bool latest = self->m_transitionSerial == serial;
        auto ownsStill = [&](const std::shared_ptr<ViewController>& c) {
            return c && (latest || (c != self->m_transitionFrom.lock() && c != self->m_transitionTo.lock()));
        };
        if (fromView && fromView != toView && from != self->topViewController()) {
            fromView->removeFromSuperview();
            View::performWithoutAnimation([&] { fromView->setFrame(content); });
        }
        if (onScreen) {
            if (ownsStill(from))
                from->endAppearanceTransition();
            if (ownsStill(to))
                to->endAppearanceTransition();
        }
        if (ownsStill(from))
            from->setManagesAppearanceManually(false);
        if (ownsStill(to))
            to->setManagesAppearanceManually(false);
        if (latest)
            self->m_transitioning = false;
        finishMoves();
    };
    if (!animated) {
        finish(true);
        return;
    }
    Application::shared().beginIgnoringInteractionEvents();
    View::animate(
        kTransitionDuration, 0, AnimationOptions::CurveEaseOut,
        [&] {
            toView->setFrame(content);
            if (fromView)
                fromView->setFrame(
                    content.offsetBy(push ? -content.width() * kParallax : content.width(), 0));
        },
        finish);
}

void NavigationController::abandonInteractivePop()
{
    // A push or pop while the finger is still down: the swipe turns back at once and leaves
    // the stack to the change.
    auto top = std::exchange(m_popCandidate, nullptr);
    auto below = std::exchange(m_popBelow, nullptr);
    if (!top)
        return;
    top->beginAppearanceTransition(true, false);
    below->beginAppearanceTransition(false, false);
    graphics::Rect content = m_container->bounds();
    View::performWithoutAnimation([&] {
        below->view()->removeFromSuperview();
        below->view()->setFrame(content);
        top->view()->setFrame(content);
    });
    top->endAppearanceTransition();
    below->endAppearanceTransition();
    top->setManagesAppearanceManually(false);
    below->setManagesAppearanceManually(false);
    m_transitioning = false;
}

void NavigationController::handleEdgePan(GestureRecognizer& recognizer)
{
    auto& pan = static_cast<PanGestureRecognizer&>(recognizer);
    double width = std::max(1.0, m_container->bounds().width());
    graphics::Rect content = m_container->bounds();
    switch (pan.state()) {
    case GestureState::Began: {
        if (m_stack.size() < 2 || m_transitioning)
            break;
        // The pop starts as the finger moves: the page below comes in from its parallax place.
        m_popCandidate = m_stack.back();
        m_popBelow = m_stack[m_stack.size() - 2];
        auto below = m_popBelow;
        auto belowView = below->view();
        m_transitioning = true;
        m_popCandidate->setManagesAppearanceManually(true);
        below->setManagesAppearanceManually(true);
        m_popCandidate->beginAppearanceTransition(false, true);
        below->beginAppearanceTransition(true, true);
        View::performWithoutAnimation([&] { belowView->setFrame(content.offsetBy(-width * kParallax, 0)); });
        m_container->insertSubviewBelow(belowView, m_popCandidate->view());
        break;
    }
    case GestureState::Changed:
        if (m_popCandidate) {
            double x = std::clamp(pan.translationInView(view().get()).x, 0.0, width);
            View::performWithoutAnimation([&] {
                m_popCandidate->view()->setFrame(content.offsetBy(x, 0));
                m_popBelow->view()->setFrame(content.offsetBy(-width * kParallax * (1 - x / width), 0));
            });
        }
        break;
    case GestureState::Ended:
    case GestureState::Cancelled: {
        auto top = std::exchange(m_popCandidate, nullptr);
        auto below = std::exchange(m_popBelow, nullptr);
        if (!top)
            break;
        double x = pan.translationInView(view().get()).x;
        bool complete = pan.state() == GestureState::Ended
            && (x > width / 2 || pan.velocityInView(view().get()).x > 500);
        auto self = std::static_pointer_cast<NavigationController>(sharedAs<ViewController>());
        if (complete) {
            m_stack.pop_back();
            top->willMoveToParentViewController(nullptr);
            updateBar();
        } else {
            // Going back: the callbacks turn around.
            top->beginAppearanceTransition(true, true);
            below->beginAppearanceTransition(false, true);
        }
        Application::shared().beginIgnoringInteractionEvents();
        View::animate(
            kTransitionDuration / 2, 0, AnimationOptions::CurveEaseOut,
            [&] {
                top->view()->setFrame(complete ? content.offsetBy(width, 0) : content);
                below->view()->setFrame(complete ? content : content.offsetBy(-width * kParallax, 0));
            },
            [self, top, below, complete, content](bool) {
                Application::shared().endIgnoringInteractionEvents();
                // Unless a push or pop meanwhile brought it back to the top.
                auto gone = complete ? top : below;
                if (gone != self->topViewController())
                    gone->view()->removeFromSuperview();
                View::performWithoutAnimation([&] { gone->view()->setFrame(content); });
                top->endAppearanceTransition();
                below->endAppearanceTransition();
                top->setManagesAppearanceManually(false);
                below->setManagesAppearanceManually(false);
                self->m_transitioning = false;
                if (complete)
                    top->removeFromParentViewController();
            });
        break;
    }
    default:
        break;
    }
}

} // namespace ui
