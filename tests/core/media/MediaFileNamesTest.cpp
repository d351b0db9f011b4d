#include "core/media/MediaFileNames.h"

#include "platform/foundation/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using media::MediaFileNames;

TEST(MediaFileNames, NeverReusesATakenStamp)
{
    fs::path folder = fs::temp_directory_path() / ("mivo-names-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const int64_t stamp = 1733500000000000;
    EXPECT_EQ(MediaFileNames::freeStamp(folder, stamp, MediaFileNames::Kind::Photo), stamp);

    // The photo of the same second is taken, then only its thumbnail, then a dangling link.
    ASSERT_TRUE(foundation::writeFileAtomically(folder / "1733500000000000.jpg", "x"));
    EXPECT_EQ(MediaFileNames::freeStamp(folder, stamp, MediaFileNames::Kind::Photo), stamp + 1);
    ASSERT_TRUE(foundation::writeFileAtomically(folder / "_1733500000000001.jpg", "x"));
    EXPECT_EQ(MediaFileNames::freeStamp(folder, stamp, MediaFileNames::Kind::Photo), stamp + 2);
    fs::create_symlink(folder / "gone", folder / "1733500000000002.jpg");
    EXPECT_EQ(MediaFileNames::freeStamp(folder, stamp, MediaFileNames::Kind::Photo), stamp + 3);
    // A video only minds video names and thumbnails.
    EXPECT_EQ(MediaFileNames::freeStamp(folder, stamp, MediaFileNames::Kind::Video), stamp);
    ASSERT_TRUE(foundation::writeFileAtomically(folder / "1733500000000000.mp4", "x"));
    EXPECT_EQ(MediaFileNames::freeStamp(folder, stamp, MediaFileNames::Kind::Video), stamp + 2);
    fs::remove_all(folder);
}

} // namespace
