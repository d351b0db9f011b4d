#include "server/MediaStore.h"
#include "server/ServerTime.h"

#include <fstream>
#include <gtest/gtest.h>

using server::MediaStore;
using server::ServerTime;

TEST(MediaStoreNames, OnlyPlainFileNamesPass)
{
    EXPECT_TRUE(MediaStore::isSafeName("1456000000000000.jpg"));
    EXPECT_TRUE(MediaStore::isSafeName("_1456.jpg"));
    EXPECT_TRUE(MediaStore::isSafeName("照片 1.jpg"));
    for (const std::string& bad : std::vector<std::string> {"", ".", "..", "../a.jpg", "a/../b", "a/b.jpg",
             "/etc/passwd", "a\\b", "a..b", std::string("a\0b", 3), "a\nb", "c:x", std::string(201, 'a')})
        EXPECT_FALSE(MediaStore::isSafeName(bad)) << bad;
}

TEST(MediaStoreNames, UrlsResolveOnlyToStoredFiles)
{
    char pattern[] = "/tmp/mivo-media-test-XXXXXX";
    std::filesystem::path dir = mkdtemp(pattern);
    {
        MediaStore media(dir);
        std::filesystem::create_directories(media.root() / "7" / "thumbs");
        std::ofstream(media.filePath(7, MediaStore::storedName(2, "a.jpg"))) << "x";
        std::ofstream(media.thumbPath(7, MediaStore::thumbName(2, "a.mp4"))) << "x";
        std::ofstream(dir / "secret") << "x";

        EXPECT_EQ(MediaStore::fileUrl(7, "2-a.jpg"), "/media/7/2-a.jpg");
        EXPECT_TRUE(media.resolve("/media/7/2-a.jpg"));
        EXPECT_TRUE(media.resolve(MediaStore::thumbUrl(7, "2-a.jpg")));
        EXPECT_FALSE(media.resolve("/media/7/3-a.jpg"));
        EXPECT_FALSE(media.resolve("/media/7/../../secret"));
        EXPECT_FALSE(media.resolve("/media/../secret"));
        EXPECT_FALSE(media.resolve("/media/x/2-a.jpg"));
        EXPECT_FALSE(media.resolve("/media/7/thumbs/../2-a.jpg"));
        EXPECT_FALSE(media.resolve("/media/7"));
        EXPECT_EQ(MediaStore::contentTypeFor("x.MP4"), "video/mp4");
        EXPECT_EQ(MediaStore::contentTypeFor("x.jpg"), "image/jpeg");
    }
    std::filesystem::remove_all(dir);
}

TEST(ServerTimeText, ParsesTheFormsClientsSendAndRoundTrips)
{
    auto t = ServerTime::parseLocal("2016-03-01 10:20:30");
    ASSERT_TRUE(t);
    EXPECT_EQ(ServerTime::formatLocal(*t), "2016-03-01 10:20:30");
    EXPECT_EQ(ServerTime::parseLocal("2016/03/01 10:20:30"), t);
    EXPECT_EQ(ServerTime::parseLocal("2016-03-01T10:20:30"), t);
    EXPECT_EQ(ServerTime::parseLocal("2016-03-01 10:20"), *t - 30);
    EXPECT_EQ(ServerTime::parseLocal("2016-03-01"), *t - 10 * 3600 - 20 * 60 - 30);
    EXPECT_EQ(ServerTime::parseLocal("1456827630"), 1456827630.0);
    for (const char* bad : {"", "yesterday", "2016-13-01", "2016-03-01 25:00:00", "2016-03-01 10:20:30x"})
        EXPECT_FALSE(ServerTime::parseLocal(bad)) << bad;
}
