#include "components/alert/AlertIconKit.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"

#include <gtest/gtest.h>

#include <functional>

using graphics::Image;

namespace {

struct Probe {
    double x, y;
};

// The pixel under a canvas point on a scale-2 image.
uint32_t at(const Image& image, Probe p)
{
    return image.pixel(static_cast<int>(p.x * 2), static_cast<int>(p.y * 2));
}

void expectIcon(const std::shared_ptr<Image>& image, uint32_t colour, std::initializer_list<Probe> inside,
    std::initializer_list<Probe> outside)
{
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 160);
    EXPECT_EQ(image->pixelHeight(), 160);
    EXPECT_EQ(image->scale(), 2.0);
    EXPECT_EQ(image->size().width, 80);
    for (Probe corner : {Probe {0.5, 0.5}, Probe {79.5, 0.5}, Probe {0.5, 79.5}, Probe {79.5, 79.5}})
        EXPECT_EQ(at(*image, corner), 0u) << corner.x << ", " << corner.y;
    for (Probe p : inside)
        EXPECT_EQ(at(*image, p), colour) << "inside " << p.x << ", " << p.y;
    for (Probe p : outside)
        EXPECT_EQ(at(*image, p), 0u) << "outside " << p.x << ", " << p.y;
}

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kWarningGrey = 0xFF3C3C3C; // 0.236 of 255 is 60

} // namespace

TEST(AlertIconKit, IconsAreDrawnWhereTheirPathsAre)
{
    graphics::setScreenScale(2);
    expectIcon(AlertIconKit::imageOfCheckmark(), kWhite, {{27.4, 60}, {50, 38}, {10, 43}},
        {{20, 20}, {60, 60}, {40, 70}});
    expectIcon(AlertIconKit::imageOfCross(), kWhite, {{40, 40}, {20, 20}, {60, 20}, {12, 68}},
        {{40, 20}, {40, 60}, {20, 40}, {2, 2}});
    expectIcon(AlertIconKit::imageOfNotice(), kWhite, {{32, 20}, {45, 60}, {66, 45}},
        {{10, 10}, {60, 15}, {10, 70}});
    expectIcon(AlertIconKit::imageOfWarning(), kWarningGrey, {{40.94, 70.45}, {40, 30}, {40, 10}},
        {{20, 40}, {40, 60.5}, {60, 10}});
    expectIcon(AlertIconKit::imageOfInfo(), kWhite, {{40, 10.5}, {40, 50}, {35, 65}},
        {{40, 22}, {20, 50}, {60, 10}});
    expectIcon(AlertIconKit::imageOfEdit(), kWhite, {{37.9, 39.65}, {13.8, 67.7}, {65, 8}},
        {{33.9, 36.1}, {70, 70}, {10, 20}});
}

TEST(AlertIconKit, EachIconIsRenderedOnce)
{
    const std::function<std::shared_ptr<Image>()> makers[] = {
        AlertIconKit::imageOfCheckmark,
        AlertIconKit::imageOfCross,
        AlertIconKit::imageOfNotice,
        AlertIconKit::imageOfWarning,
        AlertIconKit::imageOfInfo,
        AlertIconKit::imageOfEdit,
    };
    for (const auto& make : makers)
        EXPECT_EQ(make().get(), make().get());
    EXPECT_NE(AlertIconKit::imageOfCross().get(), AlertIconKit::imageOfInfo().get());
}
