#include "platform/ui/ViewController.h"

#include "platform/foundation/BundleInfo.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <utility>

namespace ui {

std::shared_ptr<ViewController> ViewController::create()
{
    return std::make_shared<ViewController>();
}

ViewController::ViewController() = default;

ViewController::~ViewController()
{
    if (m_view)
        m_view->setViewController(nullptr);
}

std::shared_ptr<View> ViewController::view()
{
    if (!m_view && !m_loadingView) {
        m_loadingView = true;
        loadView();
        if (!m_view)
            setView(View::create(Screen::mainScreen().bounds()));
        m_loadingView = false;
        viewDidLoad();
    }
    return m_view;
}

void ViewController::setView(std::shared_ptr<View> view)
{
    if (m_view == view)
        return;
    if (m_view)
        m_view->setViewController(nullptr);
    m_view = std::move(view);
    if (m_view)
        m_view->setViewController(sharedAs<ViewController>());
}

void ViewController::loadView()
{
    auto view = View::create(Screen::mainScreen().bounds());
    view->setBackgroundColor(graphics::Color::white());
    setView(view);
}

void ViewController::setTitle(std::string title)
{
    m_title = title;
    m_navigationItem.setTitle(std::move(title));
}

// Appearance

bool ViewController::appearanceIsManaged() const
{
    for (auto controller = sharedAs<ViewController>(); controller;
         controller = controller->parentViewController())
        if (controller->m_manualAppearance)
            return true;
    return false;
}

void ViewController::viewWillMoveToWindow(bool intoWindow)
{
    if (!appearanceIsManaged())
        beginAppearanceTransition(intoWindow, false);
}

void ViewController::viewDidMoveToWindow(bool)
{
    if (!appearanceIsManaged())
        endAppearanceTransition();
}

void ViewController::forwardAppearanceToChildren(const std::function<void(ViewController&)>& action)
{
    auto children = m_children;
    for (const auto& child : children)
        if (child->isViewLoaded() && m_view && child->m_view->isDescendantOfView(m_view.get()))
            action(*child);
}

void ViewController::beginAppearanceTransition(bool isAppearing, bool animated)
{
    auto protector = shared_from_this();
    if (isAppearing) {
        if (m_appearance == Appearance::Appeared || m_appearance == Appearance::Appearing)
            return;
        m_appearance = Appearance::Appearing;
        m_appearanceAnimated = animated;
        viewWillAppear(animated);
    } else {
        if (m_appearance == Appearance::Disappeared || m_appearance == Appearance::Disappearing)
            return;
        m_appearance = Appearance::Disappearing;
        m_appearanceAnimated = animated;
        viewWillDisappear(animated);
    }
    forwardAppearanceToChildren(
        [&](ViewController& child) { child.beginAppearanceTransition(isAppearing, animated); });
}

void ViewController::endAppearanceTransition()
{
    auto protector = shared_from_this();
    if (m_appearance == Appearance::Appearing) {
        m_appearance = Appearance::Appeared;
        viewDidAppear(m_appearanceAnimated);
    } else if (m_appearance == Appearance::Disappearing) {
        m_appearance = Appearance::Disappeared;
        viewDidDisappear(m_appearanceAnimated);
    } else {
        return;
    }
    forwardAppearanceToChildren([](ViewController& child) { child.endAppearanceTransition(); });
}

// Containment

void ViewController::addChildViewController(std::shared_ptr<ViewController> child)
{
    if (!child || child.get() == this || child->parentViewController().get() == this)
        return;
    if (child->parentViewController())
        child->removeFromParentViewController();
    child->m_movingToParent = true;
    child->willMoveToParentViewController(this);
    m_children.push_back(child);
    child->m_parent = sharedAs<ViewController>();
    child->m_movingToParent = false;
}

void ViewController::removeFromParentViewController()
{
    auto parent = parentViewController();
    if (!parent)
        return;
    auto protector = sharedAs<ViewController>();
    auto& siblings = parent->m_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), protector), siblings.end());
    m_parent.reset();
    m_movingFromParent = true;
    didMoveToParentViewController(nullptr);
    m_movingFromParent = false;
}

std::shared_ptr<NavigationController> ViewController::navigationController() const
{
    for (auto controller = parentViewController(); controller;
         controller = controller->parentViewController())
        if (auto navigation = std::dynamic_pointer_cast<NavigationController>(controller))
            return navigation;
    return nullptr;
}

