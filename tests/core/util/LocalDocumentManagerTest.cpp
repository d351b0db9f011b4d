#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(LocalDocumentManagerTest, OnlyPlainNamesAreSafe)
{
    for (const char* name : {"1700000000000000.jpg", "_1700000000000000.jpg", "a.b.mp4", "照片.jpg"})
        EXPECT_TRUE(LocalDocumentManager::isSafeFileName(name)) << name;
    for (const char* name : {"", ".", "..", "../x.jpg", "a/b.jpg", "/etc/passwd", "a\\b.jpg", "x..jpg"})
        EXPECT_FALSE(LocalDocumentManager::isSafeFileName(name)) << name;
    EXPECT_FALSE(LocalDocumentManager::isSafeFileName(std::string("a\0b", 3)));
}

TEST(LocalDocumentManagerTest, FoldersLiveUnderTheCurrentUser)
{
    mivo::test::TempHome home;
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    EXPECT_FALSE(LocalDocumentManager::userFolder("picture"));
    EXPECT_TRUE(capture.contains("no current user"));

    foundation::UserDefaults::standard().set("kCurrentUser", "user1001");
    auto picture = LocalDocumentManager::userFolder("picture");
    ASSERT_TRUE(picture);
    EXPECT_EQ(*picture, foundation::Paths::documents() / "user1001" / "picture");
    EXPECT_TRUE(std::filesystem::is_directory(*picture));
    EXPECT_EQ(LocalDocumentManager::fileInUserFolder("video", "1.mp4"),
        foundation::Paths::documents() / "user1001" / "video" / "1.mp4");

    capture.clear();
    EXPECT_FALSE(LocalDocumentManager::fileInUserFolder("video", "../../secret"));
    EXPECT_TRUE(capture.contains("refused file name \"../../secret\""));
    // A link planted under a plain name leads nowhere either.
    auto outside = foundation::Paths::documents() / "outside.txt";
    std::filesystem::create_symlink(outside, *picture / "planted.jpg");
    capture.clear();
    EXPECT_FALSE(LocalDocumentManager::fileInUserFolder("picture", "planted.jpg"));
    EXPECT_TRUE(capture.contains("it is a link out of the user's folder"));
    EXPECT_FALSE(std::filesystem::exists(outside));

    foundation::UserDefaults::standard().set("kCurrentUser", "../elsewhere");
    EXPECT_FALSE(LocalDocumentManager::userFolder("picture"));
}

TEST(LocalDocumentManagerTest, NoFolderOnTheWayMayLeadOutOfTheHome)
{
    namespace fs = std::filesystem;
    mivo::test::TempHome home;
    fs::path outside = fs::temp_directory_path() / ("mivo-outside-" + std::to_string(::getpid()));
    foundation::writeFileAtomically(outside / "docs" / "user1001" / "picture" / "secret.jpg", "secret");
    foundation::UserDefaults::standard().set("kCurrentUser", "user1001");
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    fs::path documents = foundation::Paths::documents();

    // The media folder, the user's folder or Documents itself leading to the outside, where the
    // file asked for exists: each is refused.
    struct Plant {
        fs::path link;
        fs::path target;
    };
    for (const auto& plant :
        {Plant {documents / "user1001" / "picture", outside / "docs" / "user1001" / "picture"},
            Plant {documents / "user1001", outside / "docs" / "user1001"},
            Plant {documents, outside / "docs"}}) {
        SCOPED_TRACE(plant.link.string());
        fs::remove_all(documents);
        fs::create_directories(plant.link.parent_path());
        fs::create_symlink(plant.target, plant.link);
        capture.clear();
        EXPECT_FALSE(LocalDocumentManager::fileInUserFolder("picture", "secret.jpg"));
        EXPECT_FALSE(LocalDocumentManager::userFolder("picture"));
        EXPECT_TRUE(capture.contains("a link leads it out of the app's home"));
        fs::remove(plant.link);
    }
    fs::remove_all(outside);

    // Plain folders are made as before.
    fs::remove_all(documents);
    EXPECT_EQ(LocalDocumentManager::fileInUserFolder("picture", "1.jpg"),
        foundation::Paths::documents() / "user1001" / "picture" / "1.jpg");
}

} // namespace
