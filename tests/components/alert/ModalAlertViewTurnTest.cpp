#include "components/alert/ModalAlertView.h"
#include "platform/foundation/Format.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "tests/components/alert/AlertTestSupport.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

using graphics::Color;
using graphics::Point;
using graphics::Rect;

namespace {

constexpr Color kEdit = Color::rgba(164 / 255.0, 41 / 255.0, 1);

std::string text(Rect r)
{
    return foundation::format("(%g, %g, %g, %g)", r.minX(), r.minY(), r.width(), r.height());
}

std::string text(Point p)
{
    return foundation::format("(%g, %g)", p.x, p.y);
}

// The alert turned with the device, on both system paths: before 8.0 the window stays portrait
// and the controllers' views turn inside it, from 8.0 the screen and the windows turn.
class ModalAlertViewTurnTest : public alerttest::AlertTest,
                               public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        AlertTest::SetUp();
        ui::Device::currentDevice().setSystemVersion(GetParam());
        // As the app's lists: a screen in a navigation stack that the window's root presents.
        screen = ui::ViewController::create();
        stack = ui::NavigationController::create(screen);
        host->presentViewController(stack, false, nullptr);
        runFor(0.5);
        row = ui::Button::create({0, 0, 80, 30});
        row->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleTopMargin);
        row->addAction(ui::ControlEvents::TouchUpInside, [this](ui::Control&) { ++rowTaps; });
        const Rect bounds = screen->view()->bounds();
        row->setFrame({bounds.maxX() - 90, bounds.maxY() - 40, 80, 30});
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

    // The finished list's number dialog: one number field, confirm and cancel.
    std::shared_ptr<ModalAlertView> numberDialog(int fields = 1)
    {
        auto alert = ModalAlertView::create();
        for (int i = 0; i < fields; ++i)
            alert->addTextField(std::string("请输入新的申请编号"))->setText("F100");
        alert->addButton("确定", [] {});
        alert->addButton("取消", [] {});
        return alert;
    }

    // Where a view lies on the screen (the portrait screen before 8.0).
    static Rect onScreen(const ui::View& view) { return view.convertRectToView(view.bounds(), nullptr); }
    // Where it lies in the screen's view, as the interface stands.
    Rect inScreen(const ui::View& view) const
    {
        return view.convertRectToView(view.bounds(), screen->view().get());
    }

    // The field and both buttons lie whole on the screen, below the navigation bar, drawn where
    // they are; the rest of the screen is dimmed and takes no tap.
    void expectUsable(ModalAlertView& alert)
    {
        // Turned coordinates come out of a rotation: a hundredth of a point either way is the same place.
        const Rect shown = ui::Screen::mainScreen().bounds().insetBy(-0.01, -0.01);
        const Rect bar = onScreen(*stack->navigationBar()).insetBy(0.01, 0.01);
        auto probe = mivo::test::PixelProbe::screen();
        for (const auto& field : alert.inputs()) {
            const Rect place = onScreen(*field);
            EXPECT_TRUE(shown.contains(place)) << "field at " << text(place);
            EXPECT_FALSE(bar.intersects(place)) << "field under the bar at " << text(place);
            EXPECT_TRUE(probe.covers(place.center(), Color::white())) << "field not drawn at " << text(place);
        }
        for (const auto& button : alert.buttons()) {
            const Rect place = onScreen(*button);
            EXPECT_TRUE(shown.contains(place)) << "button at " << text(place);
            EXPECT_FALSE(bar.intersects(place)) << "button under the bar at " << text(place);
            EXPECT_TRUE(probe.covers(place.center(), kEdit)) << "button not drawn at " << text(place);
        }
        // The backdrop covers the whole screen below the bar, to its far corners.
        const Rect below = onScreen(*screen->view());
        for (Point corner :
            {Point {below.minX() + 3, below.minY() + 3}, Point {below.maxX() - 3, below.maxY() - 3},
                Point {below.maxX() - 3, below.minY() + 3}, Point {below.minX() + 3, below.maxY() - 3}}) {
            const Color seen = probe.colorAt(corner);
            EXPECT_LT(seen.r + seen.g + seen.b, 1.2) << "not dimmed at " << text(corner);
        }
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
        EXPECT_FALSE(alert.view()->superview());
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
        const Rect area = screen->view()->bounds();
        ASSERT_GT(area.width(), area.height());
        auto alert = numberDialog();
        alert->showEdit(screen, "修改单号", "任务 F100 的新申请编号", std::nullopt, 0);
        runFor(0.6);
        EXPECT_NEAR(inScreen(*alert->contentView()).midX(), area.midX(), 1e-6);
        EXPECT_EQ(inScreen(*alert->backgroundView()), area);
        expectUsable(*alert);
        cancel(*alert);
    }
}

TEST_P(ModalAlertViewTurnTest, AShownAlertFollowsTheTurnBothWays)
{
    auto alert = numberDialog();
    alert->showEdit(screen, "修改单号", "任务 F100 的新申请编号", std::nullopt, 0);
    runFor(0.6);
    const Rect upright = inScreen(*alert->contentView());

    turn(ui::DeviceOrientation::LandscapeLeft);
    const Rect area = screen->view()->bounds();
    EXPECT_NEAR(inScreen(*alert->contentView()).midX(), area.midX(), 1e-6);
    expectUsable(*alert);
    // Half a turn, and back upright.
    turn(ui::DeviceOrientation::LandscapeRight);
    EXPECT_NEAR(inScreen(*alert->contentView()).midX(), area.midX(), 1e-6);
    expectUsable(*alert);
    turn(ui::DeviceOrientation::Portrait);
    EXPECT_EQ(inScreen(*alert->contentView()), upright);
    turn(ui::DeviceOrientation::LandscapeRight);
    cancel(*alert);
}

