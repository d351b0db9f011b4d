#include "platform/ui/Control.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"

#include <vector>

namespace {

using graphics::Point;
using ui::ControlEvents;

// A control that toggles a value when a touch ends inside it, as a switch does.
class ToggleControl final : public ui::Control {
public:
    using Control::Control;
    bool value = false;
    bool trackingSeenAtEnd = true;
    int begins = 0, continues = 0, ends = 0, cancels = 0;

    bool beginTracking(const ui::Touch& touch, const ui::Event* event) override
    {
        ++begins;
        return Control::beginTracking(touch, event);
    }
    bool continueTracking(const ui::Touch& touch, const ui::Event* event) override
    {
        ++continues;
        return Control::continueTracking(touch, event);
    }
    void endTracking(const ui::Touch* touch, const ui::Event* event) override
    {
        ++ends;
        trackingSeenAtEnd = isTracking();
        Control::endTracking(touch, event);
        if (isTouchInside()) {
            value = !value;
            sendActionsForControlEvents(ControlEvents::ValueChanged);
        }
    }
    void cancelTracking(const ui::Event* event) override
    {
        ++cancels;
        Control::cancelTracking(event);
    }
};

class ControlTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        ui::Keyboard::shared().reset();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
        control = std::make_shared<ToggleControl>(graphics::Rect {100, 100, 80, 40});
        window->addSubview(control);
        for (auto event : {ControlEvents::TouchDown, ControlEvents::TouchUpInside,
                 ControlEvents::TouchUpOutside, ControlEvents::TouchCancel, ControlEvents::ValueChanged,
                 ControlEvents::TouchDragExit, ControlEvents::TouchDragEnter}) {
            control->addAction(event, [this, event](ui::Control&) { events.push_back(event); });
        }
    }
    void TearDown() override
    {
        ui::Application::shared().resetForTesting();
        ManualClockTest::TearDown();
    }
    int count(ControlEvents event) const { return int(std::count(events.begin(), events.end(), event)); }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ToggleControl> control;
    std::vector<ControlEvents> events;
};

TEST_F(ControlTest, TouchUpInsideAfterTrackingWithHighlight)
{
    auto& app = ui::Application::shared();
    auto touch = app.touchDown({140, 120});
    ASSERT_TRUE(touch);
    EXPECT_TRUE(control->isTracking());
    EXPECT_TRUE(control->isHighlighted());
    EXPECT_EQ(count(ControlEvents::TouchDown), 1);
    app.touchMoved(touch, {150, 125});
    EXPECT_TRUE(control->isHighlighted());
    app.touchUp(touch, {150, 125});
    EXPECT_FALSE(control->isTracking());
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_EQ(count(ControlEvents::TouchUpInside), 1);
    EXPECT_EQ(count(ControlEvents::TouchUpOutside), 0);
    EXPECT_EQ(count(ControlEvents::ValueChanged), 1);
    EXPECT_TRUE(control->value);
    EXPECT_EQ(control->begins, 1);
    EXPECT_EQ(control->continues, 1);
    EXPECT_EQ(control->ends, 1);
    // The end hook runs after tracking stopped.
    EXPECT_FALSE(control->trackingSeenAtEnd);
}

TEST_F(ControlTest, DragFarOutsideEndsOutsideWithoutValueChange)
{
    auto& app = ui::Application::shared();
    auto touch = app.touchDown({140, 120});
    app.touchMoved(touch, {140, 300});
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_TRUE(control->isTracking());
    EXPECT_EQ(count(ControlEvents::TouchDragExit), 1);
    app.touchMoved(touch, {140, 130});
    EXPECT_TRUE(control->isHighlighted());
    EXPECT_EQ(count(ControlEvents::TouchDragEnter), 1);
    app.touchMoved(touch, {400, 400});
    app.touchUp(touch, {400, 400});
    EXPECT_EQ(count(ControlEvents::TouchUpOutside), 1);
    EXPECT_EQ(count(ControlEvents::TouchUpInside), 0);
    EXPECT_EQ(count(ControlEvents::ValueChanged), 0);
    EXPECT_FALSE(control->value);
}

