#include "platform/graphics/TextLayout.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>
#include <thread>

using namespace graphics;

namespace {

std::shared_ptr<Image> render(std::string_view text, double scale = 1, Size size = {120, 40},
    TextAlignment alignment = TextAlignment::Left, int maxLines = 0)
{
    auto image = Image::create(int(size.width * scale), int(size.height * scale), scale);
    GraphicsContext context(*image);
    TextLayout::draw(
        context, text, Font::systemFont(20), {{0, 0}, size}, Color::black(), alignment, maxLines);
    return image;
}

int inkPixels(const Image& image)
{
    int n = 0;
    for (int y = 0; y < image.pixelHeight(); ++y)
        for (int x = 0; x < image.pixelWidth(); ++x)
            n += (image.pixel(x, y) >> 24) > 128;
    return n;
}

// Horizontal extent of the ink, in pixels.
std::pair<int, int> inkColumns(const Image& image)
{
    int first = image.pixelWidth(), last = -1;
    for (int y = 0; y < image.pixelHeight(); ++y)
        for (int x = 0; x < image.pixelWidth(); ++x)
            if ((image.pixel(x, y) >> 24) > 64) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

const std::string kParagraph
    = "The inspector photographs the car from every prescribed angle, then uploads the "
      "photos and the video to the server when the task is complete.";

} // namespace

TEST(Font, NamesMapToWeightsAndMetricsScaleWithSize)
{
    EXPECT_EQ(Font::named("HelveticaNeue", 17).weight(), 400);
    EXPECT_EQ(Font::named("HelveticaNeue-Bold", 17).weight(), 700);
    EXPECT_EQ(Font::named("Arial-BoldMT", 17).weight(), 700);
    EXPECT_EQ(Font::named("HelveticaNeue-Light", 17).weight(), 300);
    EXPECT_TRUE(Font::boldSystemFont(12).isBold());

    Font small = Font::systemFont(10), large = Font::systemFont(20);
    EXPECT_NEAR(large.lineHeight(), 2 * small.lineHeight(), 0.05);
    EXPECT_DOUBLE_EQ(large.lineHeight(), large.ascender() + large.descender());
    // Liberation Sans: ascent 0.905 em, descent 0.212 em.
    EXPECT_NEAR(large.lineHeight(), 20 * 1.117, 0.3);
}

TEST(TextLayout, ChineseFallsBackToWenQuanYiAndLatinToLiberation)
{
    EXPECT_EQ(TextLayout::resolvedFamily("检查任务", Font::systemFont(17)), "WenQuanYi Micro Hei");
    EXPECT_EQ(
        TextLayout::resolvedFamily("检查任务", Font::named("HelveticaNeue-Bold", 17)), "WenQuanYi Micro Hei");
    EXPECT_EQ(TextLayout::resolvedFamily("Inspect", Font::named("HelveticaNeue", 17)), "Liberation Sans");
    EXPECT_EQ(TextLayout::resolvedFamily("Inspect", Font::named("Arial-BoldMT", 17)), "Liberation Sans");
}

TEST(TextLayout, RendersRealChineseGlyphs)
{
    auto text = render("检查任务");
    int ink = inkPixels(*text);
    EXPECT_GT(ink, 200);
    EXPECT_LT(ink, 120 * 40 / 2);

    // Two different characters must give different ink, unlike missing-glyph boxes.
    auto a = render("检"), b = render("查");
    int differing = 0;
    for (int y = 0; y < a->pixelHeight(); ++y)
        for (int x = 0; x < a->pixelWidth(); ++x)
            differing += ((a->pixel(x, y) >> 24) > 128) != ((b->pixel(x, y) >> 24) > 128);
    EXPECT_GT(differing, 40);
    EXPECT_NEAR(TextLayout::lineWidth("检", Font::systemFont(20)), 20, 2); // CJK glyphs are about 1 em
}

TEST(TextLayout, WrapsMoreLinesAtSmallerWidthsAndRespectsMaxLines)
{
    Font font = Font::systemFont(15);
    Size wide = TextLayout::boundingSize(kParagraph, font, 300);
    Size narrow = TextLayout::boundingSize(kParagraph, font, 120);
    int wideLines = TextLayout::lineCount(kParagraph, font, 300);
    int narrowLines = TextLayout::lineCount(kParagraph, font, 120);
    EXPECT_GT(narrowLines, wideLines);
    EXPECT_GT(wideLines, 1);
    EXPECT_GT(narrow.height, wide.height);
    EXPECT_LE(wide.width, 300);
    EXPECT_LE(narrow.width, 120);
    EXPECT_NEAR(narrow.height, narrowLines * font.lineHeight(), 1.0);

    Size two = TextLayout::boundingSize(kParagraph, font, 120, 2);
    EXPECT_EQ(TextLayout::lineCount(kParagraph, font, 120, 2), 2);
    EXPECT_NEAR(two.height, 2 * font.lineHeight(), 0.5);
    for (auto mode : {LineBreakMode::TruncateTail, LineBreakMode::TruncateMiddle, LineBreakMode::CharWrap}) {
        EXPECT_EQ(TextLayout::lineCount(kParagraph, font, 120, 2, mode), 2);
        EXPECT_NEAR(TextLayout::boundingSize(kParagraph, font, 120, 2, mode).height, two.height, 0.5);
    }
    // Truncating to one line keeps the width within the limit.
    Size one = TextLayout::boundingSize(kParagraph, font, 120, 1, LineBreakMode::TruncateTail);
    EXPECT_LE(one.width, 120);
    EXPECT_NEAR(one.height, font.lineHeight(), 0.5);
    // Paragraph breaks count as lines, and the limit applies across them.
    EXPECT_EQ(TextLayout::lineCount("a\nb\nc\nd", font, 300), 4);
    EXPECT_EQ(TextLayout::lineCount("a\nb\nc\nd", font, 300, 3, LineBreakMode::TruncateTail), 3);
    // Unlimited width never wraps; empty text has no size.
    EXPECT_EQ(TextLayout::lineCount(kParagraph, font, 0), 1);
    EXPECT_NEAR(
        TextLayout::lineWidth(kParagraph, font), TextLayout::boundingSize(kParagraph, font, 0).width, 1e-9);
    EXPECT_EQ(TextLayout::boundingSize("", font, 100), (Size {0, 0}));
    // Chinese wraps without spaces.
    EXPECT_GT(TextLayout::lineCount("检查任务检查任务检查任务检查任务", font, 100), 2);
}

TEST(TextLayout, DrawingMatchesMeasurementAtScaleTwoAndAligns)
{
    double width = TextLayout::lineWidth("HHHH", Font::systemFont(20));
    auto image = render("HHHH", 2);
    auto [first, last] = inkColumns(*image);
    // H has small side bearings; the ink spans nearly the measured width, in pixels.
    EXPECT_NEAR((last + 1 - first) / 2.0, width, 4);

    auto right = render("HHHH", 1, {120, 40}, TextAlignment::Right);
    EXPECT_GT(inkColumns(*right).second, 110);
    auto centered = render("HHHH", 1, {120, 40}, TextAlignment::Center);
    auto [cFirst, cLast] = inkColumns(*centered);
    EXPECT_NEAR((cFirst + cLast) / 2.0, 60, 3);
}

TEST(TextLayout, DrawingStopsAtMaxLines)
{
    auto all = render(kParagraph, 1, {120, 300});
    auto two = render(kParagraph, 1, {120, 300}, TextAlignment::Left, 2);
    EXPECT_GT(inkPixels(*all), inkPixels(*two) * 2);
    double bottom = 2 * Font::systemFont(20).lineHeight();
    for (int y = int(bottom) + 2; y < 300; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(two->pixel(x, y), 0u) << x << "," << y;
}

TEST(TextLayout, MeasuringFromManyThreadsIsSafe)
{
    Font font = Font::systemFont(15);
    double expected = TextLayout::boundingSize(kParagraph, font, 150).height;
    std::vector<std::thread> threads;
    std::atomic<int> mismatches {0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if (TextLayout::boundingSize(kParagraph, font, 150).height != expected)
                    ++mismatches;
                TextLayout::lineWidth(std::to_string(t * 1000 + i), font);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}
