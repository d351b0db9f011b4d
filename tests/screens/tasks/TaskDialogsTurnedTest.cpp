#include "tests/app/ShellFixture.h"

#include "platform/host/Automation.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/NavigationBar.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/FinishedTaskListViewController.h"
#include "screens/tasks/NewTaskViewController.h"
#include "tests/components/alert/TurnedAlertChecks.h"

#include <filesystem>

using alerttest::onScreen;
using graphics::Color;
using mivo::test::ShellFixture;

namespace {

constexpr Color kEdit = Color::rgba(164 / 255.0, 41 / 255.0, 1);
constexpr Color kError = Color::rgba(193 / 255.0, 39 / 255.0, 45 / 255.0);

// The task screens' alerts with the phone turned, on both system paths: the finished list's number
// dialog and the create screen's error alert, opened turned and turned while open.
class TaskDialogsTurnedTest : public ShellFixture, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        ui::Device::currentDevice().setSystemVersion(GetParam());
        m_sliding = logIn("arvel");
        ASSERT_TRUE(m_sliding);
    }

    void TearDown() override
    {
        turn("portrait");
        m_sliding.reset();
        ShellFixture::TearDown();
    }

    static void step(double seconds = 0.5) { foundation::RunLoop::main().runFor(seconds); }

    bool automate(const foundation::Map& command)
    {
        auto reply = foundation::Value::fromJson(m_automation.handle(foundation::Value(command).toJson()));
        return reply && (*reply)["ok"].asBool();
    }

    void turn(const char* orientation)
    {
        ASSERT_TRUE(automate({{"cmd", "rotate"}, {"orientation", orientation}}));
        step(1);
    }

    // A finished task with the server, and its list once merged.
    std::shared_ptr<FinishedTaskListViewController> finishedList(const std::string& applyNO)
    {
        s_server->post("/Services/CarTask.ashx?method=add&time=1",
            {{"userId", "1001"}, {"applyNo", "AV" + applyNO}, {"stockArea", "北京仓"},
                {"undertakeCompany", "人保"}, {"secondhandPrice", "90000"}, {"carSource", "1"},
                {"regDate", "2020-01-01"}, {"loantype", "常规产品"}});
        auto carId = s_server->carIdOf("AV" + applyNO);
        if (!carId || !s_server->finish(*carId, "85000"))
            return nullptr;
        auto list
            = std::dynamic_pointer_cast<FinishedTaskListViewController>(open(ShellSegues::kToFinishedList));
        if (list)
            runUntil([&] { return !list->isRequestRunning(); });
        return list;
    }

    std::shared_ptr<ui::ViewController> open(const char* segue)
    {
        auto stack = homeStack(m_sliding);
        stack->topViewController()->performSegueWithIdentifier(segue);
        step();
        return stack->topViewController();
    }

    static std::vector<std::shared_ptr<ModalAlertView>> alertsOf(const ui::ViewController& screen)
    {
        std::vector<std::shared_ptr<ModalAlertView>> alerts;
        for (const auto& child : screen.childViewControllers())
            if (auto alert = std::dynamic_pointer_cast<ModalAlertView>(child))
                alerts.push_back(alert);
        return alerts;
    }

    // The number dialog, checked usable; then the row's own button under the backdrop is tapped.
    void expectDialogUsable(FinishedTaskListViewController& list, const std::string& applyNO)
    {
        auto alerts = alertsOf(list);
        ASSERT_EQ(alerts.size(), 1u);
        auto parts = alerttest::controlsOf(*alerts[0]);
        // The whole card unless the pad has lifted it (its title then goes under the bar).
        if (!ui::Keyboard::shared().isVisible())
            parts.push_back(alerts[0]->contentView());
        alerttest::expectUsable(parts, homeStack(m_sliding)->navigationBar().get(), *list.view(), kEdit);
        auto row = host::Automation::findView("修改单号:" + applyNO, true);
        ASSERT_TRUE(row);
        ui::Application::shared().tap(onScreen(*row).center());
        step(0.6);
        EXPECT_EQ(alertsOf(list).size(), 1u) << "the list under the dialog opened a second one";
    }

    // A tap where the last button is drawn closes the alert.
    void closeByLastButton(const ui::ViewController& screen)
    {
        auto alerts = alertsOf(screen);
        ASSERT_EQ(alerts.size(), 1u);
        ui::Application::shared().tap(onScreen(*alerts[0]->buttons().back()).center());
        step(0.6);
        EXPECT_TRUE(alertsOf(screen).empty()) << "still open";
        EXPECT_FALSE(ui::Keyboard::shared().isVisible());
    }

    host::Automation m_automation;
    std::shared_ptr<SlidingViewController> m_sliding;
};

} // namespace

