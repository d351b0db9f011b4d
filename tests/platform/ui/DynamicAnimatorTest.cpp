#include "platform/ui/DynamicAnimator.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AttachmentBehavior.h"
#include "platform/ui/DynamicItemBehavior.h"
#include "platform/ui/PushBehavior.h"
#include "platform/ui/View.h"
#include "tests/platform/ui/UiTest.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using graphics::Point;
using ui::AttachmentBehavior;
using ui::DynamicAnimator;
using ui::DynamicItemBehavior;
using ui::PushBehavior;
using ui::PushBehaviorMode;

constexpr double h = DynamicAnimator::kStep;

class DynamicAnimatorTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        reference = ui::View::create({0, 0, 320, 568});
        item = ui::View::create({50, 50, 100, 100}); // centre (100, 100)
        reference->addSubview(item);
        animator = DynamicAnimator::create(reference);
    }
    void run(double seconds) { foundation::RunLoop::main().runFor(seconds); }
    double angleOf(const ui::View& view) { return std::atan2(view.transform().b, view.transform().a); }
    std::shared_ptr<PushBehavior> push(Point direction, graphics::Offset offset = {})
    {
        auto push = PushBehavior::create({item}, PushBehaviorMode::Instantaneous);
        push->setPushDirection({direction.x, direction.y});
        push->setTargetOffsetFromCenter(offset, *item);
        return push;
    }
    std::shared_ptr<DynamicItemBehavior> makeUp(double density, double resistance, double angularResistance)
    {
        auto behavior = DynamicItemBehavior::create({item});
        behavior->setDensity(density);
        behavior->setResistance(resistance);
        behavior->setAngularResistance(angularResistance);
        return behavior;
    }

    std::shared_ptr<ui::View> reference;
    std::shared_ptr<ui::View> item;
    std::shared_ptr<DynamicAnimator> animator;
};

TEST_F(DynamicAnimatorTest, AnImpulseOfOneGivesAHundredPointItemAHundredPointsPerSecondOverItsMass)
{
    struct Case {
        double density;
        double expectedSpeed;
    } cases[] = {{1, 100}, {2, 50}, {0.5, 200}};
    for (auto c : cases) {
        SetUp();
        animator->addBehavior(makeUp(c.density, 0, 0));
        auto impulse = push({1, 0});
        animator->addBehavior(impulse);
        run(1.0);
        double t = animator->elapsedTime();
        EXPECT_NEAR(t, 1.0, h + 1e-9);
        EXPECT_NEAR(item->center().x, 100 + c.expectedSpeed * t, 1e-6) << c.density;
        EXPECT_NEAR(item->center().y, 100, 1e-9);
        EXPECT_FALSE(impulse->isActive()) << "an instantaneous push is spent after one step";
        EXPECT_NEAR(animator->linearVelocityForItem(*item).x, c.expectedSpeed, 1e-9);
        TearDown();
    }
    SetUp();
}

TEST_F(DynamicAnimatorTest, ResistanceDampsTheSpeedGeometricallyPerStep)
{
    const double r = 2, v0 = 100;
    animator->addBehavior(makeUp(1, r, 0));
    animator->addBehavior(push({1, 0}));
    run(0.5);
    int n = int(std::lround(animator->elapsedTime() / h));
    double q = 1 / (1 + h * r);
    double travelled = h * v0 * q * (1 - std::pow(q, n)) / (1 - q);
    EXPECT_NEAR(item->center().x - 100, travelled, 1e-6);
    EXPECT_NEAR(animator->linearVelocityForItem(*item).x, v0 * std::pow(q, n), 1e-9);
}

TEST_F(DynamicAnimatorTest, APushOffTheCentreSetsTheItemSpinning)
{
    // Torque impulse = r x J = (0, 50) x (100, 0) = -5000; inertia = m (w^2 + h^2) / 12 = 10000 / 6.
    animator->addBehavior(makeUp(1, 0, 0));
    animator->addBehavior(push({1, 0}, {0, 50}));
    run(0.5);
    double t = animator->elapsedTime();
    EXPECT_NEAR(animator->angularVelocityForItem(*item), -3, 1e-9);
    EXPECT_NEAR(angleOf(*item), -3 * t, 1e-6);
    EXPECT_NEAR(item->center().x, 100 + 100 * t, 1e-6);

    // An item that may not turn takes the same push without spinning.
    SetUp();
    auto rigid = makeUp(1, 0, 0);
    rigid->setAllowsRotation(false);
    animator->addBehavior(rigid);
    animator->addBehavior(push({1, 0}, {0, 50}));
    run(0.5);
    EXPECT_EQ(angleOf(*item), 0);
    EXPECT_NEAR(item->center().x, 100 + 100 * animator->elapsedTime(), 1e-6);
}

TEST_F(DynamicAnimatorTest, ARigidAttachmentMakesTheHeldPointFollowItsAnchor)
{
    auto attachment = AttachmentBehavior::create(item, {0, 0}, {100, 100});
    EXPECT_EQ(attachment->length(), 0);
    animator->addBehavior(attachment);
    attachment->setAnchorPoint({150, 120});
    run(h);
    EXPECT_NEAR(item->center().x, 150, 1e-9);
    EXPECT_NEAR(item->center().y, 120, 1e-9);
    EXPECT_EQ(angleOf(*item), 0);
}

