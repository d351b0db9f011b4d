#include "platform/graphics/Geometry.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace graphics;

namespace {

void expectNear(Point a, Point b)
{
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
}

} // namespace

TEST(Geometry, RectAccessorsStandardiseNegativeSizes)
{
    Rect r {10, 20, -4, -6};
    EXPECT_EQ(r.minX(), 6);
    EXPECT_EQ(r.maxX(), 10);
    EXPECT_EQ(r.minY(), 14);
    EXPECT_EQ(r.maxY(), 20);
    EXPECT_EQ(r.width(), 4);
    EXPECT_EQ(r.height(), 6);
    EXPECT_EQ(r.standardized(), (Rect {6, 14, 4, 6}));
    static_assert(Rect(0, 0, 10, 20).center() == Point {5, 10});
}

TEST(Geometry, ContainsIsHalfOpenAndEmptyRectsContainNothing)
{
    Rect r {0, 0, 10, 10};
    EXPECT_TRUE(r.contains(Point {0, 0}));
    EXPECT_TRUE(r.contains(Point {9.99, 9.99}));
    EXPECT_FALSE(r.contains(Point {10, 5}));
    EXPECT_FALSE(r.contains(Point {5, 10}));
    EXPECT_FALSE((Rect {0, 0, 0, 10}).contains(Point {0, 0}));
    EXPECT_TRUE(r.contains(Rect {2, 2, 8, 8}));
    EXPECT_TRUE(r.contains(r));
    EXPECT_FALSE(r.contains(Rect {2, 2, 9, 8}));
    EXPECT_FALSE(r.contains(Rect::null()));
}

TEST(Geometry, IntersectionOfDisjointRectsIsNull)
{
    Rect a {0, 0, 10, 10};
    EXPECT_EQ(a.intersection(Rect {5, 5, 10, 10}), (Rect {5, 5, 5, 5}));
    Rect disjoint = a.intersection(Rect {20, 0, 5, 5});
    EXPECT_TRUE(disjoint.isNull());
    EXPECT_TRUE(disjoint.isEmpty());
    EXPECT_FALSE(a.intersects(Rect {20, 0, 5, 5}));
    // Touching edges share no area: a zero-width rect, not null, and no intersection.
    Rect touching = a.intersection(Rect {10, 0, 5, 5});
    EXPECT_FALSE(touching.isNull());
    EXPECT_EQ(touching, (Rect {10, 0, 0, 5}));
    EXPECT_FALSE(a.intersects(Rect {10, 0, 5, 5}));
    EXPECT_TRUE(a.intersection(Rect::null()).isNull());
}

TEST(Geometry, UnionAbsorbsNullButCountsZeroSizedRects)
{
    Rect a {10, 10, 10, 10};
    EXPECT_EQ(a.unionWith(Rect::null()), a);
    EXPECT_EQ(Rect::null().unionWith(a), a);
    EXPECT_TRUE(Rect::null().unionWith(Rect::null()).isNull());
    EXPECT_EQ(a.unionWith(Rect {0, 0, 0, 0}), (Rect {0, 0, 20, 20}));
    EXPECT_EQ(a.unionWith(Rect {30, 15, 5, 30}), (Rect {10, 10, 25, 35}));
}

TEST(Geometry, InsetOffsetAndIntegral)
{
    Rect r {0, 0, 100, 50};
    EXPECT_EQ(r.insetBy(10, 5), (Rect {10, 5, 80, 40}));
    EXPECT_EQ(r.insetBy(-10, -5), (Rect {-10, -5, 120, 60}));
    EXPECT_TRUE(r.insetBy(60, 0).isNull());
    EXPECT_EQ(r.insetBy(EdgeInsets {1, 2, 3, 4}), (Rect {2, 1, 94, 46}));
    EXPECT_EQ(r.offsetBy(5, -5), (Rect {5, -5, 100, 50}));
    EXPECT_TRUE(Rect::null().offsetBy(1, 1).isNull());
    EXPECT_EQ((Rect {0.5, 1.2, 10.1, 3.9}).integral(), (Rect {0, 1, 11, 5}));
    EXPECT_EQ(lerp(Rect {0, 0, 10, 10}, Rect {10, 20, 30, 40}, 0.5), (Rect {5, 10, 20, 25}));
}

TEST(AffineTransform, ConcatenationAppliesThisThenOtherAndRotationIsClockwise)
{
    auto scale = AffineTransform::makeScale(2, 3);
    auto move = AffineTransform::makeTranslation(10, 20);
    expectNear(scale.concatenated(move).apply(Point {1, 1}), Point {12, 23});
    expectNear(move.concatenated(scale).apply(Point {1, 1}), Point {22, 63});
    // translated() puts the translation first, like the platform's Translate.
    expectNear(scale.translated(10, 20).apply(Point {1, 1}), Point {22, 63});
    expectNear(AffineTransform::identity().scaled(2, 2).rotated(M_PI / 2).apply(Point {1, 0}), Point {0, 2});
    // Rotation is clockwise on a y-down screen.
    auto r = AffineTransform::makeRotation(M_PI / 2);
    expectNear(r.apply(Point {1, 0}), Point {0, 1});
    expectNear(r.apply(Point {0, 1}), Point {-1, 0});
}

TEST(AffineTransform, InvertRoundTripsSingularStaysAndRectsMapToBoundingBoxes)
{
    auto t = AffineTransform::makeRotation(0.7).scaled(2, 0.5).translated(3, -4);
    auto back = t.concatenated(t.inverted());
    expectNear(back.apply(Point {5, 7}), Point {5, 7});
    EXPECT_TRUE(AffineTransform::identity().isIdentity());
    EXPECT_FALSE(t.isIdentity());
    auto singular = AffineTransform::makeScale(0, 1);
    EXPECT_FALSE(singular.isInvertible());
    EXPECT_EQ(singular.inverted(), singular);
    // A rect maps to its bounding box.
    auto r = AffineTransform::makeRotation(M_PI / 4).apply(Rect {0, 0, 10, 10});
    EXPECT_NEAR(r.width(), 10 * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(r.minX(), -10 / std::sqrt(2.0), 1e-9);
    EXPECT_EQ(AffineTransform::makeScale(2, 2).apply(Rect {1, 1, 2, 2}), (Rect {2, 2, 4, 4}));
}

TEST(Color, NamedGreysAreWhiteLevelsAndReadBackBothWays)
{
    double w = -1, a = -1;
    for (auto [color, white] : {std::pair {Color::gray(), 0.5}, {Color::lightGray(), 2.0 / 3.0},
             {Color::darkGray(), 1.0 / 3.0}, {Color::black(), 0.0}}) {
        EXPECT_TRUE(color.getWhite(w, a));
        EXPECT_DOUBLE_EQ(w, white);
        EXPECT_EQ(a, 1);
    }
    EXPECT_TRUE(Color::clear().getWhite(w, a));
    EXPECT_EQ(a, 0);
    double r, g, b;
    Color::lightGray().getRGBA(r, g, b, a);
    EXPECT_DOUBLE_EQ(g, 2.0 / 3.0);

    // RGB colours have no white level and leave the outputs alone.
    w = a = 42;
    EXPECT_FALSE(Color::rgba(0.5, 0.5, 0.5).getWhite(w, a));
    EXPECT_EQ(w, 42);
    // Same components, different colour spaces: not equal, as on the platform.
    EXPECT_NE(Color::rgba(1, 1, 1), Color::white());
    EXPECT_EQ(Color::white(0.5, 0.3), Color::gray().withAlpha(0.3));
}
