#include "core/media/MediaCleanup.h"

#include "core/media/CommonUtil.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/JpegCodec.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using foundation::Map;
using media::MediaCleanup;

class MediaCleanupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
        m_store = IMivoDataBaseManager::sharedManager();
        ASSERT_TRUE(m_store->managedObjectContext());
        m_documents = foundation::Paths::documents();
        m_temporary = foundation::Paths::temporary();
    }

    void TearDown() override
    {
        foundation::RunLoop::main().runUntil([] { return false; }, 0.05);
        m_store.reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
        foundation::RunLoop::main().reset();
    }

    fs::path plant(const fs::path& file)
    {
        EXPECT_TRUE(foundation::writeFileAtomically(file, "bytes"));
        return file;
    }

    std::optional<size_t> sweep() { return MediaCleanup::sweep(m_documents, m_temporary, *m_store); }

    mivo::test::TempHome m_home;
    std::shared_ptr<IMivoDataBaseManager> m_store;
    fs::path m_documents;
    fs::path m_temporary;
};

TEST_F(MediaCleanupTest, RemovesWhatNoRecordNamesAndKeepsEverythingElse)
{
    // Records of every kind, state and user: a local shot, a shot named only by its path, server
    // tasks whose file names came from the server's reply, a rejected slot shot again.
    std::vector<Map> records {
        {{"applyNO", "A1"}, {"taskStatus", "PENDING"}, {"resourceType", "image"},
            {"resourceName", "1733500000000001.jpg"}, {"screenshotName", "_1733500000000001.jpg"}},
        {{"applyNO", "A1"}, {"taskStatus", "PENDING"}, {"resourceType", "video"},
            {"resourceFilePath", (m_documents / "anna" / "video" / "1733500000000002.mp4").string()},
            {"screenshotPath", (m_documents / "anna" / "video" / "_1733500000000002.jpg").string()}},
        {{"applyNO", "F1"}, {"carID", "77"}, {"taskStatus", "UPLOADED"}, {"resourceType", "image"},
            {"resourceName", "1600000000000000.jpg"}, {"fileUrl", "/upload/1600000000000009.jpg"},
            {"thumbnail", "/upload/_1600000000000009.jpg"}},
        {{"applyNO", "R1"}, {"carID", "78"}, {"taskStatus", "PENDING"}, {"resourceType", "image"},
            {"resourceName", "1733500000000003.jpg"}, {"screenshotName", "_1733500000000003.jpg"}},
    };
    ASSERT_TRUE(m_store->insertMivoUploadTasks(records));

    std::vector<fs::path> kept;
    for (const char* user : {"anna", "ben"}) {
        fs::path picture = m_documents / user / "picture", video = m_documents / user / "video";
        for (const char* name :
            {"1733500000000001.jpg", "_1733500000000001.jpg", "1600000000000000.jpg", "1600000000000009.jpg",
                "_1600000000000009.jpg", "1733500000000003.jpg", "_1733500000000003.jpg", "notes.txt",
                "server-1.jpg", "IMG_0001.JPG", "12ab.jpg", "_1733500000000099.mp4", ".hidden.jpg"})
            kept.push_back(plant(picture / name));
        for (const char* name : {"1733500000000002.mp4", "_1733500000000002.jpg", "clip.mp4"})
            kept.push_back(plant(video / name));
        // Files of the app's own forms that nothing names: a shot whose record was never
        // committed, an earlier shot of a slot, and the savers' hidden files.
        for (const char* name : {"1733500000000010.jpg", "_1733500000000010.jpg", "_1733500000000011.jpg",
                 ".incoming-00ff-1.jpg"})
            EXPECT_TRUE(foundation::fileExists(plant(picture / name)));
        for (const char* name : {"1733500000000012.mp4", "_1733500000000012.jpg", ".incoming-00ff-2.mp4"})
            plant(video / name);
    }
    // Outside the media folders nothing is touched, stamp names included.
    kept.push_back(plant(m_documents / "anna" / "1733500000000020.jpg"));
    kept.push_back(plant(m_documents / "anna" / "other" / "1733500000000021.jpg"));
    kept.push_back(plant(m_documents / "1733500000000022.jpg"));
    kept.push_back(plant(m_temporary / "mivo-pasteboard.png"));
    kept.push_back(plant(m_temporary / "capture-notes.txt"));
    kept.push_back(m_documents / "IMivoDataBaseManager.sqlite");
    // The camera's recordings that a save never took.
    plant(m_temporary / "capture-123-0.mp4");
    plant(m_temporary / "capture-123-1.mp4");

    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    auto removed = sweep();
    ASSERT_TRUE(removed);
    EXPECT_EQ(*removed, 2u * 7 + 2);
    EXPECT_TRUE(capture.contains("media cleanup removed 16 leftover files"));
    for (const auto& file : kept)
        EXPECT_TRUE(fs::exists(file)) << file;
    for (const char* user : {"anna", "ben"}) {
        EXPECT_EQ(
            std::distance(fs::directory_iterator(m_documents / user / "picture"), fs::directory_iterator()),
            13);
        EXPECT_EQ(
            std::distance(fs::directory_iterator(m_documents / user / "video"), fs::directory_iterator()), 3);
    }
    EXPECT_FALSE(fs::exists(m_temporary / "capture-123-0.mp4"));
    EXPECT_EQ(sweep(), 0u) << "a second sweep finds nothing";
}

