#include "components/imageviewer/ImageViewerLayout.h"

#include <gtest/gtest.h>

#include <numbers>

using graphics::EdgeInsets;
using graphics::Rect;
using graphics::Size;
using ui::InterfaceOrientation;

TEST(ImageViewerLayout, SnapshotRotationForEveryPairOfOrientations)
{
    constexpr double pi = std::numbers::pi, half = pi / 2;
    const InterfaceOrientation orientations[]
        = {InterfaceOrientation::Portrait, InterfaceOrientation::PortraitUpsideDown,
            InterfaceOrientation::LandscapeRight, InterfaceOrientation::LandscapeLeft};
    const double expected[4][4] = {
        {0, pi, -half, half},
        {pi, 0, half, -half},
        {half, -half, 0, pi},
        {-half, half, pi, 0},
    };
    for (int began = 0; began < 4; ++began) {
        for (int now = 0; now < 4; ++now) {
            double angle = ImageViewerLayout::snapshotRotationAngle(orientations[began], orientations[now]);
            EXPECT_DOUBLE_EQ(angle, expected[began][now]) << began << " -> " << now;
            auto transform = ImageViewerLayout::snapshotRotation(orientations[began], orientations[now]);
            // The transform turns (1, 0) by the angle.
            auto turned = transform.apply(graphics::Point {1, 0});
            EXPECT_NEAR(turned.x, std::cos(expected[began][now]), 1e-12);
            EXPECT_NEAR(turned.y, std::sin(expected[began][now]), 1e-12);
        }
    }
    EXPECT_TRUE(ImageViewerLayout::snapshotRotation(
        InterfaceOrientation::Unknown, InterfaceOrientation::LandscapeLeft)
                    .isIdentity());
    EXPECT_TRUE(ImageViewerLayout::snapshotRotation(InterfaceOrientation::Portrait, InterfaceOrientation(7))
                    .isIdentity());
}

TEST(ImageViewerLayout, SnapshotScaleBySingleFloatOption)
{
    EXPECT_EQ(ImageViewerLayout::snapshotScale(1), 0.9399999976158142);
    EXPECT_EQ(ImageViewerLayout::snapshotScale(3), 0.9399999976158142);
    EXPECT_EQ(ImageViewerLayout::snapshotScale(0), 1.0);
    EXPECT_EQ(ImageViewerLayout::snapshotScale(2), 1.0);
}

TEST(ImageViewerLayout, ImageFramesForEverySizeAndZoom)
{
    struct Case {
        Size image, view;
        double zoom;
        Rect frame;
    };
    const Case cases[] = {
        {{1000, 500}, {320, 568}, 1, {0, 0, 320, 160}},
        {{1000, 500}, {320, 568}, 3, {0, 0, 960, 480}},
        {{1000, 500}, {568, 320}, 1, {0, 0, 568, 284}},
        {{500, 1000}, {320, 568}, 1, {0, 0, 284, 568}},
        {{500, 1000}, {568, 320}, 1, {0, 0, 160, 320}},
        {{300, 1000}, {320, 568}, 1, {0, 0, 170.4, 568}},
        {{1000, 3000}, {320, 568}, 1, {0, 0, 189.33333333333334, 568}},
        {{4032, 3024}, {768, 1024}, 1, {0, 0, 768, 576}},
        {{4032, 3024}, {1024, 768}, 1, {0, 0, 1024, 768}},
        {{100, 100}, {320, 568}, 1, {0, 0, 320, 320}},
        {{100, 100}, {568, 320}, 2, {0, 0, 640, 640}},
        // Nothing to fit: the zoomed view bounds.
        {{0, 0}, {320, 568}, 1, {0, 0, 320, 568}},
        {{0, 50}, {320, 568}, 2, {0, 0, 640, 1136}},
    };
    for (const auto& c : cases) {
        Rect frame = ImageViewerLayout::resizedFrame(c.image, c.view, c.zoom);
        EXPECT_EQ(frame.origin, (graphics::Point {0, 0}));
        EXPECT_DOUBLE_EQ(frame.width(), c.frame.width())
            << c.image.width << "x" << c.image.height << " in " << c.view.width;
        EXPECT_DOUBLE_EQ(frame.height(), c.frame.height())
            << c.image.width << "x" << c.image.height << " in " << c.view.width;
    }
}

TEST(ImageViewerLayout, InsetsCentreTheImageUntilItFillsBothWays)
{
    struct Case {
        Size scroll;
        std::optional<Size> image;
        Size view;
        double zoom;
        EdgeInsets insets;
    };
    const Case cases[] = {
        {{320, 568}, Size {1000, 500}, {320, 568}, 1, {204, 0, 204, 0}},
        {{320, 568}, Size {1000, 500}, {320, 568}, 3, {44, 0, 44, 0}},
        {{320, 568}, Size {1000, 500}, {320, 568}, 4, {0, 0, 0, 0}},
        {{568, 320}, Size {1000, 500}, {568, 320}, 1, {18, 0, 18, 0}},
        {{568, 320}, Size {500, 1000}, {568, 320}, 1, {0, 204, 0, 204}},
        {{320, 568}, Size {500, 1000}, {320, 568}, 1, {0, 18, 0, 18}},
        {{768, 1024}, Size {4032, 3024}, {768, 1024}, 1, {224, 0, 224, 0}},
        // No image, or an axis that is not above 0, takes the scroll view's size.
        {{320, 568}, std::nullopt, {320, 568}, 1, {0, 0, 0, 0}},
        {{320, 568}, Size {0, 284}, {320, 568}, 1, {142, 0, 142, 0}},
    };
    for (const auto& c : cases) {
        EdgeInsets insets = ImageViewerLayout::contentInset(c.scroll, c.image, c.view, c.zoom);
        EXPECT_DOUBLE_EQ(insets.top, c.insets.top) << c.scroll.width << " zoom " << c.zoom;
        EXPECT_DOUBLE_EQ(insets.left, c.insets.left) << c.scroll.width << " zoom " << c.zoom;
        EXPECT_DOUBLE_EQ(insets.bottom, c.insets.bottom) << c.scroll.width << " zoom " << c.zoom;
        EXPECT_DOUBLE_EQ(insets.right, c.insets.right) << c.scroll.width << " zoom " << c.zoom;
    }
}

TEST(ImageViewerLayout, TextTopInsetHalvesTheRoundedSpareHeight)
{
    EXPECT_DOUBLE_EQ(ImageViewerLayout::textTopInset(568, 467), 50.5);
    EXPECT_DOUBLE_EQ(ImageViewerLayout::textTopInset(568, 467.4), 50.5);
    EXPECT_DOUBLE_EQ(ImageViewerLayout::textTopInset(568, 466.5), 51); // halves away from zero
    EXPECT_DOUBLE_EQ(ImageViewerLayout::textTopInset(568, 600), 0);
    EXPECT_DOUBLE_EQ(ImageViewerLayout::textTopInset(568, 568), 0);
}
