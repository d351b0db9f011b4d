#include "components/alert/ModalAlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "tests/components/alert/AlertTestSupport.h"
#include "tests/components/alert/TurnedAlertChecks.h"

#include <gtest/gtest.h>

using alerttest::onScreen;
using graphics::Color;
using graphics::Rect;

namespace {

constexpr Color kEdit = Color::rgba(164 / 255.0, 41 / 255.0, 1);

// The alert turned with the device, on both system paths: before 8.0 the window stays portrait
// and the controllers' views turn inside it, from 8.0 the screen and the windows turn.
class ModalAlertViewTurnTest : public alerttest::AlertTest,
                               public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        AlertTest::SetUp();
        ui::Device::currentDevice().setSystemVersion(GetParam());
        // As the app's lists: a screen in a navigation stack that the window's root presents, with
        // a button at its far corner.
        screen = ui::ViewController::create();
        stack = ui::NavigationController::create(screen);
        host->presentViewController(stack, false, nullptr);
        runFor(0.5);
        const Rect bounds = screen->view()->bounds();
        row = ui::Button::create({bounds.maxX() - 90, bounds.maxY() - 40, 80, 30});
        row->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleTopMargin);
        row->addAction(ui::ControlEvents::TouchUpInside, [this](ui::Control&) { ++rowTaps; });
        screen->view()->addSubview(row);
    }

    void TearDown() override
    {
        turn(ui::DeviceOrientation::Portrait);
        screen.reset();
        stack.reset();
        row.reset();
        AlertTest::TearDown();
    }

    // As the automation turns the device.
    void turn(ui::DeviceOrientation orientation)
    {
        ui::Device::currentDevice().setOrientation(orientation);
        runFor(1);
    }

    // The finished list's number dialog (with more fields on request), shown on the screen.
    std::shared_ptr<ModalAlertView> showNumberDialog(int fields = 1)
    {
        auto alert = ModalAlertView::create();
        for (int i = 0; i < fields; ++i)
            alert->addTextField(std::string("请输入新的申请编号"))->setText("F100");
        alert->addButton("确定", [] {});
        alert->addButton("取消", [] {});
        alert->showEdit(screen, "修改单号", "任务 F100 的新申请编号", std::nullopt, 0);
        runFor(0.6);
        return alert;
    }

    // Where a view lies in the screen's view, as the interface stands.
    double topInScreen(const ui::View& view) const
    {
        return view.convertRectToView(view.bounds(), screen->view().get()).minY();
    }

    // Whole, drawn and in the middle; the screen under it is dimmed and takes no tap.
    void expectUsable(ModalAlertView& alert)
    {
        alerttest::expectUsable(
            alerttest::controlsOf(alert), stack->navigationBar().get(), *screen->view(), kEdit);
        const Rect card
            = alert.contentView()->convertRectToView(alert.contentView()->bounds(), screen->view().get());
        EXPECT_NEAR(card.midX(), screen->view()->bounds().midX(), 1e-6);
        ui::Application::shared().tap(onScreen(*row).center());
        EXPECT_EQ(rowTaps, 0) << "the screen under the alert took a tap";
    }

    // A tap where "取消" is drawn closes the alert.
    void cancel(ModalAlertView& alert)
    {
        auto dismissed = countDismissals(alert);
        ui::Application::shared().tap(onScreen(*alert.buttons().back()).center());
        EXPECT_EQ(*dismissed, 1);
        runFor(0.5);
        EXPECT_FALSE(mivo::test::PixelProbe::screen().boundingBox(kEdit)) << "still drawn";
    }

    std::shared_ptr<ui::ViewController> screen;
    std::shared_ptr<ui::NavigationController> stack;
    std::shared_ptr<ui::Button> row;
    int rowTaps {0};
};

} // namespace

TEST_P(ModalAlertViewTurnTest, OpenedTurnedItLiesInTheMiddleOfTheTurnedScreen)
{
    for (auto orientation : {ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::LandscapeRight}) {
        SCOPED_TRACE(int(orientation));
        turn(orientation);
        ASSERT_GT(screen->view()->bounds().width(), screen->view()->bounds().height());
        auto alert = showNumberDialog();
        expectUsable(*alert);
        cancel(*alert);
    }
}