TEST_F(ControlTest, NearMissWithinTheMarginStillCountsInside)
{
    auto& app = ui::Application::shared();
    auto touch = app.touchDown({140, 120});
    // 40 points below the bottom edge: inside the platform's 70-point slop.
    app.touchMoved(touch, {140, 180});
    EXPECT_TRUE(control->isHighlighted());
    app.touchUp(touch, {140, 180});
    EXPECT_EQ(count(ControlEvents::TouchUpInside), 1);
}

TEST_F(ControlTest, CancelledTouchSendsCancelAndNoUp)
{
    auto& app = ui::Application::shared();
    auto touch = app.touchDown({140, 120});
    app.touchCancelled(touch);
    EXPECT_FALSE(control->isTracking());
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_EQ(control->cancels, 1);
    EXPECT_EQ(count(ControlEvents::TouchCancel), 1);
    EXPECT_EQ(count(ControlEvents::TouchUpInside) + count(ControlEvents::TouchUpOutside), 0);
}

TEST_F(ControlTest, DisabledControlTakesNoTouches)
{
    control->setEnabled(false);
    EXPECT_TRUE(any(control->state() & ui::ControlState::Disabled));
    ui::Application::shared().tap({140, 120});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(window->hitTest({140, 120}, nullptr), window);
}

TEST_F(ControlTest, TargetsAndRemoval)
{
    int targetRuns = 0, blockRuns = 0;
    auto target = std::make_shared<int>(0);
    control->addTarget(
        target, ControlEvents::TouchUpInside | ControlEvents::TouchDown, [&](ui::Control& sender) {
            EXPECT_EQ(&sender, control.get());
            ++targetRuns;
        });
    auto id = control->addAction(ControlEvents::TouchUpInside, [&](ui::Control&) { ++blockRuns; });
    control->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_EQ(targetRuns, 1);
    EXPECT_EQ(blockRuns, 1);

    // Removing one event keeps the target's other event.
    control->removeTarget(target.get(), ControlEvents::TouchUpInside);
    control->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_EQ(targetRuns, 1);
    control->sendActionsForControlEvents(ControlEvents::TouchDown);
    EXPECT_EQ(targetRuns, 2);

    EXPECT_EQ(blockRuns, 2);
    control->removeAction(id);
    control->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_EQ(blockRuns, 2);

    // A target that went away is not called.
    target.reset();
    control->sendActionsForControlEvents(ControlEvents::TouchDown);
    EXPECT_EQ(targetRuns, 2);
}

TEST_F(ControlTest, ActionMayRemoveOtherActionsAndItsControl)
{
    int second = 0;
    ui::Control::ActionId secondId = 0;
    control->addAction(ControlEvents::EditingChanged, [&](ui::Control& sender) {
        sender.removeAction(secondId);
        sender.removeFromSuperview();
    });
    secondId = control->addAction(ControlEvents::EditingChanged, [&](ui::Control&) { ++second; });
    std::weak_ptr<ToggleControl> weak = control;
    control.reset();
    weak.lock()->sendActionsForControlEvents(ControlEvents::EditingChanged);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(weak.expired());
}

TEST_F(ControlTest, SuperviewSingleTapDoesNotSwallowTheControlsTap)
{
    int superTaps = 0;
    auto tap = std::make_shared<ui::TapGestureRecognizer>([&](ui::GestureRecognizer& r) {
        if (r.state() == ui::GestureState::Recognized)
            ++superTaps;
    });
    window->addGestureRecognizer(tap);
    ui::Application::shared().tap({140, 120});
    runFor(0.5);
    EXPECT_EQ(count(ControlEvents::TouchUpInside), 1);
    EXPECT_EQ(superTaps, 0);
    // Beside the control the recogniser works as before.
    ui::Application::shared().tap({20, 400});
    runFor(0.5);
    EXPECT_EQ(superTaps, 1);
}

TEST_F(ControlTest, SendActionGivesThatControlAsSender)
{
    auto plain = ui::Control::create();
    ui::Control* seen = nullptr;
    plain->sendAction([&](ui::Control& sender) { seen = &sender; });
    EXPECT_EQ(seen, plain.get());
}

} // namespace
