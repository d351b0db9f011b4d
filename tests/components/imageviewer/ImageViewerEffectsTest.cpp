#include "components/imageviewer/ImageViewerEffects.h"

#include "components/alert/ImageEffects.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "tests/platform/graphics/PixelBuffers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

using graphics::Color;
using graphics::Image;

namespace {

class ImageViewerEffectsTest : public testing::Test {
protected:
    void SetUp() override { graphics::setScreenScale(2); }

    // A half-transparent noisy image, so that both the drawn input and the effect show.
    static std::shared_ptr<Image> noise(int w, int h, unsigned seed = 11)
    {
        auto image = Image::create(w, h, 2.0);
        std::mt19937 rng(seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t alpha = (x + y) % 3 == 0 ? 0xFF : 0x80;
                const uint32_t r = rng() % (alpha + 1), g = rng() % (alpha + 1), b = rng() % (alpha + 1);
                image->setPixel(x, y, alpha << 24 | r << 16 | g << 8 | b);
            }
        return image;
    }

    static void expectEqualImages(const Image& a, const Image& b)
    {
        auto left = graphicstest::fromImage(a), right = graphicstest::fromImage(b);
        ASSERT_EQ(left.width, right.width);
        ASSERT_EQ(left.height, right.height);
        graphicstest::expectSamePixels(left, right, "images");
    }

    static std::string describe(const Image& image, const char* size)
    {
        char text[96];
        std::snprintf(text, sizeof text, "<Image: %p, %s>", static_cast<const void*>(&image), size);
        return text;
    }
};

} // namespace

TEST_F(ImageViewerEffectsTest, NamedEffectsUseTheirOwnFigures)
{
    auto image = noise(48, 36);
    const auto routine = [&](double radius, Color tint, double factor) {
        return ImageViewerEffects::IV_applyBlurWithRadius(*image, radius, tint, factor);
    };
    expectEqualImages(
        *ImageViewerEffects::IV_applyLightEffect(*image), *routine(30, Color::white(1.0, 0.3), 1.8));
    expectEqualImages(
        *ImageViewerEffects::IV_applyExtraLightEffect(*image), *routine(20, Color::white(0.97, 0.82), 1.8));
    expectEqualImages(
        *ImageViewerEffects::IV_applyDarkEffect(*image), *routine(5, Color::white(0.0, 0.5), 1.8));

    // The viewer's dark effect is lighter and less blurred than the alert's.
    auto viewerDark = graphicstest::fromImage(*ImageViewerEffects::IV_applyDarkEffect(*image));
    auto alertDark = graphicstest::fromImage(*ImageEffects::applyDarkEffect(*image));
    EXPECT_NE(viewerDark.bytes, alertDark.bytes);
}

TEST_F(ImageViewerEffectsTest, TheBlurIsTheAlertsRoutine)
{
    auto image = noise(30, 22, 3);
    auto mask = Image::create(30, 22, 2.0);
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 30; ++x)
            mask->setPixel(x, y, x < 15 ? 0xFF000000 : 0x40000000);
    expectEqualImages(*ImageViewerEffects::IV_applyBlurWithRadius(
                          *image, 3, Color::rgba(0.2, 0.4, 0.6, 0.5), 0.3, mask.get()),
        *ImageEffects::applyBlurWithRadius(*image, 3, Color::rgba(0.2, 0.4, 0.6, 0.5), 0.3, mask.get()));
    // What the viewer's backdrop asks for: a blur without a saturation change.
    expectEqualImages(*ImageViewerEffects::IV_applyBlurWithRadius(*image, 5, std::nullopt, 1.0),
        *ImageEffects::applyBlurWithRadius(*image, 5, std::nullopt, 1.0));
}

TEST_F(ImageViewerEffectsTest, TintKeepsTheColourAndTakesAlphaSixTenths)
{
    auto image = noise(24, 24, 7);
    const auto tinted
        = [&](Color tint) { return ImageViewerEffects::IV_applyBlurWithRadius(*image, 10, tint, -1.0); };
    // A grey keeps its white level, an RGB colour its components, whatever their alpha was.
    expectEqualImages(*ImageViewerEffects::IV_applyTintEffectWithColor(*image, Color::white(0.4, 1)),
        *tinted(Color::white(0.4, 0.6)));
    expectEqualImages(
        *ImageViewerEffects::IV_applyTintEffectWithColor(*image, Color::rgba(0.1, 0.7, 0.3, 0.9)),
        *tinted(Color::rgba(0.1, 0.7, 0.3, 0.6)));
    // Even a clear colour tints: black at 0.6.
    expectEqualImages(*ImageViewerEffects::IV_applyTintEffectWithColor(*image, Color::clear()),
        *tinted(Color::white(0, 0.6)));

    // The tint covers the whole image: an opaque white picture under a pure red tint comes out
    // 0.6 red over white.
    auto white = Image::create(6, 6, 2.0);
    white->fill(0xFFFFFFFF);
    auto red = ImageViewerEffects::IV_applyTintEffectWithColor(*white, Color::rgba(1, 0, 0, 0.2));
    ASSERT_TRUE(red);
    for (auto [x, y] : {std::pair {0, 0}, {5, 5}, {3, 2}}) {
        const uint32_t pixel = red->pixel(x, y);
        EXPECT_EQ(pixel >> 16 & 0xFF, 0xFFu);
        EXPECT_NEAR(pixel >> 8 & 0xFF, 102, 1);
        EXPECT_NEAR(pixel & 0xFF, 102, 1);
    }
}

TEST_F(ImageViewerEffectsTest, BadInputLogsAndGivesNothing)
{
    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    auto narrow = Image::create(1, 20, 2.0); // 0.5 x 10 points
    EXPECT_EQ(ImageViewerEffects::IV_applyBlurWithRadius(*narrow, 5, std::nullopt, 1.0), nullptr);
    EXPECT_TRUE(log.contains("*** error: invalid size: (0.50 x 10.00). Both dimensions must be >= 1: "
        + describe(*narrow, "{0.5, 10}")));
    // The named effects pass the failure on.
    EXPECT_EQ(ImageViewerEffects::IV_applyDarkEffect(*narrow), nullptr);
    EXPECT_EQ(ImageViewerEffects::IV_applyTintEffectWithColor(*narrow, Color::red()), nullptr);

    auto unbacked = Image::createWithoutBitmap({10, 10}, 2.0);
    EXPECT_EQ(ImageViewerEffects::IV_applyLightEffect(*unbacked), nullptr);
    EXPECT_TRUE(
        log.contains("*** error: image must be backed by a CGImage: " + describe(*unbacked, "{10, 10}")));

    auto image = noise(20, 20);
    EXPECT_EQ(
        ImageViewerEffects::IV_applyBlurWithRadius(*image, 5, std::nullopt, 1.8, unbacked.get()), nullptr);
    EXPECT_TRUE(
        log.contains("*** error: maskImage must be backed by a CGImage: " + describe(*unbacked, "{10, 10}")));
    EXPECT_EQ(log.lines().size(), 5u);
}
