#include "platform/ui/ViewController.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"

#include <string>
#include <vector>

namespace {

using ui::View;
using ui::ViewController;
using Log = std::vector<std::string>;

// Writes every life-cycle call into a shared log under its name.
class Recorder : public ViewController {
public:
    Recorder(std::string name, Log& log)
        : m_name(std::move(name))
        , m_log(log)
    { }
    void viewDidLoad() override { m_log.push_back(m_name + " didLoad"); }
    void viewWillAppear(bool animated) override
    {
        m_log.push_back(m_name + " willAppear" + (animated ? "*" : ""));
    }
    void viewDidAppear(bool) override { m_log.push_back(m_name + " didAppear"); }
    void viewWillDisappear(bool animated) override
    {
        m_log.push_back(m_name + " willDisappear" + (animated ? "*" : ""));
    }
    void viewDidDisappear(bool) override { m_log.push_back(m_name + " didDisappear"); }
    void willMoveToParentViewController(ViewController* p) override
    {
        m_log.push_back(m_name + (p ? " willMoveTo parent" : " willMoveTo nil"));
    }
    void didMoveToParentViewController(ViewController* p) override
    {
        m_log.push_back(m_name + (p ? " didMoveTo parent" : " didMoveTo nil"));
    }
    void viewWillLayoutSubviews() override { ++willLayouts; }
    void viewDidLayoutSubviews() override { ++didLayouts; }
    int willLayouts = 0, didLayouts = 0;

private:
    std::string m_name;
    Log& m_log;
};

class ViewControllerTest : public mivo::test::UiTest {
protected:
    Log log;
    std::shared_ptr<ui::Window> window = ui::Window::create({0, 0, 320, 568});
    std::shared_ptr<Recorder> make(const std::string& name) { return std::make_shared<Recorder>(name, log); }
    std::shared_ptr<Recorder> showRoot(const std::string& name)
    {
        auto root = make(name);
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        turn();
        log.clear();
        return root;
    }
};

TEST_F(ViewControllerTest, ViewLoadsLazilyOnce)
{
    auto controller = make("A");
    EXPECT_FALSE(controller->isViewLoaded());
    EXPECT_TRUE(log.empty());
    auto view = controller->view();
    EXPECT_TRUE(controller->isViewLoaded());
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(log, Log {"A didLoad"});
    EXPECT_EQ(view->bounds().size, (graphics::Size {320, 568}));
    EXPECT_EQ(view->nextResponder(), controller.get());
}

TEST_F(ViewControllerTest, RootControllerAppearsWithItsWindowAndLaysOut)
{
    auto root = make("Root");
    window->setRootViewController(root);
    EXPECT_TRUE(log.empty() || log == Log {"Root didLoad"});
    window->makeKeyAndVisible();
    EXPECT_EQ(log, (Log {"Root didLoad", "Root willAppear", "Root didAppear"}));
    EXPECT_TRUE(window->isKeyWindow());
    turn();
    EXPECT_EQ(root->willLayouts, 1);
    EXPECT_EQ(root->didLayouts, 1);
}

TEST_F(ViewControllerTest, ChildContainmentForwardsAppearanceAfterTheParent)
{
    auto parent = showRoot("P");
    auto child = make("C");
    parent->addChildViewController(child);
    parent->view()->addSubview(child->view());
    child->didMoveToParentViewController(parent.get());
    EXPECT_EQ(
        log, (Log {"C willMoveTo parent", "C didLoad", "C willAppear", "C didAppear", "C didMoveTo parent"}));
    EXPECT_EQ(child->parentViewController(), parent);
    EXPECT_EQ(parent->childViewControllers().size(), 1u);

    // When the parent goes, the child goes right after it, in both halves.
    log.clear();
    window->setRootViewController(nullptr);
    EXPECT_EQ(log, (Log {"P willDisappear", "C willDisappear", "P didDisappear", "C didDisappear"}));

    log.clear();
    child->willMoveToParentViewController(nullptr);
    child->view()->removeFromSuperview();
    child->removeFromParentViewController();
    EXPECT_EQ(log, (Log {"C willMoveTo nil", "C didMoveTo nil"}));
    EXPECT_EQ(child->parentViewController(), nullptr);
    EXPECT_TRUE(parent->childViewControllers().empty());
}

TEST_F(ViewControllerTest, ModalPresentationCallbacksInThePlatformOrder)
{
    auto a = showRoot("A");
    auto b = make("B");
    bool presented = false;
    a->presentViewController(b, false, [&] {
        log.push_back("completion");
        presented = true;
    });
    EXPECT_EQ(log,
        (Log {
            "B didLoad", "A willDisappear", "B willAppear", "B didAppear", "A didDisappear", "completion"}));
    EXPECT_EQ(a->presentedViewController(), b);
    EXPECT_EQ(b->presentingViewController(), a);
    EXPECT_EQ(b->view()->window(), window);
    EXPECT_EQ(a->view()->window(), nullptr);

    log.clear();
    b->dismissViewController(false, [&] { log.push_back("completion"); });
    EXPECT_EQ(log, (Log {"B willDisappear", "A willAppear", "A didAppear", "B didDisappear", "completion"}));
    EXPECT_EQ(a->presentedViewController(), nullptr);
    EXPECT_EQ(b->presentingViewController(), nullptr);
    EXPECT_EQ(a->view()->window(), window);
    EXPECT_EQ(b->view()->window(), nullptr);
}

TEST_F(ViewControllerTest, DismissalDuringAnAnimatedPresentationLeavesThePresenterOnScreen)
{
    auto a = showRoot("A");
    auto b = make("B");
    a->presentViewController(b, true, [&] { log.push_back("presented"); });
    runFor(0.1);
    log.clear();
    b->dismissViewController(true, [&] { log.push_back("dismissed"); });
    runFor(0.2);
    // The presentation's end changes nothing of the dismissal under way.
    EXPECT_EQ(log, (Log {"B willDisappear*", "A willAppear*", "presented"}));
    runFor(1);
    EXPECT_EQ(log,
        (Log {
            "B willDisappear*", "A willAppear*", "presented", "A didAppear", "B didDisappear", "dismissed"}));
    EXPECT_EQ(a->view()->window(), window);
    EXPECT_EQ(b->view()->window(), nullptr);
    EXPECT_EQ(a->presentedViewController(), nullptr);
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
}

TEST_F(ViewControllerTest, ASecondDismissalWaitsForTheFirst)
{
    auto a = showRoot("A");
    auto b = make("B");
    a->presentViewController(b, false);
    log.clear();
    b->dismissViewController(true, [&] { log.push_back("first"); });
    runFor(0.1);
    b->dismissViewController(true, [&] { log.push_back("second"); });
    runFor(0.1);
    EXPECT_EQ(b->view()->window(), window);
    EXPECT_EQ(log, (Log {"B willDisappear*", "A willAppear*"}));
    runFor(1);
    EXPECT_EQ(
        log, (Log {"B willDisappear*", "A willAppear*", "A didAppear", "B didDisappear", "first", "second"}));
    EXPECT_EQ(b->view()->window(), nullptr);
    EXPECT_EQ(a->presentedViewController(), nullptr);
}

TEST_F(ViewControllerTest, AnimatedPresentationSlidesUpAndBlocksTouches)
{
    auto a = showRoot("A");
    auto b = make("B");
    a->presentViewController(b, true, [&] { log.push_back("completion"); });
    EXPECT_EQ(log, (Log {"B didLoad", "A willDisappear*", "B willAppear*"}));
    EXPECT_EQ(b->view()->frame(), window->bounds());
    EXPECT_TRUE(ui::Application::shared().isIgnoringInteractionEvents());
    runFor(ViewController::kPresentationDuration / 2);
    double y = b->view()->layer().presentation().frame().minY();
    EXPECT_GT(y, 0);
    EXPECT_LT(y, 568);
    runFor(ViewController::kPresentationDuration / 2);
    EXPECT_EQ(log,
        (Log {"B didLoad", "A willDisappear*", "B willAppear*", "B didAppear", "A didDisappear",
            "completion"}));
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());