TEST_F(MediaCleanupTest, FollowsNoLinks)
{
    // A link in the home, planted or left by a restore, never leads the sweep elsewhere.
    fs::path outside = m_home.path() / "outside";
    plant(outside / "picture" / "1733500000000030.jpg");
    plant(outside / "1733500000000031.jpg");
    fs::create_directory_symlink(outside, m_documents / "linked-user");
    fs::create_directories(m_documents / "carl");
    fs::create_directory_symlink(outside, m_documents / "carl" / "picture");
    fs::create_directories(m_documents / "dora" / "picture");
    fs::create_symlink(
        outside / "1733500000000031.jpg", m_documents / "dora" / "picture" / "1733500000000031.jpg");

    EXPECT_EQ(sweep(), 0u);
    EXPECT_TRUE(fs::exists(outside / "picture" / "1733500000000030.jpg"));
    EXPECT_TRUE(fs::exists(outside / "1733500000000031.jpg"));
    EXPECT_TRUE(fs::is_symlink(m_documents / "dora" / "picture" / "1733500000000031.jpg"));
}

TEST_F(MediaCleanupTest, WaitsForSavesAndUncommittedRecords)
{
    foundation::UserDefaults::standard().set(LocalDocumentManager::kCurrentUserKey, "anna");
    ASSERT_TRUE(m_store->insertMivoUploadTask(Map {{"applyNO", "A2"}, {"taskStatus", "DEFAULT"},
        {"resourceType", "image"}, {"taskPosition", "1"}, {"resourceName", ""}, {"screenshotName", ""}}));
    auto record = m_store->listMivoUploadTasks(std::nullopt).value().front();
    fs::path orphan = plant(m_documents / "anna" / "picture" / "1733500000000040.jpg");

    // A photo on its way: between the shutter and its record nothing may go.
    ui::ImagePickerInfo info;
    info.mediaType = ui::ImagePickerInfo::kMediaTypeImage;
    info.originalImage
        = graphics::JpegCodec::decodeFile(MIVO_SOURCE_DIR "/Resources/camera/sample-photo-1.jpg");
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    CommonUtil::imagePickerController(nullptr, info, {0, 0}, {{record}, {}});
    EXPECT_EQ(CommonUtil::savesInFlight(), 1);
    EXPECT_FALSE(sweep());
    EXPECT_TRUE(capture.contains("media cleanup skipped"));
    EXPECT_TRUE(fs::exists(orphan));
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return record->taskStatus() == "PENDING"; }, 20));
    EXPECT_EQ(CommonUtil::savesInFlight(), 0);

    // A record inserted but not saved yet may name a file that is there already.
    auto unsaved = m_store->getMivoUploadEntity(MivoUploadTask::kEntityName);
    unsaved->setResourceName("1733500000000040.jpg");
    EXPECT_FALSE(sweep());
    EXPECT_TRUE(fs::exists(orphan));
    ASSERT_TRUE(m_store->saveContext());

    EXPECT_EQ(sweep(), 0u);
    EXPECT_TRUE(fs::exists(orphan));
    EXPECT_TRUE(fs::exists(record->resourceFilePath()));
    EXPECT_TRUE(fs::exists(record->screenshotPath()));
}

TEST_F(MediaCleanupTest, AStoreThatCannotBeReadKeepsEveryFile)
{
    m_store.reset();
    BaseDatabaseManager::resetSharedManagersForTesting();
    ASSERT_TRUE(foundation::writeFileAtomically(m_documents / "IMivoDataBaseManager.sqlite", "not a store"));
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    m_store = IMivoDataBaseManager::sharedManager();
    ASSERT_FALSE(m_store->managedObjectContext());
    fs::path shot = plant(m_documents / "anna" / "picture" / "1733500000000050.jpg");
    EXPECT_FALSE(sweep());
    EXPECT_TRUE(fs::exists(shot));
}

} // namespace
