#include "components/banner/DropdownBanner.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayerState.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/components/TurningScreenTest.h"
#include "tests/support/ManualClockTest.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

namespace {

class RecordingDelegate final : public DropdownBannerDelegate {
public:
    bool dropdownAlertWasTapped(DropdownBanner&) override
    {
        ++asked;
        return answer;
    }
    void dropdownAlertWasDismissed() override { ++dismissed; }

    bool answer {true};
    int asked {0};
    int dismissed {0};
};

class DropdownBannerTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
    }
    void TearDown() override
    {
        runFor(10);
        ui::Application::shared().resetForTesting();
        window.reset();
        ManualClockTest::TearDown();
    }
    static double shownY(const std::shared_ptr<DropdownBanner>& banner)
    {
        return banner->layer().presentation().frame().minY();
    }
    // Runs to `time` seconds after the start of the test.
    void runTo(double time) { runFor(time - now()); }

    std::shared_ptr<ui::Window> window;
};

TEST_F(DropdownBannerTest, SlidesInHoldsForItsTimeAndSlidesOut)
{
    const struct {
        int64_t time;
        double hideStarts;
    } table[] = {{DropdownBanner::kUseDefaultTime, 3.3}, {0, 0.3}, {5, 5.3}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.time);
        double start = now();
        auto banner = DropdownBanner::title("提醒", "短消息", row.time);
        ASSERT_EQ(banner->superview(), window);
        EXPECT_TRUE(banner->isShowing());
        EXPECT_EQ(banner->frame().minY(), 0);
        EXPECT_EQ(banner->frame().width(), 320);
        runTo(start + 0.15);
        EXPECT_GT(shownY(banner), -90);
        EXPECT_LT(shownY(banner), 0);
        runTo(start + row.hideStarts - 0.01);
        EXPECT_EQ(banner->frame().minY(), 0);
        if (row.hideStarts > 0.3) {
            EXPECT_NEAR(shownY(banner), 0, 1e-9);
        }
        runTo(start + row.hideStarts + 0.01);
        EXPECT_EQ(banner->frame().minY(), -90);
        EXPECT_TRUE(banner->isShowing());
        runTo(start + row.hideStarts + 0.31);
        EXPECT_EQ(banner->superview(), nullptr);
        EXPECT_FALSE(banner->isShowing());
    }
}

TEST_F(DropdownBannerTest, TitleMovesByTheMessage)
{
    const struct {
        const char* message;
        double titleY, titleHeight;
    } table[] = {
        {"短消息", 25, 30},
        {"新增的任务单号已经存在,请确认单号的唯一性!新增的任务单号已经存在,请确认单号的唯一性!", 20, 30},
        {"", 30, 50},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.message);
        auto banner = DropdownBanner::title("提醒", std::string(row.message));
        EXPECT_EQ(banner->titleLabel()->frame().minY(), row.titleY);
        EXPECT_EQ(banner->titleLabel()->frame().height(), row.titleHeight);
        EXPECT_EQ(banner->titleLabel()->frame().width(), 300);
        EXPECT_EQ(banner->messageLabel()->frame(), (graphics::Rect {10, 43, 300, 40}));
        EXPECT_EQ(banner->messageLabel()->numberOfLines(), 2);
    }
    auto none = DropdownBanner::title("提醒");
    EXPECT_EQ(none->titleLabel()->frame().minY(), 30);
    EXPECT_EQ(none->titleLabel()->frame().height(), 50);
}

TEST_F(DropdownBannerTest, ColoursAndDefaultTitle)
{
    auto plain = DropdownBanner::show();
    EXPECT_EQ(plain->titleLabel()->text(), "Default Text Here");
    EXPECT_EQ(DropdownBanner::defaultTitle(), "Default Text Here");
    EXPECT_EQ(*plain->backgroundColor(), graphics::Color::rgba(0.98, 0.66, 0.2, 1));
    EXPECT_EQ(plain->titleLabel()->textColor(), graphics::Color::white());
    auto coloured = DropdownBanner::title("t", "m", graphics::Color::black(), graphics::Color::gray());
    EXPECT_EQ(*coloured->backgroundColor(), graphics::Color::black());
    EXPECT_EQ(coloured->titleLabel()->textColor(), graphics::Color::gray());
    EXPECT_EQ(coloured->messageLabel()->textColor(), graphics::Color::gray());
    EXPECT_EQ(coloured->titleLabel()->font().pointSize(), 14);
}

TEST_F(DropdownBannerTest, ATapHidesAtOnceAndTheLaterTimedEndDoesNotReportAgain)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto banner = DropdownBanner::title("提醒", "消息", delegate);
    runFor(1);
    ui::Application::shared().tap({160, 45});
    EXPECT_EQ(banner->frame().minY(), -90);
    EXPECT_EQ(delegate->asked, 0);
    runFor(0.31);
    EXPECT_EQ(banner->superview(), nullptr);
    EXPECT_EQ(delegate->dismissed, 1);
    runFor(5);
    EXPECT_EQ(delegate->asked, 0);
    EXPECT_EQ(delegate->dismissed, 1);
}

