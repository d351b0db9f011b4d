#include "platform/render/BoxBlur.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

TEST(BoxBlurTest, SpreadsASpotSymmetricallyAndKeepsItsMassUnlessSigmaIsZero)
{
    const int size = 41;
    std::vector<uint8_t> mask(size * size, 0);
    for (int y = 18; y <= 22; ++y)
        for (int x = 18; x <= 22; ++x)
            mask[y * size + x] = 255;
    long before = std::accumulate(mask.begin(), mask.end(), 0L);
    render::BoxBlur::blurAlpha(mask.data(), size, size, size, 3.0);
    long after = std::accumulate(mask.begin(), mask.end(), 0L);
    EXPECT_NEAR(double(after), double(before), before * 0.03);
    EXPECT_LT(mask[20 * size + 20], 255);
    EXPECT_GT(mask[20 * size + 20], mask[20 * size + 26]);
    EXPECT_GT(mask[20 * size + 26], 0);
    EXPECT_EQ(mask[20 * size + 14], mask[20 * size + 26]);
    EXPECT_EQ(mask[14 * size + 20], mask[26 * size + 20]);
    EXPECT_EQ(mask[0], 0);

    // A zero sigma leaves the mask alone.
    std::vector<uint8_t> line {0, 255, 0, 0};
    render::BoxBlur::blurAlpha(line.data(), 4, 1, 4, 0);
    EXPECT_EQ(line, (std::vector<uint8_t> {0, 255, 0, 0}));
    EXPECT_EQ(render::BoxBlur::boxRadius(0), 0);
    EXPECT_GE(render::BoxBlur::boxRadius(0.3), 1);
}

} // namespace