// Presentation

namespace {

// The controller whose view the presentation covers: the top of this controller's parent chain.
std::shared_ptr<ViewController> coveredController(std::shared_ptr<ViewController> controller)
{
    while (auto parent = controller->parentViewController())
        controller = parent;
    return controller;
}

} // namespace

std::shared_ptr<ViewController> ViewController::presentingViewController() const
{
    for (auto controller = sharedAs<ViewController>(); controller;
         controller = controller->parentViewController())
        if (auto presenting = controller->m_presenting.lock())
            return presenting;
    return nullptr;
}

void ViewController::presentViewController(
    std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion)
{
    if (!controller || controller.get() == this)
        return;
    auto self = sharedAs<ViewController>();
    auto covered = coveredController(self);
    if (covered->m_presented) {
        foundation::log("Warning: attempt to present a controller while a presentation is in progress");
        return;
    }
    std::shared_ptr<Window> window = covered->isViewLoaded() ? covered->m_view->window() : nullptr;
    if (!window)
        window = Application::shared().keyWindow();
    if (!window) {
        foundation::log("Warning: attempt to present a controller whose view is not in a window");
        return;
    }
    covered->m_presented = controller;
    controller->m_presenting = covered;
    controller->m_beingPresented = true;
    covered->m_manualAppearance = true;
    controller->m_manualAppearance = true;
    // Over-full-screen presentations leave the presenter on screen, and so send it nothing.
    bool coversPresenter = controller->coversPresenter();

    auto presentedView = controller->view();
    if (coversPresenter)
        covered->beginAppearanceTransition(false, animated);
    controller->beginAppearanceTransition(true, animated);
    bool fades = controller->m_transitionStyle == ModalTransitionStyle::CrossDissolve;
    double alpha = presentedView->alpha();
    presentedView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    auto& app = Application::shared();
    View::performWithoutAnimation([&] {
        app.fitToInterface(*presentedView, *window, animated && !fades ? 1 : 0);
        if (animated && fades)
            presentedView->setAlpha(0);
    });
    window->addSubview(presentedView);

    auto finish = [covered, controller, completion = std::move(completion), animated, coversPresenter](bool) {
        if (animated)
            Application::shared().endIgnoringInteractionEvents();
        // A dismissal begun while this presentation ran owns the views and the callbacks now.
        if (controller->m_beingDismissed || covered->m_presented != controller) {
            controller->m_beingPresented = false;
            if (completion)
                completion();
            return;
        }
        if (coversPresenter && covered->isViewLoaded() && covered->m_view->superview()
            && covered->m_view->superview() == controller->m_view->superview())
            covered->m_view->removeFromSuperview();
        controller->endAppearanceTransition();
        if (coversPresenter)
            covered->endAppearanceTransition();
        controller->m_beingPresented = false;
        controller->m_manualAppearance = false;
        covered->m_manualAppearance = false;
        if (completion)
            completion();
    };
    if (animated) {
        Application::shared().beginIgnoringInteractionEvents();
        View::animate(
            kPresentationDuration, 0, AnimationOptions::CurveEaseOut,
            [&] {
                if (fades)
                    presentedView->setAlpha(alpha);
                else
                    app.fitToInterface(*presentedView, *window);
            },
            finish);
    } else {
        finish(true);
    }
}

bool ViewController::coversPresenter() const
{
    return m_presentationStyle != ModalPresentationStyle::OverFullScreen
        && m_presentationStyle != ModalPresentationStyle::Custom;
}