TEST_F(DropdownBannerTest, ADelegateAnsweringNoKeepsTheBannerUntilATap)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->answer = false;
    auto banner = DropdownBanner::title("提醒", 1, delegate);
    runFor(2);
    EXPECT_EQ(delegate->asked, 1);
    EXPECT_EQ(banner->superview(), window);
    EXPECT_TRUE(banner->isShowing());
    ui::Application::shared().tap({160, 45});
    runFor(0.31);
    EXPECT_EQ(banner->superview(), nullptr);
    EXPECT_EQ(delegate->dismissed, 1);
}

TEST_F(DropdownBannerTest, OverlappingBannersLieOnOneAnotherAndDismissAllHidesEvery)
{
    auto first = DropdownBanner::title("一", "消息");
    auto second = DropdownBanner::title("二", "消息", 10);
    auto third = DropdownBanner::title("三", std::string());
    runFor(0.5);
    for (auto& banner : {first, second, third})
        EXPECT_EQ(banner->frame(), (graphics::Rect {0, 0, 320, 90}));
    EXPECT_EQ(window->subviews().back(), third);
    DropdownBanner::dismissAllAlert();
    runFor(0.31);
    for (auto& banner : {first, second, third}) {
        EXPECT_EQ(banner->superview(), nullptr);
        EXPECT_FALSE(banner->isShowing());
    }
}

TEST_F(DropdownBannerTest, GoesToTheFrontmostVisibleNormalWindowOrNowhere)
{
    auto alertWindow = ui::Window::create(ui::Screen::mainScreen().bounds());
    alertWindow->setWindowLevel(ui::Window::kLevelAlert);
    alertWindow->setHidden(false);
    auto hiddenNormal = ui::Window::create(ui::Screen::mainScreen().bounds());
    hiddenNormal->setHidden(true);
    auto banner = DropdownBanner::title("提醒");
    EXPECT_EQ(banner->superview(), window);

    window->setHidden(true);
    auto nowhere = DropdownBanner::title("提醒");
    EXPECT_EQ(nowhere->superview(), nullptr);
    EXPECT_TRUE(nowhere->isShowing());
}

// The banner with the phone turned, on both system paths.
class DropdownBannerTurnTest : public componenttest::TurningScreenTest {
protected:
    static constexpr graphics::Color kBlue = graphics::Color::rgba(0.1, 0.3, 0.9, 1);
};

TEST_P(DropdownBannerTurnTest, OpenedTurnedItDropsFromTheInterfaceTopAcrossItAndATapWhereItIsDrawnHidesIt)
{
    for (auto orientation : {ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::LandscapeRight}) {
        SCOPED_TRACE(int(orientation));
        turn(orientation);
        const graphics::Size size = area();
        ASSERT_GT(size.width, size.height);
        auto delegate = std::make_shared<RecordingDelegate>();
        auto banner = DropdownBanner::title("提醒", "新增的任务单号已经存在", kBlue, std::nullopt, delegate);
        EXPECT_EQ(banner->titleLabel()->frame().width(), size.width - 20);

        // Half-way down: the lower part of it shows under the interface's top edge, all across.
        runFor(0.15);
        auto drawn = drawnInInterface(kBlue);
        ASSERT_TRUE(drawn);
        EXPECT_TRUE(mivo::test::boxNear(drawn, {0, 0, size.width, drawn->height()}));
        EXPECT_GT(drawn->height(), 10);
        EXPECT_LT(drawn->height(), 80);

        runFor(0.35);
        EXPECT_TRUE(
            mivo::test::boxNear(drawnInInterface(kBlue), {0, 0, size.width, DropdownBanner::kHeight}));

        // A tap where it is drawn sends it back up over the same edge.
        ui::Application::shared().tap(onScreen({size.width * 0.8, 45, 0, 0}).origin);
        runFor(0.15);
        drawn = drawnInInterface(kBlue);
        ASSERT_TRUE(drawn);
        EXPECT_TRUE(mivo::test::boxNear(drawn, {0, 0, size.width, drawn->height()}));
        EXPECT_LT(drawn->height(), 80);
        runFor(0.2);
        EXPECT_FALSE(drawnInInterface(kBlue));
        EXPECT_EQ(banner->superview(), nullptr);
        EXPECT_EQ(delegate->dismissed, 1);
        EXPECT_EQ(delegate->asked, 0);
    }
}

TEST_P(DropdownBannerTurnTest, TurnedBackUprightItHangsFromTheWindowTopAsBefore)
{
    turn(ui::DeviceOrientation::LandscapeLeft);
    turn(ui::DeviceOrientation::Portrait);
    auto banner = DropdownBanner::title("提醒", "消息", kBlue, std::nullopt);
    runFor(0.5);
    EXPECT_EQ(banner->frame(), (graphics::Rect {0, 0, 320, 90}));
    EXPECT_TRUE(banner->transform().isIdentity());
    EXPECT_TRUE(mivo::test::boxNear(mivo::test::PixelProbe::screen().boundingBox(kBlue), {0, 0, 320, 90}));
}

INSTANTIATE_TEST_SUITE_P(SystemVersions, DropdownBannerTurnTest, ::testing::Values("7.1", "8.0"));

} // namespace