TEST_P(ModalAlertViewTurnTest, TheKeyboardLiftStaysThroughTurns)
{
    auto alert = numberDialog();
    alert->showEdit(screen, "修改单号", "任务 F100 的新申请编号", std::nullopt, 0);
    runFor(0.6);
    const double upright = inScreen(*alert->inputs()[0]).minY();
    ui::Application::shared().tap(onScreen(*alert->inputs()[0]).center());
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    runFor(0.3);
    EXPECT_NEAR(inScreen(*alert->inputs()[0]).minY(), upright - 120, 1e-6);

    turn(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_TRUE(alert->keyboardIsVisible());
    const double lifted = inScreen(*alert->inputs()[0]).minY();
    expectUsable(*alert);
    // Down by the same lift when the keyboard goes, and up again when it comes back.
    alert->inputs()[0]->resignFirstResponder();
    runFor(0.3);
    EXPECT_NEAR(inScreen(*alert->inputs()[0]).minY(), lifted + 120, 1e-6);
    ui::Application::shared().tap(onScreen(*alert->inputs()[0]).center());
    runFor(0.3);
    EXPECT_NEAR(inScreen(*alert->inputs()[0]).minY(), lifted, 1e-6);

    turn(ui::DeviceOrientation::Portrait);
    EXPECT_NEAR(inScreen(*alert->inputs()[0]).minY(), upright - 120, 1e-6);
    alert->inputs()[0]->resignFirstResponder();
    runFor(0.3);
    EXPECT_NEAR(inScreen(*alert->inputs()[0]).minY(), upright, 1e-6);
    turn(ui::DeviceOrientation::LandscapeLeft);
    cancel(*alert);
}

TEST_P(ModalAlertViewTurnTest, InAFlatScreenTheKeyboardLiftsTheFirstFieldOnlyToTheTop)
{
    turn(ui::DeviceOrientation::LandscapeRight);
    auto alert = numberDialog(2);
    alert->showEdit(screen, "修改单号", "任务 F100 的新申请编号", std::nullopt, 0);
    runFor(0.6);
    const double resting = inScreen(*alert->inputs()[0]).minY();
    ASSERT_LT(resting, 120) << "the whole lift would not take the first field off the screen";
    ui::Application::shared().tap(onScreen(*alert->inputs()[1]).center());
    runFor(0.3);
    EXPECT_NEAR(inScreen(*alert->inputs()[0]).minY(), 0, 1e-6);
    expectUsable(*alert);
    alert->inputs()[1]->resignFirstResponder();
    runFor(0.3);
    EXPECT_NEAR(inScreen(*alert->inputs()[0]).minY(), resting, 1e-6);
    cancel(*alert);
}

TEST_P(ModalAlertViewTurnTest, InItsOwnWindowItTurnsWithTheScreen)
{
    auto alert = ModalAlertView::createWithNewWindow();
    auto field = alert->addTextField(std::string("请输入新的申请编号"));
    alert->addButton("确定", [] {});
    alert->addButton("取消", [] {});
    alert->showEdit("修改单号", "任务 F100 的新申请编号", std::nullopt, 0);
    runFor(0.6);
    ui::Application::shared().tap(onScreen(*field).center());
    runFor(0.3);
    ASSERT_TRUE(alert->keyboardIsVisible());

    for (auto orientation : {ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::LandscapeRight}) {
        SCOPED_TRACE(int(orientation));
        turn(orientation);
        // The interface's own frame for the alert: its view, turned in the portrait window before 8.0.
        const Rect interface = alert->view()->bounds();
        ASSERT_GT(interface.width(), interface.height());
        const Rect card = alert->contentView()->frame();
        EXPECT_NEAR(card.midX(), interface.midX(), 1e-6);
        // Still lifted: the window's middle lies below the view's by the lift.
        const Point middle = alert->view()->convertPointFromView(window->bounds().center(), window.get());
        EXPECT_NEAR(middle.x, interface.midX(), 1e-6);
        // A screen's height leaves room for the whole lift.
        EXPECT_NEAR(middle.y - interface.midY(), 120, 1e-6);
        const Rect shown = ui::Screen::mainScreen().bounds().insetBy(-0.01, -0.01);
        auto probe = mivo::test::PixelProbe::screen();
        for (const auto& button : alert->buttons()) {
            const Rect place = onScreen(*button);
            EXPECT_TRUE(shown.contains(place)) << "button at " << text(place);
            EXPECT_TRUE(probe.covers(place.center(), kEdit)) << "button not drawn at " << text(place);
        }
        EXPECT_TRUE(shown.contains(onScreen(*field)));
        EXPECT_TRUE(onScreen(*alert->backgroundView()).contains(ui::Screen::mainScreen().bounds()));
    }
    field->resignFirstResponder();
    runFor(0.3);
    auto dismissed = countDismissals(*alert);
    ui::Application::shared().tap(onScreen(*alert->buttons().back()).center());
    EXPECT_EQ(*dismissed, 1);
    runFor(0.5);
    EXPECT_EQ(ui::Application::shared().keyWindow(), window);
}

INSTANTIATE_TEST_SUITE_P(SystemVersions, ModalAlertViewTurnTest, ::testing::Values("7.1", "8.0"));