TEST_F(DynamicAnimatorTest, AnItemHeldBelowItsCentreSwingsAndResistanceSlowsTheTurn)
{
    auto swingAfterDrag = [&](double angularResistance) {
        SetUp();
        animator->addBehavior(makeUp(1, 0, angularResistance));
        auto attachment = AttachmentBehavior::create(item, {0, 40}, {100, 140});
        animator->addBehavior(attachment);
        double worst = 0;
        for (int frame = 1; frame <= 30; ++frame) {
            attachment->setAnchorPoint({100 + frame * 2.0, 140});
            run(1.0 / 60);
            // The held point is the centre plus the offset turned with the item.
            double a = angleOf(*item);
            Point held {item->center().x - 40 * std::sin(a), item->center().y + 40 * std::cos(a)};
            worst = std::max(worst,
                std::hypot(held.x - attachment->anchorPoint().x, held.y - attachment->anchorPoint().y));
        }
        EXPECT_LT(worst, 0.5) << "the held point stays under the finger";
        return angleOf(*item);
    };
    double free = swingAfterDrag(0);
    double resisted = swingAfterDrag(4);
    EXPECT_LT(free, -0.01) << "pulled right from below, the top lags behind";
    EXPECT_LT(resisted, 0);
    EXPECT_LT(std::abs(resisted), std::abs(free));
}

TEST_F(DynamicAnimatorTest, ASpringOscillatesAtItsFrequencyAndCriticalDampingDoesNotOvershoot)
{
    auto firstCrossing = [&](double damping, double& farthestPast) {
        SetUp();
        auto spring = AttachmentBehavior::create(item, {0, 0}, {150, 100});
        spring->setLength(0);
        spring->setFrequency(1);
        spring->setDamping(damping);
        animator->addBehavior(spring);
        double crossing = -1;
        farthestPast = 0;
        for (int frame = 0; frame < 120; ++frame) {
            run(1.0 / 60);
            double x = item->center().x;
            if (crossing < 0 && x >= 150)
                crossing = animator->elapsedTime();
            farthestPast = std::max(farthestPast, x - 150);
        }
        return crossing;
    };
    double overshoot = 0;
    // Undamped: reaches the anchor after a quarter of the 1 s period.
    EXPECT_NEAR(firstCrossing(0, overshoot), 0.25, 0.02);
    EXPECT_GT(overshoot, 30);
    firstCrossing(1, overshoot);
    EXPECT_LT(overshoot, 0.5);
    EXPECT_NEAR(item->center().x, 150, 1);
}

TEST_F(DynamicAnimatorTest, ARodKeepsItsLengthWhileTheItemCircles)
{
    auto rod = AttachmentBehavior::create(item, {0, 0}, {100, 300});
    EXPECT_NEAR(rod->length(), 200, 1e-9);
    animator->addBehavior(rod);
    animator->addBehavior(push({1, 0}));
    run(1.0);
    Point c = item->center();
    EXPECT_NEAR(std::hypot(c.x - 100, c.y - 300), 200, 0.5);
    EXPECT_GT(c.x, 150) << "it went round, not straight on";
}

TEST_F(DynamicAnimatorTest, ActionsRunEveryStepAndMayEmptyOrReleaseTheAnimator)
{
    auto impulse = push({10, 0});
    int steps = 0;
    impulse->setAction([&] {
        ++steps;
        if (animator->itemsInRect(reference->bounds()).empty())
            animator->removeAllBehaviors();
    });
    animator->addBehavior(makeUp(1, 0, 0));
    animator->addBehavior(impulse);
    EXPECT_TRUE(animator->isRunning());
    run(0.1);
    EXPECT_EQ(steps, int(std::lround(animator->elapsedTime() / h)));
    // 1000 points a second: the item leaves the 320-point wide reference view after about 0.27 s.
    run(1.0);
    EXPECT_FALSE(animator->isRunning());
    EXPECT_TRUE(animator->behaviors().empty());
    EXPECT_GT(item->center().x, 320 + 50);
    EXPECT_LT(item->center().x, 320 + 50 + 10 * 100 * 2 * h + 1e-6);

    SetUp();
    auto releasing = push({1, 0});
    releasing->setAction([&] { animator.reset(); });
    animator->addBehavior(releasing);
    run(0.1); // the animator goes in the middle of its step without harm
    EXPECT_FALSE(animator);
}

TEST_F(DynamicAnimatorTest, ItemsInRectUseTheTurnedItemsBounds)
{
    auto behavior = makeUp(1, 0, 0);
    animator->addBehavior(behavior);
    EXPECT_EQ(animator->itemsInRect({149, 0, 10, 10}).size(), 0u);
    item->setTransform(graphics::AffineTransform::makeRotation(M_PI / 4));
    animator->updateItemUsingCurrentState(*item);
    // Turned by 45 degrees, its box reaches 100 + 50 * sqrt(2) = 170.7 to the right.
    EXPECT_EQ(animator->itemsInRect({165, 95, 4, 10}).size(), 1u);
    animator->removeBehavior(behavior);
    EXPECT_TRUE(animator->itemsInRect(reference->bounds()).empty());
    EXPECT_FALSE(animator->isRunning());
}

} // namespace