TEST_P(TaskDialogsTurnedTest, TheNumberDialogOpenedTurnedKeepsItsFieldAndButtonsOnScreen)
{
    // A number long enough to take two lines of the dialog's text, as the walkthrough's.
    const std::string applyNO = "WT1796630047";
    auto list = finishedList(applyNO);
    ASSERT_TRUE(list);
    turn("landscapeLeft");
    ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "修改单号:" + applyNO}}));
    step(0.6);
    expectDialogUsable(*list, applyNO);
    auto field = alertsOf(*list).at(0)->inputs().at(0);
    auto inList = [&] { return field->convertRectToView(field->bounds(), list->view().get()).minY(); };
    const double resting = inList();

    ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "新申请编号"}}));
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    ASSERT_TRUE(automate({{"cmd", "backspace"}, {"count", 20}}));
    ASSERT_TRUE(automate({{"cmd", "type"}, {"text", applyNO.substr(2) + "1"}}));
    step(0.5);
    EXPECT_NEAR(inList(), resting - 120, 1e-6) << "the whole lift leaves the field on screen";
    expectDialogUsable(*list, applyNO);
    // Return closes the pad, and the dialog comes back down whole.
    ASSERT_TRUE(automate({{"cmd", "return"}}));
    step(0.5);
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
    EXPECT_NEAR(inList(), resting, 1e-6);
    if (std::string(GetParam()) == "7.1") {
        // What scripts/screenshots.sh puts beside the upright dialog in the README.
        auto folder = std::filesystem::path(MIVO_BINARY_DIR) / "screenshots";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(
            automate({{"cmd", "screenshot"}, {"path", (folder / "number-dialog-landscape.png").string()}}));
    }
    closeByLastButton(*list);
}

TEST_P(TaskDialogsTurnedTest, TheNumberDialogFollowsTheTurnsWithAndWithoutThePad)
{
    auto list = finishedList("F200");
    ASSERT_TRUE(list);
    ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "修改单号:F200"}}));
    step(0.6);
    turn("landscapeRight");
    expectDialogUsable(*list, "F200");
    ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "新申请编号"}}));
    step(0.5);
    turn("landscapeLeft");
    expectDialogUsable(*list, "F200");
    turn("portrait");
    expectDialogUsable(*list, "F200");
    turn("landscapeLeft");
    expectDialogUsable(*list, "F200");
    closeByLastButton(*list);
}

TEST_P(TaskDialogsTurnedTest, TheCreateScreensErrorAlertIsWholeTurnedEitherWay)
{
    auto form = open(ShellSegues::kToNewTask);
    ASSERT_TRUE(std::dynamic_pointer_cast<NewTaskViewController>(form));
    for (bool openedTurned : {true, false}) {
        SCOPED_TRACE(openedTurned ? "opened turned" : "turned while open");
        if (openedTurned) {
            turn("landscapeRight");
            // The form does not scroll to its button in landscape: the button's action.
            std::dynamic_pointer_cast<NewTaskViewController>(form)->submit();
        } else {
            ASSERT_TRUE(automate({{"cmd", "tap"}, {"text", "开始拍摄"}}));
        }
        step(0.6);
        auto alerts = alertsOf(*form);
        ASSERT_EQ(alerts.size(), 1u);
        if (!openedTurned)
            turn("landscapeLeft");
        // The whole card, its button with it.
        std::vector<std::shared_ptr<ui::View>> parts {alerts[0]->contentView()};
        parts.insert(parts.end(), alerts[0]->buttons().begin(), alerts[0]->buttons().end());
        alerttest::expectUsable(parts, homeStack(m_sliding)->navigationBar().get(), *form->view(), kError);
        closeByLastButton(*form);
        turn("portrait");
    }
}

INSTANTIATE_TEST_SUITE_P(SystemVersions, TaskDialogsTurnedTest, ::testing::Values("7.1", "8.0"));
