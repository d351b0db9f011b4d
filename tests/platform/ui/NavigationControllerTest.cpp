#include "platform/ui/NavigationController.h"
#include "platform/foundation/Log.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using ui::NavigationController;
using ui::ViewController;
using Log = std::vector<std::string>;

class Page : public ViewController {
public:
    Page(std::string name, Log& log)
        : m_name(std::move(name))
        , m_log(log)
    { }
    const char* className() const override { return "Page"; }
    void viewDidLoad() override { m_log.push_back(m_name + " didLoad"); }
    void viewWillAppear(bool) override { m_log.push_back(m_name + " willAppear"); }
    void viewDidAppear(bool) override { m_log.push_back(m_name + " didAppear"); }
    void viewWillDisappear(bool) override { m_log.push_back(m_name + " willDisappear"); }
    void viewDidDisappear(bool) override { m_log.push_back(m_name + " didDisappear"); }
    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override
    {
        auto destination = std::dynamic_pointer_cast<Page>(segue.destinationViewController());
        m_log.push_back(m_name + " prepare " + segue.identifier() + " for "
            + (destination ? destination->m_name : "?")
            + (segue.destinationViewController()->isViewLoaded() ? " (loaded)" : ""));
        if (destination && sender)
            destination->applyTaskNO = *std::static_pointer_cast<std::string>(sender);
    }
    bool shouldPerformSegueWithIdentifier(const std::string& identifier, const ui::SegueSender&) override
    {
        return identifier != "blocked";
    }
    std::string applyTaskNO;

private:
    std::string m_name;
    Log& m_log;
};

class NavigationControllerTest : public mivo::test::UiTest {
protected:
    Log log;
    std::shared_ptr<ui::Window> window = ui::Window::create({0, 0, 320, 568});
    std::shared_ptr<Page> page(const std::string& name) { return std::make_shared<Page>(name, log); }
    std::shared_ptr<NavigationController> show(std::shared_ptr<ViewController> root)
    {
        return show(NavigationController::create(std::move(root)));
    }
    std::shared_ptr<NavigationController> show(std::shared_ptr<NavigationController> navigation)
    {
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        runFor(0.1);
        log.clear();
        return navigation;
    }
    // Moves the finger along y 300 in 20-point steps, `stepTime` apart.
    void swipe(const std::shared_ptr<ui::Touch>& touch, double from, double to, double stepTime)
    {
        for (double x = from; x <= to; x += 20) {
            if (stepTime > 0)
                runFor(stepTime);
            app().touchMoved(touch, {x, 300});
        }
    }
};

TEST_F(NavigationControllerTest, PushAndPopRunAppearanceCallbacksInOrder)
{
    auto a = page("A");
    auto navigation = show(a);
    EXPECT_EQ(a->navigationController(), navigation);
    auto b = page("B");
    navigation->pushViewController(b, true);
    EXPECT_EQ(log, (Log {"B didLoad", "A willDisappear", "B willAppear"}));
    EXPECT_EQ(navigation->topViewController(), b);
    EXPECT_EQ(b->navigationController(), navigation);
    runFor(NavigationController::kTransitionDuration);
    EXPECT_EQ(log, (Log {"B didLoad", "A willDisappear", "B willAppear", "A didDisappear", "B didAppear"}));
    EXPECT_EQ(a->view()->window(), nullptr);
    EXPECT_TRUE(navigation->navigationBar()->showsBackButton());

    log.clear();
    EXPECT_EQ(navigation->popViewController(false), b);
    EXPECT_EQ(log, (Log {"B willDisappear", "A willAppear", "B didDisappear", "A didAppear"}));
    EXPECT_EQ(b->parentViewController(), nullptr);
    EXPECT_EQ(navigation->popViewController(false), nullptr);
}

TEST_F(NavigationControllerTest, PopToRootAndSetViewControllers)
{
    auto a = page("A"), b = page("B"), c = page("C");
    auto navigation = show(a);
    navigation->pushViewController(b, false);
    navigation->pushViewController(c, false);
    auto popped = navigation->popToRootViewController(false);
    EXPECT_EQ(popped, (std::vector<std::shared_ptr<ViewController>> {b, c}));
    EXPECT_EQ(navigation->viewControllers(), (std::vector<std::shared_ptr<ViewController>> {a}));
    EXPECT_EQ(b->parentViewController(), nullptr);
    EXPECT_EQ(c->parentViewController(), nullptr);

    navigation->setViewControllers({b, c}, false);
    EXPECT_EQ(navigation->topViewController(), c);
    EXPECT_EQ(a->parentViewController(), nullptr);
    EXPECT_EQ(c->view()->window(), window);
    EXPECT_EQ(c->view()->convertRectToView(c->view()->bounds(), nullptr), (graphics::Rect {0, 64, 320, 504}));
    navigation->setNavigationBarHidden(true);
    EXPECT_EQ(c->view()->convertRectToView(c->view()->bounds(), nullptr), window->bounds());
}