void ViewController::dismissViewController(bool animated, std::function<void()> completion)
{
    auto self = sharedAs<ViewController>();
    auto covered = coveredController(self);
    if (!covered->m_presented) {
        if (auto presenting = presentingViewController())
            presenting->dismissViewController(animated, std::move(completion));
        else if (completion)
            completion();
        return;
    }
    auto presented = covered->m_presented;
    if (presented->m_beingDismissed) {
        // Already on its way out: this request ends when that dismissal does.
        if (completion)
            presented->m_pendingDismissCompletions.push_back(std::move(completion));
        return;
    }
    // Anything the presented controller presented goes first, without animation.
    if (presented->m_presented)
        presented->dismissViewController(false, nullptr);
    auto presentedView = presented->view();
    auto window = presentedView->window();
    bool coversPresenter = presented->coversPresenter();
    presented->m_beingDismissed = true;
    presented->m_manualAppearance = true;
    covered->m_manualAppearance = true;
    if (window && covered->m_view && !covered->m_view->superview()) {
        Application::shared().fitToInterface(*covered->m_view, *window);
        window->insertSubviewBelow(covered->m_view, presentedView);
    }
    presented->beginAppearanceTransition(false, animated);
    if (coversPresenter)
        covered->beginAppearanceTransition(true, animated);

    auto finish = [covered, presented, completion = std::move(completion), animated, coversPresenter](bool) {
        if (animated)
            Application::shared().endIgnoringInteractionEvents();
        presented->m_view->removeFromSuperview();
        if (coversPresenter)
            covered->endAppearanceTransition();
        presented->endAppearanceTransition();
        presented->m_beingDismissed = false;
        presented->m_manualAppearance = false;
        covered->m_manualAppearance = false;
        if (covered->m_presented == presented)
            covered->m_presented.reset();
        presented->m_presenting.reset();
        auto later = std::exchange(presented->m_pendingDismissCompletions, {});
        if (completion)
            completion();
        for (const auto& waiting : later)
            waiting();
    };
    if (animated && window) {
        Application::shared().beginIgnoringInteractionEvents();
        bool fades = presented->m_transitionStyle == ModalTransitionStyle::CrossDissolve;
        View::animate(
            kPresentationDuration, 0, AnimationOptions::CurveEaseIn,
            [&] {
                // Down the interface: before 8.0 a turned one is not down the portrait window.
                if (fades)
                    presentedView->setAlpha(0);
                else
                    Application::shared().fitToInterface(*presentedView, *window, 1);
            },
            finish);
    } else {
        finish(true);
    }
}

// Storyboard

void ViewController::setStoryboard(const std::shared_ptr<Storyboard>& storyboard, std::string identifier)
{
    m_storyboard = storyboard;
    m_storyboardIdentifier = std::move(identifier);
}

void ViewController::performSegueWithIdentifier(const std::string& identifier, SegueSender sender)
{
    auto storyboard = this->storyboard();
    std::optional<Storyboard::SegueDefinition> definition;
    if (storyboard)
        definition = storyboard->segue(m_storyboardIdentifier, identifier);
    if (!definition) {
        foundation::logf("Receiver (%s) has no segue with identifier '%s'", className(), identifier.c_str());
        return;
    }
    auto destination = storyboard->instantiateViewControllerWithIdentifier(definition->destination);
    if (!destination)
        return;
    StoryboardSegue segue(
        identifier, definition->kind, sharedAs<ViewController>(), destination, definition->custom);
    prepareForSegue(segue, sender);
    segue.perform();
}

bool ViewController::triggerSegueWithIdentifier(const std::string& identifier, SegueSender sender)
{
    if (!shouldPerformSegueWithIdentifier(identifier, sender))
        return false;
    performSegueWithIdentifier(identifier, std::move(sender));
    return true;
}

bool ViewController::shouldPerformSegueWithIdentifier(const std::string&, const SegueSender&)
{
    return true;
}

void ViewController::prepareForSegue(StoryboardSegue&, const SegueSender&)
{ }

// Status bar and rotation

void ViewController::setNeedsStatusBarAppearanceUpdate()
{
    if (!foundation::BundleInfo::viewControllerBasedStatusBarAppearance())
        return;
    Application::shared().setStatusBarHidden(prefersStatusBarHidden(), preferredStatusBarUpdateAnimation());
    Application::shared().setStatusBarStyle(preferredStatusBarStyle());
}

uint32_t ViewController::supportedInterfaceOrientations() const
{
    return Device::currentDevice().userInterfaceIdiom() == UserInterfaceIdiom::Pad
        ? OrientationMask::All
        : OrientationMask::AllButUpsideDown;
}

void ViewController::viewWillTransitionToSize(graphics::Size size, TransitionCoordinator& coordinator)
{
    auto children = m_children;
    for (const auto& child : children)
        child->viewWillTransitionToSize(size, coordinator);
    // What this controller presents turns with it.
    if (auto presented = m_presented)
        presented->viewWillTransitionToSize(size, coordinator);
}

Responder* ViewController::nextResponder() const
{
    if (m_view)
        if (auto superview = m_view->superview())
            return superview.get();
    return m_presenting.lock().get();
}

} // namespace ui
