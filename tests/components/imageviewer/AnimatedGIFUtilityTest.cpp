#include "components/imageviewer/AnimatedGIFUtility.h"

#include "platform/graphics/Image.h"
#include "tests/components/imageviewer/GifSamples.h"

#include <gtest/gtest.h>

using mivo::test::GifSampleFrame;
using mivo::test::makeGif;

TEST(AnimatedGIFUtility, NameEndsInLowerCaseGif)
{
    const std::pair<const char*, bool> cases[] = {
        {"http://a/b.gif", true},
        {"http://a/bgif", true},
        {"gif", true},
        {"http://a/b.GIF", false},
        {"http://a/b.gif?x=1", false},
        {"if", false},
        {"", false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(AnimatedGIFUtility::imageURLIsAGIF(text), expected) << text;
}

TEST(AnimatedGIFUtility, RhythmRepeatsFramesByTheCommonStep)
{
    struct Case {
        std::vector<int32_t> delays;
        std::vector<size_t> frameList;
        int64_t total;
        int32_t step;
    };
    const Case cases[] = {
        {{10, 20, 10}, {0, 1, 1, 2}, 40, 10},
        {{5, 15}, {0, 1, 1, 1}, 20, 5},
        {{1, 1, 1}, {0, 1, 2}, 3, 1},
        // A zero delay takes no place; the others keep their rhythm.
        {{0, 6, 9}, {1, 1, 2, 2, 2}, 15, 3},
        {{0, 0}, {}, 0, 0},
        {{}, {}, 0, 0},
        {{7}, {0}, 7, 7},
        // A list past the limit is refused rather than allocated.
        {{1, 65535, 65535}, {}, 131071, 1},
    };
    for (const auto& c : cases) {
        auto rhythm = AnimatedGIFUtility::rhythmForDelays(c.delays);
        EXPECT_EQ(rhythm.frameList, c.frameList) << ::testing::PrintToString(c.delays);
        EXPECT_EQ(rhythm.totalCentiseconds, c.total) << ::testing::PrintToString(c.delays);
        EXPECT_EQ(rhythm.stepCentiseconds, c.step) << ::testing::PrintToString(c.delays);
    }
    EXPECT_EQ(AnimatedGIFUtility::greatestCommonDivisor(0, 0), 0);
    EXPECT_EQ(AnimatedGIFUtility::greatestCommonDivisor(0, 9), 9);
    EXPECT_EQ(AnimatedGIFUtility::greatestCommonDivisor(12, 18), 6);
}

TEST(AnimatedGIFUtility, AnimatedImageFromGifData)
{
    auto bytes = makeGif({{10, 1}, {20, 2}, {10, 3}});
    auto image = AnimatedGIFUtility::animatedImageWithAnimatedGIFData(bytes);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->isAnimated());
    EXPECT_DOUBLE_EQ(image->duration(), 0.4);
    EXPECT_EQ(image->size(), (graphics::Size {4, 4}));
    const auto& frames = image->images();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0]->pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(frames[1]->pixel(0, 0), 0xFF00FF00u);
    // The long frame is the same image twice, not a copy.
    EXPECT_EQ(frames[1], frames[2]);
    EXPECT_EQ(frames[3]->pixel(0, 0), 0xFF0000FFu);
    // Each entry shows for one step (0.1 s).
    EXPECT_EQ(image->frameIndexAt(0.05), 0u);
    EXPECT_EQ(image->frameIndexAt(0.15), 1u);
    EXPECT_EQ(image->frameIndexAt(0.35), 3u);
    EXPECT_EQ(image->frameIndexAt(0.45), 0u);
}

TEST(AnimatedGIFUtility, FramesWithoutGraphicControlCountOneHundredthEach)
{
    auto image = AnimatedGIFUtility::animatedImageWithAnimatedGIFData(makeGif({{{}, 1}, {{}, 2}, {{}, 3}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->images().size(), 3u);
    EXPECT_DOUBLE_EQ(image->duration(), 0.03);
}

TEST(AnimatedGIFUtility, AllZeroDelaysOrAnEndlessListGiveNoAnimation)
{
    EXPECT_FALSE(
        AnimatedGIFUtility::animatedImageWithAnimatedGIFData(makeGif({{1, 1}, {65535, 2}, {65535, 3}})));
    EXPECT_FALSE(AnimatedGIFUtility::animatedImageWithAnimatedGIFData(makeGif({{0, 1}, {0, 2}})));
    EXPECT_FALSE(AnimatedGIFUtility::animatedImageWithAnimatedGIFData(std::vector<uint8_t> {'n', 'o'}));
}

TEST(AnimatedGIFUtility, FramesAreComposedWithTheirDisposal)
{
    // A red canvas, a green patch that is cleared afterwards, then a blue patch over what is left.
    auto bytes = makeGif({{10, 1, DISPOSE_DO_NOT}, {10, 2, DISPOSE_BACKGROUND, 1, 1, 2, 2},
        {10, 3, DISPOSE_DO_NOT, 0, 0, 1, 1}});
    auto image = AnimatedGIFUtility::animatedImageWithAnimatedGIFData(bytes);
    ASSERT_TRUE(image);
    const auto& frames = image->images();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1]->pixel(1, 1), 0xFF00FF00u);
    EXPECT_EQ(frames[1]->pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(frames[2]->pixel(1, 1), 0u); // disposed to transparent
    EXPECT_EQ(frames[2]->pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(frames[2]->pixel(3, 3), 0xFFFF0000u);
}
