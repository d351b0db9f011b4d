#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/JpegCodec.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using graphics::Image;
using graphics::ImageOrientation;

// Pixels numbered 1..6 in a 3 x 2 bitmap (stored rows "1 2 3" and "4 5 6").
std::shared_ptr<Image> numbered(ImageOrientation orientation)
{
    auto image = Image::create(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image->setPixel(x, y, 0xFF000000u | uint32_t(y * 3 + x + 1));
    image->setOrientation(orientation);
    return image;
}

// The upright picture's numbers, row by row.
std::vector<int> numbers(const Image& image)
{
    std::vector<int> out;
    for (int y = 0; y < image.pixelHeight(); ++y)
        for (int x = 0; x < image.pixelWidth(); ++x)
            out.push_back(int(image.pixel(x, y) & 0xFF));
    return out;
}

TEST(ImageOrientation, UprightCopyTurnsEachOrientationAsExifMeansIt)
{
    struct Case {
        int exif;
        ImageOrientation orientation;
        int width, height;
        std::vector<int> upright;
    } cases[] = {
        {1, ImageOrientation::Up, 3, 2, {1, 2, 3, 4, 5, 6}},
        {2, ImageOrientation::UpMirrored, 3, 2, {3, 2, 1, 6, 5, 4}},
        {3, ImageOrientation::Down, 3, 2, {6, 5, 4, 3, 2, 1}},
        {4, ImageOrientation::DownMirrored, 3, 2, {4, 5, 6, 1, 2, 3}},
        // Stored row 0 is the left column, column 0 the top row.
        {5, ImageOrientation::LeftMirrored, 2, 3, {1, 4, 2, 5, 3, 6}},
        // Stored row 0 is the right column: turned clockwise.
        {6, ImageOrientation::Right, 2, 3, {4, 1, 5, 2, 6, 3}},
        {7, ImageOrientation::RightMirrored, 2, 3, {6, 3, 5, 2, 4, 1}},
        // Turned counter-clockwise.
        {8, ImageOrientation::Left, 2, 3, {3, 6, 2, 5, 1, 4}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(graphics::imageOrientationFromExif(c.exif), c.orientation) << c.exif;
        auto image = numbered(c.orientation);
        EXPECT_EQ(image->size(), (graphics::Size {double(c.width), double(c.height)}))
            << "size is upright, " << c.exif;
        auto upright = image->uprightCopy();
        ASSERT_TRUE(upright);
        EXPECT_EQ(upright->orientation(), ImageOrientation::Up);
        EXPECT_EQ(upright->pixelWidth(), c.width) << c.exif;
        EXPECT_EQ(numbers(*upright), c.upright) << "EXIF " << c.exif;
    }
    EXPECT_EQ(graphics::imageOrientationFromExif(0), ImageOrientation::Up);
    EXPECT_EQ(graphics::imageOrientationFromExif(9), ImageOrientation::Up);
}

TEST(ImageOrientation, DrawingShowsTheImageUpright)
{
    for (auto orientation : {ImageOrientation::Right, ImageOrientation::Left, ImageOrientation::Down,
             ImageOrientation::RightMirrored}) {
        auto image = numbered(orientation);
        auto expected = image->uprightCopy();
        auto canvas = Image::create(int(image->size().width), int(image->size().height));
        {
            graphics::GraphicsContext context(*canvas);
            context.drawImage(*image, {0, 0, image->size().width, image->size().height});
        }
        EXPECT_EQ(numbers(*canvas), numbers(*expected)) << int(orientation);
    }
}

TEST(ImageOrientation, TheSamplePortraitCarriesItsExifTurn)
{
    auto path = std::filesystem::path(MIVO_SOURCE_DIR) / "Resources/camera/sample-photo-5-portrait-exif6.jpg";
    auto bytes = graphics::readImageFile(path);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(graphics::JpegCodec::exifOrientation(*bytes), 6);
    auto image = graphics::JpegCodec::decode(*bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 1600) << "stored on its side";
    EXPECT_EQ(image->orientation(), ImageOrientation::Right);
    EXPECT_EQ(image->size(), (graphics::Size {1200, 1600})) << "shown upright";
    // A scaled decode keeps the turn too.
    EXPECT_EQ(graphics::JpegCodec::decode(*bytes, 8)->orientation(), ImageOrientation::Right);
    // Files without EXIF, and truncated segments, read as upright.
    auto plain = graphics::readImageFile(
        std::filesystem::path(MIVO_SOURCE_DIR) / "Resources/camera/sample-photo-1.jpg");
    EXPECT_EQ(graphics::JpegCodec::exifOrientation(*plain), 1);
    std::vector<uint8_t> cut(bytes->begin(), bytes->begin() + 30);
    EXPECT_EQ(graphics::JpegCodec::exifOrientation(cut), 1);
}

} // namespace
