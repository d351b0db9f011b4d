#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"

#include <vector>

namespace {

using graphics::Point;
using graphics::Rect;
using ui::AnimationOptions;
using ui::View;

class AnimationTest : public mivo::test::UiTest {
protected:
    std::shared_ptr<View> view = View::create({0, 0, 100, 100});
    std::vector<bool> completions;
    View::Completion record()
    {
        return [this](bool finished) { completions.push_back(finished); };
    }
    Point shownCenter() const { return view->layer().presentation().position; }
    std::function<void()> moveTo(Point to)
    {
        return [this, to] { view->setCenter(to); };
    }
    void slide(double duration, Point to, View::Completion done = nullptr,
        AnimationOptions options = AnimationOptions::CurveLinear)
    {
        View::animate(duration, 0, options, moveTo(to), std::move(done));
    }
};

TEST_F(AnimationTest, ModelValueIsTheEndValueAtOnceAndTheScreenFollows)
{
    slide(0.3, {150, 50}, record());
    EXPECT_EQ(view->center(), (Point {150, 50}));
    EXPECT_EQ(view->frame(), (Rect {100, 0, 100, 100}));
    EXPECT_EQ(shownCenter(), (Point {50, 50}));

    runFor(0.15);
    EXPECT_NEAR(shownCenter().x, 100, 1e-6);
    EXPECT_TRUE(completions.empty());

    runFor(0.15);
    EXPECT_EQ(shownCenter(), (Point {150, 50}));
    ASSERT_EQ(completions, std::vector<bool> {true});
    runFor(1);
    EXPECT_EQ(completions.size(), 1u);
    EXPECT_FALSE(view->layer().hasAnimations());
}

TEST_F(AnimationTest, DefaultCurveIsEaseInOutAndFrameAnimatesBoundsAndCentre)
{
    View::animate(1, [&] { view->setFrame({0, 0, 300, 100}); });
    runFor(0.25);
    const auto& shown = view->layer().presentation();
    double eased = ui::TimingFunction::easeInEaseOut().valueAt(0.25);
    EXPECT_NEAR(shown.bounds.size.width, 100 + 200 * eased, 1e-6);
    EXPECT_NEAR(shown.position.x, 50 + 100 * eased, 1e-6);
    EXPECT_LT(eased, 0.25);
}

TEST_F(AnimationTest, CompletionOfABlockWithoutChangesRunsAtTheNextTurn)
{
    View::animate(
        0.3, [] {}, record());
    EXPECT_TRUE(completions.empty());
    turn();
    EXPECT_EQ(completions, std::vector<bool> {true});

    completions.clear();
    View::animate(
        0.3, [&] { view->setAlpha(1); }, record()); // same value: nothing animates
    turn();
    EXPECT_EQ(completions, std::vector<bool> {true});
    EXPECT_EQ(now(), 0);
}

TEST_F(AnimationTest, ReplacedAnimationCompletesUnfinishedAndTheNewOneFinishes)
{
    std::vector<bool> first, second;
    slide(1, {150, 50}, [&](bool f) { first.push_back(f); });
    runFor(0.5);
    slide(1, {250, 50}, [&](bool f) { second.push_back(f); });
    turn();
    EXPECT_EQ(first, std::vector<bool> {false});
    // Without BeginFromCurrentState the new animation starts from the old model value.
    EXPECT_NEAR(shownCenter().x, 150, 1e-6);
    runFor(1);
    EXPECT_EQ(first.size(), 1u);
    EXPECT_EQ(second, std::vector<bool> {true});
}

TEST_F(AnimationTest, SettingAPropertyTwiceInOneBlockStillFinishes)
{
    View::animate(
        0.3,
        [&] {
            view->setAlpha(0.5);
            view->setAlpha(0);
        },
        record());
    runFor(1);
    EXPECT_EQ(completions, std::vector<bool> {true});
    EXPECT_EQ(view->layer().presentation().opacity, 0);
}

TEST_F(AnimationTest, BeginFromCurrentStateStartsFromThePresentation)
{
    slide(1, {150, 50});
    runFor(0.5);
    ASSERT_NEAR(shownCenter().x, 100, 1e-6);
    slide(1, {0, 50}, nullptr, AnimationOptions::BeginFromCurrentState | AnimationOptions::CurveLinear);
    EXPECT_NEAR(shownCenter().x, 100, 1e-6);
    runFor(0.5);
    EXPECT_NEAR(shownCenter().x, 50, 1e-6);
}

TEST_F(AnimationTest, RemovingAllAnimationsCompletesUnfinished)
{
    View::animate(
        1, [&] { view->setAlpha(0); }, record());
    runFor(0.2);
    view->layer().removeAllAnimations();
    EXPECT_EQ(view->layer().presentation().opacity, 0);
    turn();
    EXPECT_EQ(completions, std::vector<bool> {false});
}

TEST_F(AnimationTest, CompletionWaitsForEveryAnimationOfTheBlock)
{
    auto other = View::create({0, 0, 10, 10});
    View::animate(
        0.5, 0.2, AnimationOptions::CurveLinear,
        [&] {
            view->setAlpha(0);
            other->layer().setCornerRadius(5);
        },
        record());
    // During the delay the screen still shows the start values.
    runFor(0.1);
    EXPECT_EQ(view->layer().presentation().opacity, 1);
    EXPECT_EQ(view->alpha(), 0);
    runFor(0.35);
    EXPECT_NEAR(other->layer().presentation().cornerRadius, 2.5, 1e-6);
    EXPECT_TRUE(completions.empty());
    runFor(0.25);
    EXPECT_EQ(completions, std::vector<bool> {true});
}

TEST_F(AnimationTest, NestedBlocksKeepTheirOwnTiming)
{
    std::vector<std::string> order;
    View::animate(
        1,
        [&] {
            view->setAlpha(0.5);
            View::animate(0.2, moveTo({0, 0}), [&](bool) { order.push_back("inner"); });
        },
        [&](bool) { order.push_back("outer"); });
    runFor(0.25);
    EXPECT_EQ(order, std::vector<std::string> {"inner"});
    EXPECT_EQ(shownCenter(), (Point {0, 0}));
    runFor(0.8);
    EXPECT_EQ(order, (std::vector<std::string> {"inner", "outer"}));
}

TEST_F(AnimationTest, SpringsSettleAtTheDurationAndOvershootOnlyWhenUnderdamped)
{
    for (auto [damping, velocity] : {std::pair {0.6, 0.5}, {1.0, 0.0}}) {
        SCOPED_TRACE(damping);
        completions.clear();
        view->setCenter({50, -300});
        View::animateWithSpring(0.5, 0, damping, velocity, AnimationOptions::None, moveTo({50, 0}), record());
        double highest = -1e9, previous = -300;
        bool monotonic = true;
        for (int i = 0; i < 30; ++i) {
            runFor(0.5 / 30);
            highest = std::max(highest, shownCenter().y);
            monotonic = monotonic && shownCenter().y >= previous - 1e-9;
            previous = shownCenter().y;
        }
        if (damping < 1) {
            EXPECT_GT(highest, 1.0); // passes the target
        } else {
            EXPECT_TRUE(monotonic);
            EXPECT_LE(highest, 1e-9);
        }
        EXPECT_EQ(shownCenter().y, 0);
        EXPECT_EQ(completions, std::vector<bool> {true});
    }
}

TEST_F(AnimationTest, NonPositiveDurationDisabledAnimationsAndPerformWithoutAnimationApplyAtOnce)
{
    slide(-0.4, {0, 300}, record());
    EXPECT_EQ(shownCenter(), (Point {0, 300}));
    EXPECT_FALSE(view->layer().hasAnimations());
    turn();
    EXPECT_EQ(completions, std::vector<bool> {true});

    View::animate(1, [&] { View::performWithoutAnimation([&] { view->setAlpha(0.2); }); });
    EXPECT_EQ(view->layer().presentation().opacity, 0.2);

    View::setAnimationsEnabled(false);
    slide(1, {7, 7}, record(), AnimationOptions::None);
    View::setAnimationsEnabled(true);
    EXPECT_EQ(shownCenter(), (Point {7, 7}));
    turn();
    EXPECT_EQ(completions, (std::vector<bool> {true, true}));
}

TEST_F(AnimationTest, AnimatedViewsTakeTouchesOnlyWithAllowUserInteraction)
{
    auto root = View::create({0, 0, 320, 568});
    root->addSubview(view);
    View::animate(1, [&] { view->setAlpha(0.5); });
    EXPECT_EQ(root->hitTest({50, 50}, nullptr), root);
    runFor(1);
    EXPECT_EQ(root->hitTest({50, 50}, nullptr), view);

    View::animate(
        1, 0, AnimationOptions::AllowUserInteraction, [&] { view->setAlpha(1); }, nullptr);
    EXPECT_EQ(root->hitTest({50, 50}, nullptr), view);
}

TEST_F(AnimationTest, ChangedGeometryAutoresizesSubviewsInTheSameAnimation)
{
    auto child = View::create({0, 0, 100, 20});
    child->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    view->addSubview(child);
    auto widen = [&] { view->setFrame({0, 0, 300, 100}); };
    View::animate(1, 0, AnimationOptions::CurveLinear, widen, nullptr);
    EXPECT_EQ(child->frame().size.width, 300);
    runFor(0.5);
    EXPECT_NEAR(child->layer().presentation().bounds.size.width, 200, 1e-6);
}

TEST_F(AnimationTest, ResettingDropsCompletionsThatOwnTheirViews)
{
    auto owned = View::create({0, 0, 10, 10});
    auto other = View::create({0, 0, 10, 10});
    bool ran = false;
    View::animate(
        1,
        [&] {
            owned->setAlpha(0);
            other->setAlpha(0);
        },
        [owned, other, &ran](bool) { ran = true; });
    owned.reset();
    other.reset();
    ui::Application::shared().resetForTesting();
    runFor(2);
    EXPECT_FALSE(ran);
}

} // namespace