    log.clear();
    a->dismissViewController(true, [&] { log.push_back("completion"); });
    EXPECT_EQ(log, (Log {"B willDisappear*", "A willAppear*"}));
    runFor(ViewController::kPresentationDuration);
    EXPECT_EQ(
        log, (Log {"B willDisappear*", "A willAppear*", "A didAppear", "B didDisappear", "completion"}));
}

TEST_F(ViewControllerTest, PresentingFromAChildCoversTheWholeScreen)
{
    auto parent = showRoot("P");
    auto child = make("C");
    parent->addChildViewController(child);
    parent->view()->addSubview(child->view());
    child->didMoveToParentViewController(parent.get());
    log.clear();
    auto modal = make("M");
    child->presentViewController(modal, false);
    EXPECT_EQ(log,
        (Log {"M didLoad", "P willDisappear", "C willDisappear", "M willAppear", "M didAppear",
            "P didDisappear", "C didDisappear"}));
    EXPECT_EQ(modal->presentingViewController(), parent);
    // A second presentation while one is up is refused.
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    child->presentViewController(make("N"), false);
    EXPECT_TRUE(capture.contains("while a presentation is in progress"));
    EXPECT_EQ(parent->presentedViewController(), modal);
}

TEST_F(ViewControllerTest, CrossDissolveFadesAndOverFullScreenKeepsThePresenter)
{
    auto a = showRoot("A");
    auto b = make("B");
    b->setModalTransitionStyle(ui::ModalTransitionStyle::CrossDissolve);
    b->setModalPresentationStyle(ui::ModalPresentationStyle::OverFullScreen);
    a->presentViewController(b, true);
    EXPECT_EQ(b->view()->layer().presentation().frame(), window->bounds());
    runFor(ViewController::kPresentationDuration / 2);
    double shown = b->view()->layer().presentation().opacity;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 1);
    runFor(ViewController::kPresentationDuration / 2);
    EXPECT_EQ(log, (Log {"B didLoad", "B willAppear*", "B didAppear"}));
    EXPECT_EQ(a->view()->window(), window);
    EXPECT_EQ(b->view()->alpha(), 1);

    log.clear();
    b->dismissViewController(false);
    EXPECT_EQ(log, (Log {"B willDisappear", "B didDisappear"}));
}

TEST_F(ViewControllerTest, TitleFeedsTheNavigationItem)
{
    auto controller = make("A");
    controller->setTitle("Tasks");
    EXPECT_EQ(controller->navigationItem().title(), "Tasks");
    auto item = ui::BarButtonItem::create("Done");
    int taps = 0;
    item->setAction([&](ui::BarButtonItem&) { ++taps; });
    controller->navigationItem().setRightBarButtonItem(item);
    item->trigger();
    item->setEnabled(false);
    item->trigger();
    EXPECT_EQ(taps, 1);
}

} // namespace
