#include "core/media/Thumbnailer.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"

#include <gtest/gtest.h>

namespace {

using media::Thumbnailer;

TEST(Thumbnailer, PicksTheCoarsestDctScaleThatStillCoversTheBox)
{
    EXPECT_EQ(Thumbnailer::dctScaleDenominator(4032, 3024, 160, 120), 8);
    EXPECT_EQ(Thumbnailer::dctScaleDenominator(1280, 960, 160, 120), 8);
    // 1/8 would give 125 x 94, short of 160 x 120.
    EXPECT_EQ(Thumbnailer::dctScaleDenominator(1000, 750, 160, 120), 4);
    EXPECT_EQ(Thumbnailer::dctScaleDenominator(3024, 4032, 160, 120), 8);
    EXPECT_EQ(Thumbnailer::dctScaleDenominator(200, 150, 160, 120), 1);
    EXPECT_EQ(Thumbnailer::dctScaleDenominator(100, 50, 160, 120), 1);

    EXPECT_EQ(Thumbnailer::fittingSize(4032, 3024, 160, 120), std::make_pair(160, 120));
    EXPECT_EQ(Thumbnailer::fittingSize(3024, 4032, 160, 120), std::make_pair(90, 120));
    EXPECT_EQ(Thumbnailer::fittingSize(4000, 10, 160, 120), std::make_pair(160, 1));
    EXPECT_EQ(Thumbnailer::fittingSize(0, 0, 160, 120), std::make_pair(1, 1));
}

TEST(Thumbnailer, AveragesInsteadOfSkippingPixels)
{
    // One-pixel stripes of black and white must average to grey, not alias to one of them.
    auto stripes = graphics::Image::create(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            stripes->setPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
    stripes->setOpaque(true);
    auto small = Thumbnailer::scaledToFit(stripes, 160, 120);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->pixelWidth(), 160);
    EXPECT_TRUE(small->isOpaque());
    uint32_t pixel = small->pixel(80, 60);
    EXPECT_EQ(pixel >> 24, 0xFFu);
    EXPECT_NEAR(int((pixel >> 8) & 0xFF), 128, 3);

    EXPECT_EQ(Thumbnailer::scaledToFit(small, 160, 120), small);
    EXPECT_FALSE(Thumbnailer::scaledToFit(nullptr, 160, 120));
}

TEST(Thumbnailer, RefusesWhatIsNotAPicture)
{
    std::string error;
    const uint8_t junk[] = {0xFF, 0xD8, 0x00, 0x01, 0x02};
    EXPECT_FALSE(Thumbnailer::fromJpeg(junk, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(Thumbnailer::fromVideo(MIVO_SOURCE_DIR "/Resources/camera/make-samples.sh", &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