TEST_F(NavigationControllerTest, EdgeSwipePopsOrSpringsBackAndCanBeSwitchedOff)
{
    auto navigation = show(page("A"));
    navigation->pushViewController(page("B"), false);
    auto recognizer = navigation->interactivePopGestureRecognizer();
    ASSERT_NE(recognizer, nullptr);
    EXPECT_TRUE(recognizer->isEnabled());

    log.clear();
    auto touch = app().touchDown({5, 300});
    swipe(touch, 20, 260, 0.01);
    EXPECT_EQ(log, (Log {"B willDisappear", "A willAppear"}));
    app().touchUp(touch, {260, 300});
    runFor(1);
    EXPECT_EQ(log, (Log {"B willDisappear", "A willAppear", "B didDisappear", "A didAppear"}));
    EXPECT_EQ(navigation->viewControllers().size(), 1u);

    // A short, slow swipe goes back, and the callbacks turn around.
    navigation->pushViewController(page("C"), false);
    log.clear();
    touch = app().touchDown({5, 300});
    swipe(touch, 20, 60, 0.2);
    runFor(0.2);
    app().touchUp(touch, {60, 300});
    runFor(1);
    EXPECT_EQ(log,
        (Log {"C willDisappear", "A willAppear", "C willAppear", "A willDisappear", "C didAppear",
            "A didDisappear"}));
    EXPECT_EQ(navigation->viewControllers().size(), 2u);
    EXPECT_EQ(navigation->topViewController()->view()->frame().origin.x, 0);
    navigation->popViewController(false);

    // Switched off, it does nothing.
    navigation->pushViewController(page("C"), false);
    recognizer->setEnabled(false);
    touch = app().touchDown({5, 300});
    swipe(touch, 20, 260, 0);
    app().touchUp(touch, {260, 300});
    runFor(1);
    EXPECT_EQ(navigation->viewControllers().size(), 2u);
}

TEST_F(NavigationControllerTest, BarOutlivingItsControllerShowsNoItems)
{
    std::shared_ptr<ui::NavigationBar> bar;
    {
        auto navigation = NavigationController::create(page("A"));
        navigation->pushViewController(page("B"), false);
        bar = navigation->navigationBar();
        ASSERT_NE(bar->topItem(), nullptr);
    }
    // The pages and their items went with the controller.
    EXPECT_EQ(bar->topItem(), nullptr);
    EXPECT_EQ(bar->backItem(), nullptr);
    EXPECT_EQ(bar->automationText(), "");
}

TEST_F(NavigationControllerTest, StackChangesDuringAnEdgeSwipeTakeOver)
{
    auto navigation = show(page("A"));
    auto a = navigation->topViewController();
    auto b = page("B");
    navigation->pushViewController(b, false);

    // A pop while the finger is down: the swipe gives way, and its last moves change nothing.
    auto touch = app().touchDown({5, 300});
    swipe(touch, 20, 100, 0.01);
    log.clear();
    navigation->popToRootViewController(false);
    EXPECT_EQ(log,
        (Log {"B willAppear", "A willDisappear", "B didAppear", "A didDisappear", "B willDisappear",
            "A willAppear", "B didDisappear", "A didAppear"}));
    swipe(touch, 120, 200, 0.01);
    app().touchUp(touch, {200, 300});
    runFor(1);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(a->view()->window(), window);
    EXPECT_EQ(a->view()->frame(), a->view()->superview()->bounds());
    EXPECT_EQ(b->view()->window(), nullptr);

    // A pop while a short, slow swipe springs back leaves the page below on screen.
    navigation->pushViewController(b, false);
    touch = app().touchDown({5, 300});
    swipe(touch, 20, 60, 0.2);
    app().touchUp(touch, {60, 300});
    EXPECT_EQ(navigation->viewControllers().size(), 2u);
    navigation->popViewController(false);
    runFor(1);
    EXPECT_EQ(a->view()->window(), window);
    EXPECT_EQ(b->view()->window(), nullptr);
}

TEST_F(NavigationControllerTest, APushOrPopBeforeTheLastOneEndsTakesOver)
{
    auto navigation = show(page("A"));
    auto a = navigation->topViewController();
    auto b = page("B");
    auto c = page("C");
    auto onScreen = [&](const std::shared_ptr<ViewController>& only) {
        for (const auto& controller : std::vector<std::shared_ptr<ViewController>> {a, b, c})
            if ((controller->isViewLoaded() && controller->view()->window()) != (controller == only))
                return false;
        return only->view()->frame() == only->view()->superview()->bounds();
    };

    navigation->pushViewController(b, true);
    runFor(0.1);
    navigation->popViewController(true);
    runFor(1);
    EXPECT_TRUE(onScreen(a));
    EXPECT_EQ(log,
        (Log {"B didLoad", "A willDisappear", "B willAppear", "B willDisappear", "A willAppear",
            "B didDisappear", "A didAppear"}));

    navigation->pushViewController(b, true);
    runFor(0.1);
    navigation->popViewController(false);
    runFor(1);
    EXPECT_TRUE(onScreen(a));
    EXPECT_EQ(b->parentViewController(), nullptr);

    log.clear();
    navigation->pushViewController(b, true);
    runFor(0.1);
    navigation->pushViewController(c, true);
    runFor(1);
    EXPECT_TRUE(onScreen(c));
    EXPECT_EQ(log.back(), "C didAppear");
    EXPECT_NE(std::find(log.begin(), log.end(), "A didDisappear"), log.end());
    EXPECT_FALSE(navigation->isTransitioning());
}