TEST_P(ModalAlertViewTurnTest, AShownAlertFollowsTheTurnsBothWays)
{
    auto alert = showNumberDialog();
    const double upright = topInScreen(*alert->contentView());
    // A quarter turn, half a turn, and back upright.
    turn(ui::DeviceOrientation::LandscapeLeft);
    expectUsable(*alert);
    turn(ui::DeviceOrientation::LandscapeRight);
    expectUsable(*alert);
    turn(ui::DeviceOrientation::Portrait);
    EXPECT_EQ(topInScreen(*alert->contentView()), upright);
    cancel(*alert);
}

TEST_P(ModalAlertViewTurnTest, TheKeyboardLiftStaysThroughTurns)
{
    auto alert = showNumberDialog();
    auto field = alert->inputs()[0];
    const double upright = topInScreen(*field);
    ui::Application::shared().tap(onScreen(*field).center());
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    runFor(0.3);
    EXPECT_NEAR(topInScreen(*field), upright - 120, 1e-6);

    turn(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_TRUE(alert->keyboardIsVisible());
    const double lifted = topInScreen(*field);
    expectUsable(*alert);
    // Down by the same lift when the keyboard goes, and up again when it comes back.
    field->resignFirstResponder();
    runFor(0.3);
    EXPECT_NEAR(topInScreen(*field), lifted + 120, 1e-6);
    ui::Application::shared().tap(onScreen(*field).center());
    runFor(0.3);
    EXPECT_NEAR(topInScreen(*field), lifted, 1e-6);

    turn(ui::DeviceOrientation::Portrait);
    EXPECT_NEAR(topInScreen(*field), upright - 120, 1e-6);
    field->resignFirstResponder();
    runFor(0.3);
    EXPECT_NEAR(topInScreen(*field), upright, 1e-6);
    cancel(*alert);
}

TEST_P(ModalAlertViewTurnTest, InAFlatScreenTheKeyboardLiftsTheFirstFieldOnlyToTheTop)
{
    turn(ui::DeviceOrientation::LandscapeRight);
    auto alert = showNumberDialog(2);
    const double resting = topInScreen(*alert->inputs()[0]);
    ASSERT_LT(resting, 120) << "the whole lift would not take the first field off the screen";
    ui::Application::shared().tap(onScreen(*alert->inputs()[1]).center());
    runFor(0.3);
    EXPECT_NEAR(topInScreen(*alert->inputs()[0]), 0, 1e-6);
    expectUsable(*alert);
    alert->inputs()[1]->resignFirstResponder();
    runFor(0.3);
    EXPECT_NEAR(topInScreen(*alert->inputs()[0]), resting, 1e-6);
    cancel(*alert);
}

TEST_P(ModalAlertViewTurnTest, InItsOwnWindowItTurnsWithTheScreenKeepingItsLift)
{
    auto alert = ModalAlertView::createWithNewWindow();
    auto field = alert->addTextField(std::string("请输入新的申请编号"));
    alert->addButton("确定", [] {});
    alert->addButton("取消", [] {});
    alert->showEdit("修改单号", "任务 F100 的新申请编号", std::nullopt, 0);
    runFor(0.6);
    ui::Application::shared().tap(onScreen(*field).center());
    runFor(0.3);
    for (auto orientation : {ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::LandscapeRight}) {
        SCOPED_TRACE(int(orientation));
        turn(orientation);
        // The interface: the alert's view, turned in the portrait window before 8.0.
        const Rect interface = alert->view()->bounds();
        ASSERT_GT(interface.width(), interface.height());
        EXPECT_NEAR(alert->contentView()->frame().midX(), interface.midX(), 1e-6);
        // Lifted: the window's middle lies below the view's by the whole lift, for which a
        // screen's height leaves room.
        const auto middle = alert->view()->convertPointFromView(window->bounds().center(), window.get());
        EXPECT_NEAR(middle.x, interface.midX(), 1e-6);
        EXPECT_NEAR(middle.y - interface.midY(), 120, 1e-6);
        alerttest::expectUsable(alerttest::controlsOf(*alert), nullptr, *window, kEdit);
    }
    field->resignFirstResponder();
    runFor(0.3);
    cancel(*alert);
    EXPECT_EQ(ui::Application::shared().keyWindow(), window);
}

INSTANTIATE_TEST_SUITE_P(SystemVersions, ModalAlertViewTurnTest, ::testing::Values("7.1", "8.0"));
