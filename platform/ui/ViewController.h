#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Responder.h"
#include "platform/ui/TransitionCoordinator.h"
#include "platform/ui/ViewTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// What a segue carries from its trigger; anything, or nothing.
using SegueSender = std::shared_ptr<void>;

// Owns a screen's view (loaded on first access), takes part in containment, modal presentation
// and navigation, and receives the appearance and layout callbacks in the platform's order.
class ViewController : public Responder {
public:
    static std::shared_ptr<ViewController> create();
    ViewController();
    ~ViewController() override;

    virtual const char* className() const { return "ViewController"; }

    // The view: loadView() then viewDidLoad() at the first access.
    std::shared_ptr<View> view();
    void setView(std::shared_ptr<View> view);
    bool isViewLoaded() const { return m_view != nullptr; }
    void loadViewIfNeeded() { view(); }
    // Makes a plain view of the screen's size; override to make another.
    virtual void loadView();
    virtual void viewDidLoad() { }

    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }
    virtual void viewWillLayoutSubviews() { }
    virtual void viewDidLayoutSubviews() { }

    // Appearance transitions, as containers drive them: each callback is sent once per change,
    // and passed on to the children whose views are inside this view.
    void beginAppearanceTransition(bool isAppearing, bool animated);
    void endAppearanceTransition();
    bool isViewVisible() const { return m_appearance == Appearance::Appeared; }
    bool isBeingPresented() const { return m_beingPresented; }
    bool isBeingDismissed() const { return m_beingDismissed; }
    bool isMovingToParentViewController() const { return m_movingToParent; }
    bool isMovingFromParentViewController() const { return m_movingFromParent; }

    const std::string& title() const { return m_title; }
    void setTitle(std::string title);
    NavigationItem& navigationItem() { return m_navigationItem; }

    // Containment.
    std::shared_ptr<ViewController> parentViewController() const { return m_parent.lock(); }
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const { return m_children; }
    // Calls child->willMoveToParentViewController(this); the caller adds the view and then calls
    // child->didMoveToParentViewController(this).
    void addChildViewController(std::shared_ptr<ViewController> child);
    // Calls didMoveToParentViewController(nullptr) (the caller sent willMove... before).
    void removeFromParentViewController();
    virtual void willMoveToParentViewController(ViewController* parent) { (void)parent; }
    virtual void didMoveToParentViewController(ViewController* parent) { (void)parent; }

    // Modal presentation: the presented view covers the presenter's window, sliding up when
    // animated. Callbacks: presenter viewWillDisappear, presented viewWillAppear, presented
    // viewDidAppear, presenter viewDidDisappear, completion (dismissal mirrors it).
    void presentViewController(
        std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion = {});
    // Dismisses what this controller presented (or, when it presented nothing, itself from its
    // presenter).
    void dismissViewController(bool animated, std::function<void()> completion = {});
    std::shared_ptr<ViewController> presentingViewController() const;
    std::shared_ptr<ViewController> presentedViewController() const { return m_presented; }
    static constexpr double kPresentationDuration = 0.4;
    // How this controller comes on screen when presented with animation: sliding up, or fading in
    // with CrossDissolve (the others slide).
    ModalTransitionStyle modalTransitionStyle() const { return m_transitionStyle; }
    void setModalTransitionStyle(ModalTransitionStyle style) { m_transitionStyle = style; }
    ModalPresentationStyle modalPresentationStyle() const { return m_presentationStyle; }
    void setModalPresentationStyle(ModalPresentationStyle style) { m_presentationStyle = style; }

    // The nearest navigation controller up the parent (and presenting) chain.
    std::shared_ptr<NavigationController> navigationController() const;

    // Storyboard.
    std::shared_ptr<Storyboard> storyboard() const { return m_storyboard.lock(); }
    const std::string& storyboardIdentifier() const { return m_storyboardIdentifier; }
    void setStoryboard(const std::shared_ptr<Storyboard>& storyboard, std::string identifier);
    // Makes the segue's destination (its view not loaded yet), calls prepareForSegue on this
    // controller and performs it. An unknown identifier is logged and ignored.
    void performSegueWithIdentifier(const std::string& identifier, SegueSender sender = nullptr);
    // For segues a control triggers: asks shouldPerformSegueWithIdentifier first.
    bool triggerSegueWithIdentifier(const std::string& identifier, SegueSender sender = nullptr);
    virtual bool shouldPerformSegueWithIdentifier(const std::string& identifier, const SegueSender& sender);
    virtual void prepareForSegue(StoryboardSegue& segue, const SegueSender& sender);

    // Status bar and rotation answers.
    virtual bool prefersStatusBarHidden() const { return false; }
    virtual StatusBarStyle preferredStatusBarStyle() const { return StatusBarStyle::Default; }
    virtual StatusBarAnimation preferredStatusBarUpdateAnimation() const { return StatusBarAnimation::Fade; }
    // With view-controller-based appearance (the bundle's setting) the application's bar takes
    // this controller's answers; otherwise nothing happens.
    void setNeedsStatusBarAppearanceUpdate();
    virtual bool shouldAutorotate() const { return true; }
    virtual uint32_t supportedInterfaceOrientations() const;

    // Rotation, sent by Application::rotateInterface to the root controller, its children and
    // what it presents: systems before 8.0 send the three rotation calls, later ones the size
    // transition (whose default passes it on to the children and the presented controller).
    virtual void willRotateToInterfaceOrientation(InterfaceOrientation orientation, double duration)
    {
        (void)orientation, (void)duration;
    }
    virtual void willAnimateRotationToInterfaceOrientation(InterfaceOrientation orientation, double duration)
    {
        (void)orientation, (void)duration;
    }
    virtual void didRotateFromInterfaceOrientation(InterfaceOrientation from) { (void)from; }
    virtual void viewWillTransitionToSize(graphics::Size size, TransitionCoordinator& coordinator);

    Responder* nextResponder() const override;

    // Called by the root view around its layoutSubviews.
    void viewLayoutWillRun() { viewWillLayoutSubviews(); }
    void viewLayoutDidRun() { viewDidLayoutSubviews(); }
    // Called by the root view when it moves into or out of a window.
    void viewWillMoveToWindow(bool intoWindow);
    void viewDidMoveToWindow(bool inWindow);

    // Tests and containers: while set, window moves of the view send no appearance callbacks.
    void setManagesAppearanceManually(bool manual) { m_manualAppearance = manual; }

