#include "platform/ui/TimingFunction.h"
#include "platform/ui/AnimationValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using ui::SpringCurve;
using ui::TimingFunction;

// The y of the Bezier curve at the x closest to `x`, by dense sampling of the parameter.
double sampled(const TimingFunction& f, double x)
{
    auto p1 = f.controlPoint1(), p2 = f.controlPoint2();
    auto bezier = [](double s, double a, double b) {
        double u = 1 - s;
        return 3 * u * u * s * a + 3 * u * s * s * b + s * s * s;
    };
    double bestS = 0, bestError = 1e9;
    for (int i = 0; i <= 200000; ++i) {
        double s = i / 200000.0;
        double error = std::abs(bezier(s, p1.x, p2.x) - x);
        if (error < bestError) {
            bestError = error;
            bestS = s;
        }
    }
    return bezier(bestS, p1.y, p2.y);
}

TEST(TimingFunctionTest, CubicBezierCurvesMatchTheirGeometry)
{
    const TimingFunction sheet = TimingFunction::controlPoints(0.215, 0.61, 0.355, 1.0);
    for (double x : {0.05, 0.1, 0.3, 0.5, 0.77, 0.95}) {
        EXPECT_NEAR(sheet.valueAt(x), sampled(sheet, x), 1e-4) << x;
        EXPECT_NEAR(TimingFunction::easeIn().valueAt(x), sampled(TimingFunction::easeIn(), x), 1e-4) << x;
    }
    EXPECT_NEAR(TimingFunction::easeInEaseOut().valueAt(0.5), 0.5, 1e-9);
    EXPECT_LT(TimingFunction::easeIn().valueAt(0.5), 0.5);
    EXPECT_GT(TimingFunction::easeOut().valueAt(0.5), 0.5);
    EXPECT_EQ(TimingFunction::linear().valueAt(0.3), 0.3);
    EXPECT_EQ(sheet.valueAt(-1), 0);
    EXPECT_EQ(sheet.valueAt(2), 1);
}

TEST(TimingFunctionTest, SpringsStartAtRestReachTheTargetAndHonourTheInitialVelocity)
{
    SpringCurve bouncy(0.5, 0.3, 0);
    EXPECT_EQ(bouncy.valueAt(0), 0);
    EXPECT_EQ(bouncy.valueAt(0.5), 1);
    double peak = 0;
    for (int i = 1; i < 100; ++i)
        peak = std::max(peak, bouncy.valueAt(0.005 * i));
    EXPECT_GT(peak, 1.2);

    // A push towards the target gets there sooner; away from it, later.
    SpringCurve pushed(1, 1, 5), still(1, 1, 0), pulled(1, 1, -5);
    EXPECT_GT(pushed.valueAt(0.05), still.valueAt(0.05));
    EXPECT_LT(pulled.valueAt(0.05), 0);

    SpringCurve overdamped(1, 3, 0);
    EXPECT_GT(overdamped.valueAt(0.5), 0);
    EXPECT_LT(overdamped.valueAt(0.99), 1.001);
}

TEST(TimingFunctionTest, TransformsInterpolateThroughRotationNotThroughZero)
{
    auto from = graphics::AffineTransform::identity();
    auto to = graphics::AffineTransform::makeRotation(std::numbers::pi / 2);
    auto expectNear = [](const graphics::AffineTransform& t, const graphics::AffineTransform& e) {
        for (auto [got, want] :
            {std::pair {t.a, e.a}, {t.b, e.b}, {t.c, e.c}, {t.d, e.d}, {t.tx, e.tx}, {t.ty, e.ty}})
            EXPECT_NEAR(got, want, 1e-9);
    };
    expectNear(ui::interpolate(from, to, 0.5), graphics::AffineTransform::makeRotation(std::numbers::pi / 4));
    expectNear(ui::interpolate(graphics::AffineTransform::makeScale(0.4, 0.4),
                   graphics::AffineTransform::makeTranslation(10, 20), 0.5),
        {0.7, 0, 0, 0.7, 5, 10});
}

} // namespace
