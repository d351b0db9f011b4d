#include "tests/app/ShellFixture.h"

#include "app/MainStoryboard.h"
#include "components/alert/ModalAlertButton.h"
#include "platform/foundation/NotificationCenter.h"
#include "screens/shell/HomeViewController.h"
#include "screens/shell/LeftMenuViewController.h"
#include "screens/shell/MainBaseViewController.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/FinishedTaskListViewController.h"
#include "screens/tasks/NewTaskViewController.h"
#include "screens/tasks/PendingTaskListViewController.h"

using mivo::test::ShellFixture;

namespace {

class NavigationTest : public ShellFixture { };

} // namespace

TEST(MainStoryboardTest, KnowsEverySegueTheScreensPerform)
{
    ui::Storyboard::removeAllForTesting();
    auto board = MainStoryboard::storyboard();
    using S = ShellSegues;
    const std::pair<const char*, const char*> segues[] = {
        {S::kLoginScene, "loginToMainSegue"},
        {S::kLeftMenuScene, "slidingToHome"},
        {S::kNewTaskScene, "toNewTaskPLSeg"},
        {S::kPendingListScene, "toPendingPhotoListSeg"},
        {S::kUploadListScene, "toUploadPhotoListSeg"},
        {S::kRejectedListScene, "toRejectedPhotoListSeg"},
        {S::kFinishedListScene, "toFinishPhotoListSeg"},
        {S::kUploadGridScene, "toUploadMonitorSeg"},
        {S::kRejectedGridScene, "toUploadMonitorSeg"},
        {S::kHomeScene, S::kToNewTask},
        {S::kLeftMenuScene, S::kToRejectedList},
    };
    for (const auto& [source, identifier] : segues) {
        auto segue = board->segue(source, identifier);
        ASSERT_TRUE(segue) << source << " " << identifier;
        EXPECT_TRUE(board->instantiateViewControllerWithIdentifier(segue->destination)) << segue->destination;
    }
    EXPECT_STREQ(board->instantiateInitialViewController()->className(), "LoginViewController");
    ui::Storyboard::removeAllForTesting();
}

TEST_F(NavigationTest, TheHomeNotificationReturnsToAFreshDashboard)
{
    auto sliding = logIn("arvel");
    ASSERT_TRUE(sliding);
    auto stack = homeStack(sliding);
    stack->topViewController()->performSegueWithIdentifier(ShellSegues::kToNewTask);
    foundation::RunLoop::main().runFor(0.5);
    ASSERT_EQ(stack->viewControllers().size(), 2u);
    auto inner = std::dynamic_pointer_cast<MainBaseViewController>(stack->topViewController());
    ASSERT_TRUE(inner);

    inner->returnHome();
    auto newStack = homeStack(sliding);
    ASSERT_TRUE(newStack);
    EXPECT_NE(newStack, stack);
    ASSERT_EQ(newStack->viewControllers().size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<HomeViewController>(newStack->topViewController()));
    EXPECT_FALSE(sliding->isMenuOpen());
}

TEST_F(NavigationTest, AReleasedMenuNoLongerAnswers)
{
    auto sliding = logIn("arvel");
    ASSERT_TRUE(sliding);
    std::weak_ptr<ui::ViewController> menu = sliding->underLeftViewController();
    sliding->setUnderLeftViewController(nullptr);
    EXPECT_TRUE(menu.expired());
    auto stack = homeStack(sliding);
    foundation::NotificationCenter::defaultCenter().post(
        MainBaseViewController::kNavToHomeSlidingNotification);
    EXPECT_EQ(homeStack(sliding), stack) << "nothing observes any more";
}

TEST_F(NavigationTest, MenuEntriesOpenTheirScreensOnTheHomeStack)
{
    auto sliding = logIn("arvel");
    ASSERT_TRUE(sliding);
    auto menu = std::dynamic_pointer_cast<LeftMenuViewController>(sliding->underLeftViewController());
    ASSERT_TRUE(menu);
    sliding->anchorTopViewToRight(false);
    EXPECT_TRUE(sliding->isMenuOpen());
    EXPECT_EQ(sliding->topViewController()->view()->frame().minX(), SlidingViewController::kRevealWidth);

    const auto& entries = LeftMenuViewController::entries();
    auto select = [&](const char* title) {
        auto entry
            = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.title == title; });
        ASSERT_NE(entry, entries.end()) << title;
        menu->selectEntry(size_t(entry - entries.begin()));
        foundation::RunLoop::main().runFor(0.5);
    };
    select("待拍摄任务");
    auto stack = homeStack(sliding);
    ASSERT_EQ(stack->viewControllers().size(), 2u);
    EXPECT_TRUE(std::dynamic_pointer_cast<PendingTaskListViewController>(stack->topViewController()));
    EXPECT_FALSE(sliding->isMenuOpen());

    // Another entry replaces it rather than piling up.
    select("已完成任务");
    ASSERT_EQ(stack->viewControllers().size(), 2u);
    EXPECT_TRUE(std::dynamic_pointer_cast<FinishedTaskListViewController>(stack->topViewController()));
}

TEST_F(NavigationTest, LogoutAsksFirstAndReturnsToTheLoginScreen)
{
    auto sliding = logIn("arvel");
    ASSERT_TRUE(sliding);
    auto menu = std::dynamic_pointer_cast<LeftMenuViewController>(sliding->underLeftViewController());
    // The prompt over the container, on the Warning style, with "确定" and "取消".
    auto prompt = [&]() -> std::shared_ptr<ModalAlertView> {
        for (const auto& child : sliding->childViewControllers()) {
            if (auto alert = std::dynamic_pointer_cast<ModalAlertView>(child))
                return alert;
        }
        return nullptr;
    };
    auto tapButton = [&](const std::string& title) {
        for (const auto& button : prompt()->buttons()) {
            if (button->currentTitle() == title)
                button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        }
        foundation::RunLoop::main().runFor(1);
    };

    menu->selectEntry(LeftMenuViewController::entries().size() - 1);
    foundation::RunLoop::main().runFor(0.5);
    ASSERT_TRUE(prompt());
    EXPECT_EQ(prompt()->labelTitle()->text(), "退出登录");
    EXPECT_EQ(alertText(*sliding), "确定要退出吗？");
    ASSERT_EQ(prompt()->buttons().size(), 2u);
    EXPECT_EQ(prompt()->buttons()[0]->actionType(), ModalAlertButton::ActionType::Block);
    EXPECT_EQ(prompt()->buttons()[1]->actionType(), ModalAlertButton::ActionType::Block);

    tapButton("取消");
    EXPECT_FALSE(prompt());
    EXPECT_EQ(m_login->presentedViewController(), sliding);

    menu->selectEntry(LeftMenuViewController::entries().size() - 1);
    foundation::RunLoop::main().runFor(0.5);
    tapButton("确定");
    EXPECT_FALSE(m_login->presentedViewController());
    EXPECT_FALSE(foundation::UserDefaults::standard().string(LoginViewController::kPasswordKey))
        << "the next start does not log in again";
}