protected:
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
    Appearance appearance() const { return m_appearance; }
    void setPresentingViewController(const std::shared_ptr<ViewController>& presenting)
    {
        m_presenting = presenting;
    }
    friend class NavigationController;

private:
    bool appearanceIsManaged() const;
    bool coversPresenter() const;
    void forwardAppearanceToChildren(const std::function<void(ViewController&)>& action);

    std::shared_ptr<View> m_view;
    std::string m_title;
    NavigationItem m_navigationItem;
    std::weak_ptr<ViewController> m_parent;
    std::vector<std::shared_ptr<ViewController>> m_children;
    std::weak_ptr<ViewController> m_presenting;
    std::shared_ptr<ViewController> m_presented;
    std::vector<std::function<void()>> m_pendingDismissCompletions;
    std::weak_ptr<Storyboard> m_storyboard;
    std::string m_storyboardIdentifier;
    ModalTransitionStyle m_transitionStyle {ModalTransitionStyle::CoverVertical};
    ModalPresentationStyle m_presentationStyle {ModalPresentationStyle::FullScreen};
    Appearance m_appearance {Appearance::Disappeared};
    bool m_appearanceAnimated {false};
    bool m_manualAppearance {false};
    bool m_beingPresented {false};
    bool m_beingDismissed {false};
    bool m_movingToParent {false};
    bool m_movingFromParent {false};
    bool m_loadingView {false};
};

} // namespace ui
