#pragma once

#include "platform/ui/ViewController.h"

#include <memory>
#include <vector>

namespace ui {

class NavigationBar;
class PanGestureRecognizer;
class GestureRecognizer;

// A stack of controllers with a bar; push slides in from the right, pop back. An edge pan
// recogniser pops interactively (its enabled flag and delegate belong to the app to set).
class NavigationController : public ViewController {
public:
    static std::shared_ptr<NavigationController> create(std::shared_ptr<ViewController> root = nullptr);
    NavigationController();
    ~NavigationController() override;

    const char* className() const override { return "NavigationController"; }
    static constexpr double kTransitionDuration = 0.35;

    void pushViewController(std::shared_ptr<ViewController> controller, bool animated);
    std::shared_ptr<ViewController> popViewController(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToViewController(
        const std::shared_ptr<ViewController>& controller, bool animated);
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated);
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return m_stack; }
    std::shared_ptr<ViewController> topViewController() const;
    std::shared_ptr<ViewController> visibleViewController() const;

    bool isNavigationBarHidden() const { return m_barHidden; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    std::shared_ptr<NavigationBar> navigationBar();
    std::shared_ptr<PanGestureRecognizer> interactivePopGestureRecognizer();
    bool isTransitioning() const { return m_transitioning; }

    void loadView() override;
    void viewDidLoad() override;

private:
    void transition(
        std::shared_ptr<ViewController> from, std::shared_ptr<ViewController> to, bool push, bool animated);
    void layoutContent();
    void updateBar();
    void handleEdgePan(GestureRecognizer& recognizer);
    void abandonInteractivePop();

    std::vector<std::shared_ptr<ViewController>> m_stack;
    std::shared_ptr<NavigationBar> m_bar;
    std::shared_ptr<View> m_container;
    std::shared_ptr<PanGestureRecognizer> m_popRecognizer;
    std::shared_ptr<ViewController> m_popCandidate;
    std::shared_ptr<ViewController> m_popBelow;
    // The latest push or pop, so that an earlier one ending late leaves its controllers alone.
    uint64_t m_transitionSerial {0};
    std::weak_ptr<ViewController> m_transitionFrom;
    std::weak_ptr<ViewController> m_transitionTo;
    bool m_barHidden {false};
    bool m_transitioning {false};
};

} // namespace ui
