#include "platform/graphics/BoxBlur.h"
#include "platform/graphics/SaturationMatrix.h"
#include "tests/platform/graphics/PixelBuffers.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace graphics;
using namespace graphicstest;

TEST(BoxBlur, BoxSizeFollowsRadiusAndScaleAndIsOdd)
{
    // floor(2 x 3 x 2.5066282746310002 / 4 + 0.5) = 4, made odd.
    EXPECT_EQ(BoxBlur::boxSize(1, 2), 5u);
    EXPECT_EQ(BoxBlur::boxSize(5, 2), 19u);
    EXPECT_EQ(BoxBlur::boxSize(30, 2), 113u);
    EXPECT_EQ(BoxBlur::boxSize(10, 1), 19u);
    EXPECT_EQ(BoxBlur::boxSize(0, 2), 1u);
    EXPECT_EQ(BoxBlur::boxSize(1e-7, 2), 1u);
}

// Three passes through the alert's image effects are checked in ImageEffectsTest.
TEST(BoxBlur, OnePassMatchesTheDefinitionWithEdgeExtension)
{
    const struct {
        int w, h, box;
    } cases[] = {{7, 5, 3}, {13, 9, 5}, {1, 1, 5}, {3, 20, 9}, {20, 3, 9}, {16, 16, 31}, {9, 4, 259},
        {33, 7, 17}, {5, 6, 1}};
    for (auto impl : {BoxBlur::Implementation::Best, BoxBlur::Implementation::Portable}) {
        for (const auto& c : cases) {
            auto src = randomBuffer(c.w, c.h, static_cast<unsigned>(c.w * 31 + c.h + c.box));
            OwnedBuffer dst(c.w, c.h);
            BoxBlur::convolve(src.view(), dst.view(), static_cast<uint32_t>(c.box), impl);
            auto expected = referenceBox(src, c.box);
            SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " box " << c.box);
            expectSamePixels(dst, expected, "box");
        }
    }
}

TEST(SaturationMatrix, WeightsAreRoundedSixteenBitIntegers)
{
    // A factor of 0 leaves only the luminance weights: 0.0722, 0.7152 and 0.2126 of 256.
    const SaturationMatrix::Matrix grey = SaturationMatrix::make(0);
    const SaturationMatrix::Matrix expectedGrey
        = {18, 18, 18, 0, 183, 183, 183, 0, 54, 54, 54, 0, 0, 0, 0, 256};
    EXPECT_EQ(grey, expectedGrey);

    const SaturationMatrix::Matrix identity = SaturationMatrix::make(1);
    const SaturationMatrix::Matrix expectedIdentity
        = {256, 0, 0, 0, 0, 256, 0, 0, 0, 0, 256, 0, 0, 0, 0, 256};
    EXPECT_EQ(identity, expectedIdentity);

    const SaturationMatrix::Matrix backdrop = SaturationMatrix::make(1.8);
    EXPECT_EQ(backdrop[0], 446); // 0.0722 + 0.9278 x 1.8
    EXPECT_EQ(backdrop[1], -15); // 0.0722 - 0.0722 x 1.8 = -14.78: halves and more round away from zero
    EXPECT_EQ(backdrop[4], -146); // 0.7152 - 0.7152 x 1.8
    EXPECT_EQ(backdrop[10], 417);
    // The red diagonal uses 0.7873, which only shows with a large factor.
    EXPECT_EQ(SaturationMatrix::make(100)[10], 20209);
}

TEST(SaturationMatrix, GreyAndStrongerColoursClampAndStayPremultiplied)
{
    auto src = randomBuffer(13, 5, 1234);
    // Make the input valid premultiplied data.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            for (int c = 0; c < 3; ++c)
                src.at(x, y, c) = std::min(src.at(x, y, c), src.at(x, y, 3));
    for (double s : {0.0, 1.8}) {
        SCOPED_TRACE(s);
        const double weights[3][3] = {
            {0.0722 + 0.9278 * s, 0.0722 - 0.0722 * s, 0.0722 - 0.0722 * s},
            {0.7152 - 0.7152 * s, 0.7152 + 0.2848 * s, 0.7152 - 0.7152 * s},
            {0.2126 - 0.2126 * s, 0.2126 - 0.2126 * s, 0.2126 + 0.7873 * s},
        };
        OwnedBuffer expected = src;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x)
                for (int j = 0; j < 3; ++j) {
                    long sum = 0;
                    for (int i = 0; i < 3; ++i)
                        sum += src.at(x, y, i) * std::lround(static_cast<float>(weights[i][j] * 256));
                    long value = std::clamp((sum + 128) >> 8, 0L, 255L);
                    expected.at(x, y, j) = static_cast<uint8_t>(std::min<long>(value, src.at(x, y, 3)));
                }
        OwnedBuffer dst(13, 5);
        SaturationMatrix::apply(src.view(), dst.view(), SaturationMatrix::make(s));
        expectSamePixels(dst, expected, "saturation");
        // In place gives the same.
        OwnedBuffer inPlace = src;
        SaturationMatrix::apply(inPlace.view(), inPlace.view(), SaturationMatrix::make(s));
        expectSamePixels(inPlace, expected, "in place");
    }
}