TEST_F(NavigationControllerTest, BackButtonShowsThePreviousTitleWhenItFits)
{
    auto a = page("A"), b = page("B");
    a->setTitle("首页");
    b->setTitle("待拍摄任务");
    auto navigation = show(a);
    auto bar = navigation->navigationBar();
    navigation->pushViewController(b, false);
    EXPECT_EQ(bar->backItem(), &a->navigationItem());
    EXPECT_EQ(bar->backButtonTitle(), "首页");
    a->setTitle("已上传等待审核的全部任务列表");
    EXPECT_EQ(bar->backButtonTitle(), "返回") << "too long to sit beside the title";
    a->setTitle("");
    EXPECT_EQ(bar->backButtonTitle(), "返回");
    a->navigationItem().setBackBarButtonItem(ui::BarButtonItem::create("列表"));
    EXPECT_EQ(bar->backButtonTitle(), "列表");

    // A tap on it, also past the bar's usual side width when the title is wide, goes back.
    a->navigationItem().setBackBarButtonItem(nullptr);
    a->setTitle("上传任务");
    double width = bar->backButtonWidth();
    EXPECT_GT(width, 80);
    auto touch = app().touchDown({width, 42});
    app().touchUp(touch, {width, 42});
    runFor(1);
    EXPECT_EQ(navigation->topViewController(), a);
    EXPECT_EQ(bar->backItem(), nullptr);
    EXPECT_FALSE(bar->showsBackButton());
}

class StoryboardTest : public NavigationControllerTest {
protected:
    std::shared_ptr<ui::Storyboard> storyboard;
    void SetUp() override
    {
        NavigationControllerTest::SetUp();
        storyboard = ui::Storyboard::storyboardWithName("Main");
        storyboard->registerViewController("Home", [this] {
            return NavigationController::create(storyboard->instantiateViewControllerWithIdentifier("List"));
        });
        storyboard->registerViewController("List", [this] { return page("List"); });
        storyboard->registerViewController("Grid", [this] { return page("Grid"); });
        storyboard->registerViewController("Viewer", [this] { return page("Viewer"); });
        storyboard->setInitialViewControllerIdentifier("Home");
        storyboard->registerSegue("List", "toGrid", {ui::SegueKind::Push, "Grid", {}});
        storyboard->registerSegue("", "toViewer", {ui::SegueKind::Modal, "Viewer", {}});
        storyboard->registerSegue("List", "blocked", {ui::SegueKind::Push, "Grid", {}});
    }
    // Shows the initial navigation controller; returns it and its list page.
    std::pair<std::shared_ptr<NavigationController>, std::shared_ptr<Page>> showHome()
    {
        auto home
            = std::dynamic_pointer_cast<NavigationController>(storyboard->instantiateInitialViewController());
        if (!home)
            return {};
        show(home);
        return {home, std::static_pointer_cast<Page>(home->topViewController())};
    }
};

TEST_F(StoryboardTest, PushSegueCallsPrepareBeforeTheDestinationLoads)
{
    auto [home, list] = showHome();
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(ui::Storyboard::storyboardWithName("Main"), storyboard);
    EXPECT_EQ(list->storyboard(), storyboard);
    EXPECT_EQ(list->storyboardIdentifier(), "List");

    list->performSegueWithIdentifier("toGrid", std::make_shared<std::string>("A-1001"));
    EXPECT_EQ(log.front(), "List prepare toGrid for Grid");
    EXPECT_EQ(log.at(1), "Grid didLoad");
    auto grid = std::static_pointer_cast<Page>(home->topViewController());
    EXPECT_EQ(grid->applyTaskNO, "A-1001");
    runFor(1);
    EXPECT_EQ(grid->view()->window(), window);
}

TEST_F(StoryboardTest, ModalSeguesAndGuards)
{
    auto [home, list] = showHome();
    ASSERT_NE(home, nullptr);
    list->performSegueWithIdentifier("toViewer");
    runFor(1);
    // The navigation controller, at the top of the chain, presents.
    auto viewer = home->presentedViewController();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->presentingViewController(), home);

    viewer->dismissViewController(false);
    log.clear();
    EXPECT_FALSE(list->triggerSegueWithIdentifier("blocked"));
    EXPECT_TRUE(log.empty());

    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    list->performSegueWithIdentifier("missing");
    EXPECT_TRUE(capture.contains("has no segue with identifier 'missing'"));
    EXPECT_EQ(storyboard->instantiateViewControllerWithIdentifier("Nope"), nullptr);
    EXPECT_EQ(home->viewControllers().size(), 1u);
}

} // namespace
