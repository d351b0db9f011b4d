#include "core/media/VideoFrameReader.h"

#include "platform/graphics/Image.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::filesystem::path kSampleVideo = MIVO_SOURCE_DIR "/Resources/camera/sample-video.mp4";

// Mean absolute difference per channel between two images of one size.
double difference(const graphics::Image& a, const graphics::Image& b)
{
    double sum = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x)
            for (int shift : {0, 8, 16})
                sum += std::abs(int((a.pixel(x, y) >> shift) & 0xFF) - int((b.pixel(x, y) >> shift) & 0xFF));
    return sum / (3.0 * a.pixelWidth() * a.pixelHeight());
}

bool allOpaque(const graphics::Image& image)
{
    for (int y = 0; y < image.pixelHeight(); ++y)
        for (int x = 0; x < image.pixelWidth(); ++x)
            if ((image.pixel(x, y) >> 24) != 0xFF)
                return false;
    return true;
}

TEST(VideoFrameReader, ReadsDurationSizeAndExactFrames)
{
    std::string error;
    auto reader = media::VideoFrameReader::open(kSampleVideo, &error);
    ASSERT_TRUE(reader) << error;
    EXPECT_NEAR(reader->duration(), 2.4, 0.05);
    EXPECT_EQ(reader->width(), 640);
    EXPECT_EQ(reader->height(), 480);

    double actual = -1;
    auto early = reader->copyImageAtTime(0.6, 0, 0, &actual, &error);
    ASSERT_TRUE(early) << error;
    EXPECT_NEAR(actual, 0.6, 1e-6);
    EXPECT_EQ(early->pixelWidth(), 640);
    EXPECT_EQ(early->pixelHeight(), 480);
    EXPECT_TRUE(early->isOpaque());
    EXPECT_TRUE(allOpaque(*early));

    // Between two frames (25 per second) the exact answer is the frame on screen at that time.
    auto between = reader->copyImageAtTime(1.23, 0, 0, &actual, &error);
    ASSERT_TRUE(between) << error;
    EXPECT_NEAR(actual, 1.20, 1e-6);

    // Seeking back again gives the very same picture as before.
    auto again = reader->copyImageAtTime(0.6, 0, 0, &actual, &error);
    ASSERT_TRUE(again) << error;
    EXPECT_LT(difference(*early, *again), 0.01);
    // The test pattern moves, so frames a second apart differ visibly.
    EXPECT_GT(difference(*early, *between), 1.0);
}

TEST(VideoFrameReader, ToleranceLetsTheKeyFrameAnswer)
{
    auto reader = media::VideoFrameReader::open(kSampleVideo);
    ASSERT_TRUE(reader);
    double actual = -1;
    // Key frames every 25 frames: 0.0, 1.0, 2.0 s.
    ASSERT_TRUE(reader->copyImageAtTime(
        1.7, media::VideoFrameReader::kAnyTolerance, media::VideoFrameReader::kAnyTolerance, &actual));
    EXPECT_NEAR(actual, 1.0, 1e-6);
    ASSERT_TRUE(reader->copyImageAtTime(1.7, 0.1, 0.1, &actual));
    EXPECT_NEAR(actual, 1.6, 1e-6);
    // The last frame answers for the very end.
    ASSERT_TRUE(reader->copyImageAtTime(reader->duration(), 0, 0, &actual));
    EXPECT_NEAR(actual, 2.36, 1e-6);
}

TEST(VideoFrameReader, ScalesIntoTheMaximumSizeButNeverEnlarges)
{
    auto reader = media::VideoFrameReader::open(kSampleVideo);
    ASSERT_TRUE(reader);
    // Maximum width and height (0: no bound), then the size expected.
    for (auto [maxWidth, maxHeight, width, height] :
        {std::array {160, 160, 160, 120}, std::array {0, 240, 320, 240}, std::array {4000, 4000, 640, 480}}) {
        reader->setMaximumSize(maxWidth, maxHeight);
        auto image = reader->copyImageAtTime(0);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixelWidth(), width);
        EXPECT_EQ(image->pixelHeight(), height);
        EXPECT_TRUE(allOpaque(*image));
    }
}

TEST(VideoFrameReader, RefusesBadInputWithAReason)
{
    std::string error;
    EXPECT_FALSE(media::VideoFrameReader::open("/nonexistent/movie.mp4", &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(media::VideoFrameReader::open(MIVO_SOURCE_DIR "/Resources/camera/make-samples.sh", &error));
    EXPECT_FALSE(error.empty());
    {
        // A FIFO is refused at once: libav's own open would wait for a writer.
        mivo::test::TimeLimit limit(30);
        auto fifo
            = std::filesystem::temp_directory_path() / ("mivo-fifo-" + std::to_string(::getpid()) + ".mp4");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        EXPECT_FALSE(media::VideoFrameReader::open(fifo, &error));
        std::filesystem::remove(fifo);
        EXPECT_EQ(error, "cannot open " + fifo.string() + ": it is a FIFO");
    }

    auto reader = media::VideoFrameReader::open(kSampleVideo);
    ASSERT_TRUE(reader);
    error.clear();
    EXPECT_FALSE(reader->copyImageAtTime(-1, 0, 0, nullptr, &error));
    EXPECT_EQ(error, "time outside the video");
    EXPECT_FALSE(reader->copyImageAtTime(10, 0, 0, nullptr, &error));
    EXPECT_FALSE(reader->copyImageAtTime(std::nan(""), 0, 0, nullptr, &error));
    // Still usable after a refused call.
    EXPECT_TRUE(reader->copyImageAtTime(2.0, 0, 0));
}

} // namespace
