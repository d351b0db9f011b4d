#include "platform/ui/Control.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "tests/platform/ui/UiTest.h"

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

class ControlTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ui::Keyboard::shared().reset();
        window = keyWindow();
        control = std::make_shared<ToggleControl>(graphics::Rect {100, 100, 80, 40});
        window->addSubview(control);
        for (auto event : {ControlEvents::TouchDown, ControlEvents::TouchUpInside,
                 ControlEvents::TouchUpOutside, ControlEvents::TouchCancel, ControlEvents::ValueChanged,
                 ControlEvents::TouchDragExit, ControlEvents::TouchDragEnter}) {
            control->addAction(event, [this, event](ui::Control&) { events.push_back(event); });
        }
    }
    int count(ControlEvents event) const { return int(std::count(events.begin(), events.end(), event)); }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ToggleControl> control;
    std::vector<ControlEvents> events;
};

TEST_F(ControlTest, TrackingHighlightsAndEndsInsideOutsideOrCancelled)
{
    using E = ControlEvents;
    struct Move {
        Point to;
        bool highlighted;
    };
    struct Case {
        const char* name;
        std::vector<Move> moves;
        bool cancel;
        std::vector<ControlEvents> expected;
    };
    const Case cases[] = {
        {"up inside", {{{150, 125}, true}}, false, {E::TouchDown, E::ValueChanged, E::TouchUpInside}},
        // 40 points below the bottom edge: inside the platform's 70-point slop.
        {"near miss", {{{140, 180}, true}}, false, {E::TouchDown, E::ValueChanged, E::TouchUpInside}},
        {"out, back and far out", {{{140, 300}, false}, {{140, 130}, true}, {{400, 400}, false}}, false,
            {E::TouchDown, E::TouchDragExit, E::TouchDragEnter, E::TouchDragExit, E::TouchUpOutside}},
        {"cancelled", {}, true, {E::TouchDown, E::TouchCancel}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        control->value = false;
        control->begins = control->continues = control->ends = control->cancels = 0;
        control->trackingSeenAtEnd = true;
        auto touch = app().touchDown({140, 120});
        ASSERT_TRUE(touch);
        EXPECT_TRUE(control->isTracking());
        EXPECT_TRUE(control->isHighlighted());
        for (const auto& move : c.moves) {
            app().touchMoved(touch, move.to);
            EXPECT_TRUE(control->isTracking());
            EXPECT_EQ(control->isHighlighted(), move.highlighted);
        }
        if (c.cancel)
            app().touchCancelled(touch);
        else
            app().touchUp(touch, c.moves.back().to);
        EXPECT_FALSE(control->isTracking());
        EXPECT_FALSE(control->isHighlighted());
        EXPECT_EQ(events, c.expected);
        EXPECT_EQ(control->value, count(E::ValueChanged) == 1);
        EXPECT_EQ(control->begins, 1);
        EXPECT_EQ(control->continues, int(c.moves.size()));
        EXPECT_EQ(control->ends, c.cancel ? 0 : 1);
        EXPECT_EQ(control->cancels, c.cancel ? 1 : 0);
        // The end hook runs after tracking stopped.
        EXPECT_EQ(control->trackingSeenAtEnd, c.cancel);
    }
}

TEST_F(ControlTest, DisabledControlTakesNoTouches)
{
    control->setEnabled(false);
    EXPECT_TRUE(any(control->state() & ui::ControlState::Disabled));
    app().tap({140, 120});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(window->hitTest({140, 120}, nullptr), window);
}

TEST_F(ControlTest, TargetsRemovalAndSenders)
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

    auto plain = ui::Control::create();
    ui::Control* seen = nullptr;
    plain->sendAction([&](ui::Control& sender) { seen = &sender; });
    EXPECT_EQ(seen, plain.get());
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
    app().tap({140, 120});
    runFor(0.5);
    EXPECT_EQ(count(ControlEvents::TouchUpInside), 1);
    EXPECT_EQ(superTaps, 0);
    // Beside the control the recogniser works as before.
    app().tap({20, 400});
    runFor(0.5);
    EXPECT_EQ(superTaps, 1);
}

} // namespace
