#include "core/media/MediaSaver.h"

#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using media::MediaSaver;
const fs::path kSampleVideo = MIVO_SOURCE_DIR "/Resources/camera/sample-video.mp4";
const fs::path kSamplePhoto = MIVO_SOURCE_DIR "/Resources/camera/sample-photo-1.jpg";
const int64_t kStamp = 1733500000000000;

// Count of distinct colours on a coarse grid: a blank picture has one or two.
int distinctColours(const graphics::Image& image)
{
    std::vector<uint32_t> seen;
    for (int y = 0; y < image.pixelHeight(); y += 4)
        for (int x = 0; x < image.pixelWidth(); x += 4) {
            uint32_t colour = image.pixel(x, y) & 0xF0F0F0;
            if (std::find(seen.begin(), seen.end(), colour) == seen.end())
                seen.push_back(colour);
        }
    return int(seen.size());
}

// Checks that a file is a JPEG of this size and, when asked, a picture with more than `minColours`
// colours (not a blank frame).
void expectJpeg(const fs::path& file, int width, int height, int minColours = 0)
{
    auto image = graphics::JpegCodec::decodeFile(file);
    ASSERT_TRUE(image) << file;
    EXPECT_EQ(image->pixelWidth(), width) << file;
    EXPECT_EQ(image->pixelHeight(), height) << file;
    if (minColours > 0) {
        EXPECT_GT(distinctColours(*image), minColours) << file;
    }
}

class MediaSaverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::UserDefaults::standard().set(LocalDocumentManager::kCurrentUserKey, "user42");
        auto picture = LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder);
        auto video = LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder);
        ASSERT_TRUE(picture && video);
        m_picture = *picture;
        m_video = *video;
    }

    mivo::test::TempHome m_home;
    fs::path m_picture;
    fs::path m_video;
};

TEST_F(MediaSaverTest, SavesPhotosWithThumbnailsAndTwoInOneSecondGetTwoNames)
{
    auto photo = graphics::JpegCodec::decodeFile(kSamplePhoto);
    ASSERT_TRUE(photo);
    std::string error;
    auto first = MediaSaver::preparePhoto(*photo, m_picture, &error);
    auto second = MediaSaver::preparePhoto(*photo, m_picture, &error);
    ASSERT_TRUE(first && second) << error;
    auto saved = MediaSaver::store(*first, m_picture, kStamp, &error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->resourceName, "1733500000000000.jpg");
    EXPECT_EQ(saved->screenshotName, "_1733500000000000.jpg");
    EXPECT_EQ(saved->resourceFilePath, (m_picture / "1733500000000000.jpg").string());
    EXPECT_EQ(saved->screenshotPath, (m_picture / "_1733500000000000.jpg").string());
    expectJpeg(saved->resourceFilePath, 1600, 1200);
    expectJpeg(saved->screenshotPath, 160, 120, 8);

    auto savedSecond = MediaSaver::store(*second, m_picture, kStamp);
    ASSERT_TRUE(savedSecond);
    EXPECT_EQ(savedSecond->resourceName, "1733500000000001.jpg");
    EXPECT_EQ(savedSecond->screenshotName, "_1733500000000001.jpg");
    EXPECT_TRUE(fs::exists(savedSecond->screenshotPath));
    EXPECT_EQ(fs::file_size(saved->resourceFilePath), fs::file_size(savedSecond->resourceFilePath));
    for (const auto& entry : fs::directory_iterator(m_picture))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "a temporary file stayed: " << entry.path();
}

TEST_F(MediaSaverTest, APhotoTakenOnItsSideIsSavedUpright)
{
    // The phone's portrait: landscape pixels with EXIF orientation 6. The saved file carries no
    // orientation tag, so its pixels, and the thumbnail's, must stand upright.
    auto photo = graphics::JpegCodec::decodeFile(
        MIVO_SOURCE_DIR "/Resources/camera/sample-photo-5-portrait-exif6.jpg");
    ASSERT_TRUE(photo);
    ASSERT_EQ(photo->orientation(), graphics::ImageOrientation::Right);
    std::string error;
    auto prepared = MediaSaver::preparePhoto(*photo, m_picture, &error);
    ASSERT_TRUE(prepared) << error;
    auto saved = MediaSaver::store(*prepared, m_picture, kStamp, &error);
    ASSERT_TRUE(saved) << error;
    expectJpeg(saved->resourceFilePath, 1200, 1600);
    expectJpeg(saved->screenshotPath, 90, 120, 8);

    auto upright = photo->uprightCopy();
    auto file = graphics::JpegCodec::decodeFile(saved->resourceFilePath);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->orientation(), graphics::ImageOrientation::Up);
    // Block averages, so JPEG's ringing at edges does not count.
    auto average = [](const graphics::Image& image, int x0, int y0, int shift) {
        int sum = 0;
        for (int y = y0; y < y0 + 32; ++y)
            for (int x = x0; x < x0 + 32; ++x)
                sum += int((image.pixel(x, y) >> shift) & 0xFF);
        return sum / (32 * 32);
    };
    for (auto [x, y] : {std::pair {100, 100}, {1100, 150}, {600, 800}, {150, 1500}, {1000, 1400}}) {
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(average(*upright, x, y, shift), average(*file, x, y, shift), 10) << x << "," << y;
    }
}

TEST_F(MediaSaverTest, SavesAVideoWithAThumbnailOfARealFrame)
{
    std::string error;
    auto prepared = MediaSaver::prepareVideo(kSampleVideo, m_video, &error);
    ASSERT_TRUE(prepared) << error;
    auto saved = MediaSaver::store(*prepared, m_video, kStamp, &error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->resourceName, "1733500000000000.mp4");
    EXPECT_EQ(saved->screenshotName, "_1733500000000000.jpg");
    EXPECT_EQ(foundation::readFile(saved->resourceFilePath), foundation::readFile(kSampleVideo));
    expectJpeg(saved->screenshotPath, 160, 120, 8);

    // A second movie in the same second, and no temporary file left behind.
    prepared = MediaSaver::prepareVideo(kSampleVideo, m_video, &error);
    ASSERT_TRUE(prepared) << error;
    saved = MediaSaver::store(*prepared, m_video, kStamp, &error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->resourceName, "1733500000000001.mp4");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_video)) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 4);
}

TEST_F(MediaSaverTest, FailuresLeaveNothingBehind)
{
    // A file that is no movie is refused by the savers' test and the remuxer's.
    std::string error;
    auto unbacked = graphics::Image::createWithoutBitmap({10, 10});
    EXPECT_FALSE(MediaSaver::preparePhoto(*unbacked, m_picture, &error));

    auto prepared = MediaSaver::prepareVideo(kSampleVideo, m_video, &error);
    ASSERT_TRUE(prepared) << error;
    EXPECT_FALSE(MediaSaver::store(*prepared, m_video / "missing-folder", kStamp, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_empty(m_video));
}

} // namespace
