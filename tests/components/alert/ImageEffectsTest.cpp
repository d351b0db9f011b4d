#include "components/alert/ImageEffects.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/SaturationMatrix.h"
#include "platform/ui/View.h"
#include "tests/platform/graphics/PixelBuffers.h"

#include <gtest/gtest.h>

using graphics::Color;
using graphics::Image;

namespace {

class ImageEffectsTest : public testing::Test {
protected:
    void SetUp() override { graphics::setScreenScale(2); }

    // An opaque noisy image of w x h pixels at scale 2.
    static std::shared_ptr<Image> noise(int w, int h, unsigned seed = 5)
    {
        auto image = Image::create(w, h, 2.0);
        std::mt19937 rng(seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
        return image;
    }

    static void expectEqualImages(const Image& a, const Image& b)
    {
        auto left = graphicstest::fromImage(a), right = graphicstest::fromImage(b);
        ASSERT_EQ(left.width, right.width);
        ASSERT_EQ(left.height, right.height);
        graphicstest::expectSamePixels(left, right, "images");
    }
};

int channel(uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 0xFF);
}

} // namespace

TEST_F(ImageEffectsTest, RejectsBadInputWithTheLoggedReason)
{
    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    auto narrow = Image::create(1, 20, 2.0); // 0.5 x 10 points
    EXPECT_EQ(ImageEffects::applyBlurWithRadius(*narrow, 5, std::nullopt, 1.8), nullptr);
    EXPECT_TRUE(log.contains("*** error: invalid size: (0.50 x 10.00). Both dimensions must be >= 1: "));

    auto unbacked = Image::createWithoutBitmap({10, 10}, 2.0);
    EXPECT_EQ(ImageEffects::applyBlurWithRadius(*unbacked, 5, std::nullopt, 1.8), nullptr);
    EXPECT_TRUE(log.contains("*** error: image must be backed by a CGImage: "));

    auto image = noise(20, 20);
    EXPECT_EQ(ImageEffects::applyBlurWithRadius(*image, 5, std::nullopt, 1.8, unbacked.get()), nullptr);
    EXPECT_TRUE(log.contains("*** error: maskImage must be backed by a CGImage: "));
}

TEST_F(ImageEffectsTest, NoRadiusAndNoSaturationChangeIsAPlainCopy)
{
    auto image = noise(24, 16);
    auto copy = ImageEffects::applyBlurWithRadius(*image, 0, std::nullopt, 1.0);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->scale(), 2.0);
    expectEqualImages(*copy, *image);
    // Below single precision's epsilon counts as no blur.
    auto tiny = ImageEffects::applyBlurWithRadius(*image, 0.0000001, std::nullopt, 1.0);
    expectEqualImages(*tiny, *image);
}

TEST_F(ImageEffectsTest, TintAloneCoversTheCopy)
{
    auto image = Image::create(4, 4, 2.0);
    image->fill(0xFF0000FF); // opaque blue
    auto tinted = ImageEffects::applyBlurWithRadius(*image, 0, Color::white(1.0, 0.5), 1.0);
    ASSERT_TRUE(tinted);
    const uint32_t pixel = tinted->pixel(2, 2);
    // Half white over blue.
    EXPECT_EQ(channel(pixel, 24), 255);
    EXPECT_NEAR(channel(pixel, 16), 128, 1);
    EXPECT_NEAR(channel(pixel, 8), 128, 1);
    EXPECT_EQ(channel(pixel, 0), 255);
}

TEST_F(ImageEffectsTest, RadiusOneAtScaleTwoIsThreeBoxesOfFive)
{
    auto image = noise(30, 22);
    auto blurred = ImageEffects::applyBlurWithRadius(*image, 1, std::nullopt, 1.0);
    ASSERT_TRUE(blurred);

    // Independently: three box passes of 5 x 5 with clamped edges, rounded each time.
    auto source = graphicstest::fromImage(*image);
    auto once = graphicstest::referenceBox(source, 5);
    auto twice = graphicstest::referenceBox(once, 5);
    auto expected = graphicstest::referenceBox(twice, 5);
    auto actual = graphicstest::fromImage(*blurred);
    graphicstest::expectSamePixels(actual, expected, "radius 1");
}

TEST_F(ImageEffectsTest, AnOpaqueImageGivesTheSameResultByTheShortWay)
{
    auto image = noise(40, 30, 9);
    auto marked = image->copy();
    marked->setOpaque(true);
    auto expected = ImageEffects::applyBlurWithRadius(*image, 5, Color::white(0.2, 0.7), 1.8);
    auto actual = ImageEffects::applyBlurWithRadius(*marked, 5, Color::white(0.2, 0.7), 1.8);
    expectEqualImages(*actual, *expected);
    EXPECT_TRUE(actual->isOpaque());
}

TEST_F(ImageEffectsTest, SaturationWithoutBlurStillDrawsTheChangedImage)
{
    auto image = Image::create(2, 2, 2.0);
    image->fill(0xFF2080C0); // red 0x20, green 0x80, blue 0xC0
    auto inverted = ImageEffects::applyBlurWithRadius(*image, 0, std::nullopt, -1.0);
    ASSERT_TRUE(inverted);
    const auto m = graphics::SaturationMatrix::make(-1.0);
    const int in[4] = {0xC0, 0x80, 0x20, 0xFF};
    for (int j = 0; j < 3; ++j) {
        int sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += in[i] * m[4 * i + j];
        EXPECT_EQ(channel(inverted->pixel(1, 1), 8 * j), std::clamp((sum + 128) >> 8, 0, 255)) << j;
    }

    auto grey = ImageEffects::applyBlurWithRadius(*image, 0, std::nullopt, 0.0);
    const int expected = (18 * 0xC0 + 183 * 0x80 + 54 * 0x20 + 128) / 256;
    EXPECT_EQ(grey->pixel(0, 0), 0xFF000000u | expected << 16 | expected << 8 | expected);
}

