#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "tests/platform/ui/UiTest.h"

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

using graphics::Point;
using ui::GestureRecognizer;
using ui::GestureState;

// Counts the touches that reach it.
class TouchView final : public ui::View {
public:
    using View::View;
    std::vector<std::string> log;
    void touchesBegan(const ui::TouchSet&, const ui::Event*) override { log.push_back("began"); }
    void touchesMoved(const ui::TouchSet&, const ui::Event*) override { log.push_back("moved"); }
    void touchesEnded(const ui::TouchSet&, const ui::Event*) override { log.push_back("ended"); }
    void touchesCancelled(const ui::TouchSet&, const ui::Event*) override { log.push_back("cancelled"); }
};

class GestureRecognizerTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
        view = std::make_shared<TouchView>(graphics::Rect {0, 100, 320, 300});
        window->addSubview(view);
    }
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<TouchView> view;
    std::vector<std::string> events;
};

TEST_F(GestureRecognizerTest, TapRecognisesAndTakesTheTouchFromItsView)
{
    Point where;
    auto tap = ui::TapGestureRecognizer::create([&](GestureRecognizer& r) {
        events.push_back("tap");
        where = r.locationInView(view.get());
    });
    view->addGestureRecognizer(tap);
    tapAt({40, 150});
    EXPECT_EQ(events, Strings {"tap"});
    EXPECT_EQ(where, (Point {40, 50}));
    EXPECT_EQ(view->log, (Strings {"began", "cancelled"}));
    EXPECT_EQ(tap->state(), GestureState::Possible); // reset for the next gesture

    tap->setCancelsTouchesInView(false);
    view->log.clear();
    tapAt({40, 150});
    EXPECT_EQ(view->log, (Strings {"began", "ended"}));

    // A finger that wanders off is no tap.
    auto touch = app().touchDown({40, 150});
    app().touchMoved(touch, {140, 150});
    app().touchUp(touch, {140, 150});
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(GestureRecognizerTest, SingleTapWaitsForTheDoubleTapToFail)
{
    auto single = ui::TapGestureRecognizer::create([&](GestureRecognizer&) { events.push_back("single"); });
    auto twice = ui::TapGestureRecognizer::create([&](GestureRecognizer&) { events.push_back("double"); });
    twice->setNumberOfTapsRequired(2);
    single->requireGestureRecognizerToFail(twice);
    view->addGestureRecognizer(single);
    view->addGestureRecognizer(twice);

    tapAt({100, 200});
    EXPECT_TRUE(events.empty());
    runFor(ui::TapGestureRecognizer::kMultiTapInterval - 0.01);
    EXPECT_TRUE(events.empty());
    runFor(0.02);
    EXPECT_EQ(events, Strings {"single"});

    events.clear();
    runFor(1);
    tapAt({100, 200});
    runFor(0.1);
    tapAt({102, 201});
    EXPECT_EQ(events, Strings {"double"});
    runFor(1);
    EXPECT_EQ(events, Strings {"double"});
    EXPECT_EQ(single->state(), GestureState::Possible);
    EXPECT_EQ(twice->state(), GestureState::Possible);

    // Both work again afterwards.
    events.clear();
    tapAt({100, 200});
    runFor(1);
    EXPECT_EQ(events, Strings {"single"});
}

TEST_F(GestureRecognizerTest, LongPressBeginsAtHalfASecond)
{
    auto press = ui::LongPressGestureRecognizer::create([&](GestureRecognizer& r) {
        events.push_back(r.state() == GestureState::Began ? "began"
                : r.state() == GestureState::Ended        ? "ended"
                                                          : "other");
    });
    view->addGestureRecognizer(press);
    auto touch = app().touchDown({50, 150});
    runFor(0.49);
    EXPECT_TRUE(events.empty());
    runFor(0.01);
    EXPECT_EQ(events, Strings {"began"});
    EXPECT_EQ(view->log, (Strings {"began", "cancelled"}));
    app().touchMoved(touch, {80, 150});
    app().touchUp(touch, {80, 150});
    EXPECT_EQ(events, (Strings {"began", "other", "ended"}));

    // Moving more than 10 points before the time is up fails it.
    events.clear();
    touch = app().touchDown({50, 150});
    runFor(0.2);
    app().touchMoved(touch, {50, 161});
    runFor(1);
    app().touchUp(touch, {50, 161});
    EXPECT_TRUE(events.empty());
}

TEST_F(GestureRecognizerTest, PanReportsTranslationAndVelocity)
{
    std::vector<GestureState> states;
    auto pan = ui::PanGestureRecognizer::create([&](GestureRecognizer& r) { states.push_back(r.state()); });
    view->addGestureRecognizer(pan);
    auto touch = app().touchDown({100, 200});
    app().touchMoved(touch, {105, 200});
    EXPECT_TRUE(states.empty()); // under the 10-point threshold
    for (int i = 1; i <= 10; ++i) {
        runFor(0.01);
        app().touchMoved(touch, {100, 200.0 + 5 * i});
    }
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), GestureState::Began);
    EXPECT_EQ(pan->translationInView(view.get()), (Point {0, 50}));
    EXPECT_NEAR(pan->velocityInView(view.get()).y, 500, 1e-6);
    EXPECT_NEAR(pan->velocityInView(view.get()).x, 0, 1e-6);

    pan->setTranslation({0, 0}, view.get());
    runFor(0.01);
    app().touchMoved(touch, {110, 260});
    EXPECT_EQ(pan->translationInView(view.get()), (Point {10, 10}));
    EXPECT_EQ(pan->locationInView(view.get()), (Point {110, 160}));

    // Velocities follow the view's scale.
    auto scaled = ui::View::create({0, 0, 10, 10});
    scaled->setTransform(graphics::AffineTransform::makeScale(2, 2));
    view->addSubview(scaled);
    EXPECT_NEAR(pan->velocityInView(scaled.get()).y, pan->velocityInView(view.get()).y / 2, 1e-6);

    app().touchUp(touch, {110, 260});
    EXPECT_EQ(states.back(), GestureState::Ended);
}

