#include "tests/server/InProcessServer.h"

#include "server/Thumbnailer.h"

#include <fstream>
#include <gtest/gtest.h>

using server::Thumbnailer;
using servertest::jpegSize;
using servertest::makeJpeg;

namespace {

std::string asString(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(ThumbnailerPhotos, ScalesByDctToCoverTheTarget)
{
    std::string big = makeJpeg(4032, 3024);
    auto thumb = Thumbnailer::photoThumbnail(std::vector<uint8_t>(big.begin(), big.end()));
    EXPECT_EQ(jpegSize(asString(thumb)), std::make_pair(504, 378)); // 1/8
    std::string small = makeJpeg(200, 100);
    auto same = Thumbnailer::photoThumbnail(std::vector<uint8_t>(small.begin(), small.end()));
    EXPECT_EQ(jpegSize(asString(same)), std::make_pair(200, 100)); // never enlarged
    EXPECT_TRUE(Thumbnailer::photoThumbnail({1, 2, 3}).empty());
}

// The first frame of a real video is shown by the upload test.
TEST(ThumbnailerVideos, PlaceholderWhenNoFrameDecodes)
{
    char pattern[] = "/tmp/mivo-thumb-test-XXXXXX";
    std::filesystem::path dir = mkdtemp(pattern);
    std::ofstream(dir / "broken.mp4") << "not a video";
    ASSERT_TRUE(Thumbnailer::makeThumbnail(dir / "broken.mp4", dir / "thumb.jpg", true));
    std::ifstream in(dir / "thumb.jpg", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(jpegSize(bytes), std::make_pair(160, 120));
    std::filesystem::remove_all(dir);
}