TEST_F(ImageEffectsTest, MaskLimitsTheEffectButNotTheTint)
{
    // Left half black, right half white: a blur mixes them near the middle.
    auto image = Image::create(40, 20, 2.0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            image->setPixel(x, y, x < 20 ? 0xFF000000 : 0xFFFFFFFF);
    // The mask lets the effect through on the top half only.
    auto mask = Image::create(40, 20, 2.0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            mask->setPixel(x, y, y < 10 ? 0xFF000000 : 0x00000000);

    auto masked = ImageEffects::applyBlurWithRadius(*image, 2, std::nullopt, 1.0, mask.get());
    ASSERT_TRUE(masked);
    EXPECT_NE(masked->pixel(19, 2), 0xFF000000u); // blurred where the mask is opaque
    EXPECT_EQ(masked->pixel(19, 17), 0xFF000000u); // original where it is clear
    EXPECT_EQ(masked->pixel(20, 17), 0xFFFFFFFFu);

    auto tinted = ImageEffects::applyBlurWithRadius(*image, 2, Color::rgba(1, 0, 0, 1), 1.0, mask.get());
    EXPECT_EQ(tinted->pixel(5, 17), 0xFFFF0000u);
    EXPECT_EQ(tinted->pixel(5, 2), 0xFFFF0000u);
}

TEST_F(ImageEffectsTest, NamedEffectsAndOneColourImages)
{
    auto image = noise(20, 20);
    auto light = ImageEffects::applyLightEffect(*image);
    auto same = ImageEffects::applyBlurWithRadius(*image, 30, Color::white(1.0, 0.3), 1.8);
    expectEqualImages(*light, *same);

    // A grey keeps its white level, an RGB colour its components; both get alpha 0.6.
    expectEqualImages(*ImageEffects::applyTintEffectWithColor(*image, Color::white(0.4, 1)),
        *ImageEffects::applyBlurWithRadius(*image, 10, Color::white(0.4, 0.6), -1.0));
    expectEqualImages(*ImageEffects::applyTintEffectWithColor(*image, Color::rgba(0.1, 0.2, 0.3, 0.9)),
        *ImageEffects::applyBlurWithRadius(*image, 10, Color::rgba(0.1, 0.2, 0.3, 0.6), -1.0));

    auto dot = ImageEffects::imageWithColor(Color::rgba(0, 1, 0, 1));
    ASSERT_TRUE(dot);
    EXPECT_EQ(dot->pixelWidth(), 1);
    EXPECT_EQ(dot->scale(), 1.0);
    EXPECT_EQ(dot->pixel(0, 0), 0xFF00FF00u);
}

TEST_F(ImageEffectsTest, ViewSnapshotsAreOpaqueAtTheScreenScale)
{
    auto view = ui::View::create({0, 0, 10, 20});
    view->setBackgroundColor(std::nullopt);
    auto red = ui::View::create({0, 0, 5, 20});
    red->setBackgroundColor(Color::rgba(1, 0, 0, 1));
    view->addSubview(red);
    auto picture = ImageEffects::convertViewToImage(*view);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelWidth(), 20);
    EXPECT_EQ(picture->pixelHeight(), 40);
    EXPECT_EQ(picture->scale(), 2.0);
    EXPECT_TRUE(picture->isOpaque());
    EXPECT_EQ(picture->pixel(3, 30), 0xFFFF0000u);
    EXPECT_EQ(picture->pixel(15, 30), 0xFF000000u); // nothing drawn there: black
}

TEST_F(ImageEffectsTest, KeptWorkingBuffersCarryNothingFromOneCallToTheNext)
{
    // An image of other pixels than the context: mostly transparent, with one opaque square.
    auto sparse = Image::create(60, 60, 1.0);
    sparse->fill(0);
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 12; ++x)
            sparse->setPixel(x, y, 0xFF3366CC);
    struct Case {
        double radius, saturation;
    };
    for (Case c : {Case {5, 1.0}, Case {5, 1.8}, Case {0, 1.8}}) {
        SCOPED_TRACE(testing::Message() << "radius " << c.radius << " saturation " << c.saturation);
        ImageEffects::applyBlurWithRadius(*noise(120, 120, 1), c.radius, std::nullopt, c.saturation);
        auto first = ImageEffects::applyBlurWithRadius(*sparse, c.radius, std::nullopt, c.saturation);
        ImageEffects::applyBlurWithRadius(*noise(120, 120, 2), c.radius, std::nullopt, c.saturation);
        auto second = ImageEffects::applyBlurWithRadius(*sparse, c.radius, std::nullopt, c.saturation);
        ASSERT_TRUE(first && second);
        expectEqualImages(*first, *second);
        EXPECT_EQ(second->pixel(119, 0), 0u) << "corners far from the square stay clear";
        EXPECT_EQ(second->pixel(119, 119), 0u);
        // The caller's result is its own: a later call does not write into it.
        auto kept = second->copy();
        ImageEffects::applyBlurWithRadius(*noise(120, 120, 3), c.radius, std::nullopt, c.saturation);
        expectEqualImages(*second, *kept);
    }
}