TEST_F(GestureRecognizerTest, DelegateGatesTouchesAndBeginning)
{
    struct Gate final : ui::GestureRecognizerDelegate {
        bool receive = true, begin = true;
        std::optional<bool> gestureRecognizerShouldReceiveTouch(GestureRecognizer&, ui::Touch&) override
        {
            return receive;
        }
        std::optional<bool> gestureRecognizerShouldBegin(GestureRecognizer&) override { return begin; }
    };
    auto gate = std::make_shared<Gate>();
    auto tap = ui::TapGestureRecognizer::create([&](GestureRecognizer&) { events.push_back("tap"); });
    tap->setDelegate(gate);
    view->addGestureRecognizer(tap);
    gate->receive = false;
    tapAt({10, 110});
    gate->receive = true;
    gate->begin = false;
    tapAt({10, 110});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(view->log, (Strings {"began", "ended", "began", "ended"}));
    gate->begin = true;
    tapAt({10, 110});
    EXPECT_EQ(events, Strings {"tap"});

    tap->setEnabled(false);
    tapAt({10, 110});
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(GestureRecognizerTest, DelegateCanRequireAFailure)
{
    struct Waits final : ui::GestureRecognizerDelegate {
        std::shared_ptr<GestureRecognizer> other;
        std::optional<bool> gestureRecognizerShouldRequireFailureOf(
            GestureRecognizer&, GestureRecognizer& o) override
        {
            return &o == other.get();
        }
    };
    auto press = ui::LongPressGestureRecognizer::create([&](GestureRecognizer& r) {
        if (r.state() == GestureState::Began)
            events.push_back("press");
    });
    auto tap = ui::TapGestureRecognizer::create([&](GestureRecognizer&) { events.push_back("tap"); });
    auto waits = std::make_shared<Waits>();
    waits->other = press;
    tap->setDelegate(waits);
    view->addGestureRecognizer(press);
    view->addGestureRecognizer(tap);
    tapAt({10, 110});
    EXPECT_EQ(events, Strings {"tap"});

    // While a long press wins, the tap that waited for it fails.
    events.clear();
    auto touch = app().touchDown({10, 110});
    runFor(0.6);
    app().touchUp(touch, {10, 110});
    EXPECT_EQ(events, Strings {"press"});
}

TEST_F(GestureRecognizerTest, ActionsMayReleaseTheirViewAndRecogniserMidGesture)
{
    // The recognisers and views here live only in the hierarchy, which the actions take apart.
    auto child = std::make_shared<TouchView>(graphics::Rect {0, 0, 100, 100});
    view->addSubview(child);
    auto tap = ui::TapGestureRecognizer::create([&](GestureRecognizer&) {
        child->removeFromSuperview();
        child.reset();
        events.push_back("tap");
    });
    child->addGestureRecognizer(tap);
    tap.reset();
    tapAt({40, 150});
    tapAt({40, 150});
    EXPECT_EQ(events, Strings {"tap"});

    auto pan = ui::PanGestureRecognizer::create([&](GestureRecognizer& r) {
        if (r.state() == GestureState::Began) {
            view->removeFromSuperview();
            view.reset();
        }
        events.push_back("pan");
    });
    view->addGestureRecognizer(pan);
    pan.reset();
    auto touch = app().touchDown({40, 150});
    app().touchMoved(touch, {80, 150});
    app().touchMoved(touch, {120, 150});
    app().touchUp(touch, {120, 150});
    runFor(1);
    EXPECT_EQ(events, (Strings {"tap", "pan", "pan", "pan"}));
    EXPECT_EQ(window->subviews().size(), 0u);
}

TEST_F(GestureRecognizerTest, DelayedTouchesReachTheViewOnlyWhenTheRecogniserFails)
{
    auto press = ui::LongPressGestureRecognizer::create([&](GestureRecognizer& r) {
        if (r.state() == GestureState::Began)
            events.push_back("press");
    });
    press->setDelaysTouchesBegan(true);
    view->addGestureRecognizer(press);

    auto touch = app().touchDown({50, 150});
    runFor(0.1);
    EXPECT_TRUE(view->log.empty());
    app().touchUp(touch, {50, 150});
    EXPECT_EQ(view->log, (Strings {"began", "ended"}));

    view->log.clear();
    touch = app().touchDown({50, 150});
    runFor(0.6);
    app().touchMoved(touch, {55, 150});
    app().touchUp(touch, {55, 150});
    EXPECT_EQ(events, Strings {"press"});
    EXPECT_TRUE(view->log.empty());

    // Moving away fails the press at once and lets the touch through.
    touch = app().touchDown({50, 150});
    app().touchMoved(touch, {50, 200});
    EXPECT_EQ(view->log, (Strings {"began"}));
    app().touchUp(touch, {50, 200});
    EXPECT_EQ(view->log, (Strings {"began", "ended"}));
}

TEST_F(GestureRecognizerTest, AncestorsRecognisersSeeTouchesOfSubviews)
{
    auto child = std::make_shared<TouchView>(graphics::Rect {10, 10, 50, 50});
    view->addSubview(child);
    auto tap = ui::TapGestureRecognizer::create(
        [&](GestureRecognizer& r) { events.push_back(r.view() == view ? "parent tap" : "?"); });
    view->addGestureRecognizer(tap);
    tapAt({20, 120});
    EXPECT_EQ(events, Strings {"parent tap"});
    EXPECT_EQ(child->log, (Strings {"began", "cancelled"}));
    EXPECT_TRUE(view->log.empty());
}

} // namespace
