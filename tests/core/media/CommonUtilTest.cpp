#include "core/media/CommonUtil.h"

#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using foundation::Map;
using Records = std::vector<std::shared_ptr<MivoUploadTask>>;

const fs::path kSampleVideo = MIVO_SOURCE_DIR "/Resources/camera/sample-video.mp4";
const fs::path kSamplePhoto = MIVO_SOURCE_DIR "/Resources/camera/sample-photo-1.jpg";

// "%lld" of a time stamp in microseconds: sixteen digits, then the extension.
bool isStampName(const std::string& name, const std::string& extension)
{
    return name.size() == 16 + extension.size() && name.ends_with(extension)
        && std::all_of(name.begin(), name.begin() + 16, [](char c) { return c >= '0' && c <= '9'; });
}

// Checks that a file is a JPEG of this size.
void expectJpeg(const fs::path& file, int width, int height)
{
    auto image = graphics::JpegCodec::decodeFile(file);
    ASSERT_TRUE(image) << file;
    EXPECT_EQ(image->pixelWidth(), width) << file;
    EXPECT_EQ(image->pixelHeight(), height) << file;
}

constexpr double kTimeout = 20.0;

class CommonUtilTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
        foundation::UserDefaults::standard().set(LocalDocumentManager::kCurrentUserKey, "user7");
        m_store = IMivoDataBaseManager::sharedManager();
        ASSERT_TRUE(m_store->managedObjectContext());
        m_picture = m_home.path() / "Documents" / "user7" / "picture";
        m_video = m_home.path() / "Documents" / "user7" / "video";
    }

    void TearDown() override
    {
        // Lets any save still on its way land before the store goes.
        foundation::RunLoop::main().runUntil([] { return false; }, 0.05);
        m_store.reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
        foundation::RunLoop::main().reset();
    }

    // A local task as the create-task screen stores it: `shots` photo records and one video.
    CommonUtil::SectionLists makeTask(const std::string& applyNO, int shots)
    {
        EXPECT_TRUE(m_store->insertMivoTask(Map {{"applyNO", applyNO}, {"taskStatus", "PENDING"},
            {"baseLocation", "上海"}, {"createTime", m_created}}));
        std::vector<Map> records;
        for (int i = 1; i <= shots + 1; ++i)
            records.push_back(Map {{"applyNO", applyNO}, {"createTime", m_created},
                {"resourceType", i <= shots ? "image" : "video"}, {"taskPosition", std::to_string(i)},
                {"taskStatus", "DEFAULT"}, {"carID", ""}, {"resourceName", ""}, {"resourceFilePath", ""},
                {"screenshotName", ""}, {"screenshotPath", ""}});
        EXPECT_TRUE(m_store->insertMivoUploadTasks(records));
        return {list(applyNO, "image"), list(applyNO, "video")};
    }

    Records list(const std::string& applyNO, const std::string& type)
    {
        return m_store
            ->listMivoUploadTasks(
                data::Predicate::withFormat("applyNO=%@ and resourceType=%@", applyNO, type))
            .value_or(Records {});
    }

    static ui::ImagePickerInfo photoInfo()
    {
        ui::ImagePickerInfo info;
        info.mediaType = ui::ImagePickerInfo::kMediaTypeImage;
        info.originalImage = graphics::JpegCodec::decodeFile(kSamplePhoto);
        return info;
    }

    static ui::ImagePickerInfo movieInfo()
    {
        ui::ImagePickerInfo info;
        info.mediaType = ui::ImagePickerInfo::kMediaTypeMovie;
        info.mediaURL = kSampleVideo;
        return info;
    }

    static bool runUntil(const std::function<bool()>& done)
    {
        return foundation::RunLoop::main().runUntil(done, kTimeout);
    }
    static bool runUntilPending(const Records& records)
    {
        return runUntil([&] {
            return std::all_of(
                records.begin(), records.end(), [](auto& r) { return r->taskStatus() == "PENDING"; });
        });
    }

    mivo::test::TempHome m_home;
    std::shared_ptr<IMivoDataBaseManager> m_store;
    fs::path m_picture;
    fs::path m_video;
    foundation::Date m_created {1733000000.0};
};

class RecordingTarget final : public MediaSaveTarget {
public:
    void loadCollectionViewData() override
    {
        ++loads;
        if (watched)
            statusAtLoad = watched->taskStatus();
    }
    int loads = 0;
    std::shared_ptr<MivoUploadTask> watched;
    std::string statusAtLoad;
};

TEST_F(CommonUtilTest, EachSaverFillsTheRecordAtItsRowAndNoOther)
{
    auto lists = makeTask("A100", 13);
    auto photo = lists[0][2];
    auto movie = lists[1][0];
    CommonUtil::imagePickerController(nullptr, photoInfo(), {0, 2}, lists);
    CommonUtil::imagePickerController(nullptr, movieInfo(), {1, 0}, lists);
    // Returns at once: the records change later, on the main queue.
    EXPECT_EQ(photo->taskStatus(), "DEFAULT");
    EXPECT_EQ(movie->taskStatus(), "DEFAULT");
    ASSERT_TRUE(runUntilPending({photo, movie}));

    EXPECT_TRUE(isStampName(photo->resourceName(), ".jpg"));
    EXPECT_EQ(photo->screenshotName(), "_" + photo->resourceName());
    EXPECT_EQ(photo->resourceFilePath(), (m_picture / photo->resourceName()).string());
    EXPECT_EQ(photo->screenshotPath(), (m_picture / photo->screenshotName()).string());
    EXPECT_EQ(photo->createTime(), m_created);
    EXPECT_EQ(photo->resourceType(), "image");
    EXPECT_EQ(photo->taskPosition(), "3");
    EXPECT_EQ(photo->applyNO(), "A100");
    expectJpeg(photo->resourceFilePath(), 1600, 1200);
    expectJpeg(photo->screenshotPath(), 160, 120);

    EXPECT_TRUE(isStampName(movie->resourceName(), ".mp4"));
    EXPECT_EQ(movie->screenshotName(), "_" + movie->resourceName().substr(0, 16) + ".jpg");
    EXPECT_EQ(movie->resourceFilePath(), (m_video / movie->resourceName()).string());
    EXPECT_EQ(foundation::readFile(movie->resourceFilePath()), foundation::readFile(kSampleVideo));
    expectJpeg(movie->screenshotPath(), 160, 120);
    EXPECT_EQ(movie->createTime(), m_created);
    EXPECT_EQ(movie->resourceType(), "video");
    EXPECT_EQ(movie->taskPosition(), "14");

    // Nothing else changed, and the change is stored, not only in memory.
    for (size_t i = 0; i < lists[0].size(); ++i)
        EXPECT_EQ(lists[0][i]->taskStatus(), i == 2 ? "PENDING" : "DEFAULT") << i;
    auto name = photo->resourceName();
    lists.clear();
    photo.reset();
    movie.reset();
    m_store.reset();
    BaseDatabaseManager::resetSharedManagersForTesting();
    m_store = IMivoDataBaseManager::sharedManager();
    auto stored = m_store->listMivoUploadTasks(data::Predicate::withFormat("resourceName=%@", name));
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_EQ(stored->front()->taskStatus(), "PENDING");
    EXPECT_EQ(stored->front()->taskPosition(), "3");
}

TEST_F(CommonUtilTest, QuickShotsGetTheirOwnFiles)
{
    auto lists = makeTask("A102", 13);
    for (int row = 0; row < 3; ++row)
        CommonUtil::imagePickerController(nullptr, photoInfo(), {0, row}, lists);
    ASSERT_TRUE(runUntilPending({lists[0][0], lists[0][1], lists[0][2]}));
    std::set<std::string> names;
    for (int row = 0; row < 3; ++row) {
        names.insert(lists[0][row]->resourceName());
        EXPECT_TRUE(fs::exists(lists[0][row]->resourceFilePath()));
        EXPECT_TRUE(fs::exists(lists[0][row]->screenshotPath()));
    }
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_picture), fs::directory_iterator()), 6);
}

// The camera's movie is a FIFO nobody writes to: the saver has returned before its worker looks
// at it, and the worker refuses it at once instead of waiting for a writer for good.
TEST_F(CommonUtilTest, SaverReturnsAtOnceAndRefusesAMovieThatIsAFifo)
{
    mivo::test::TimeLimit limit(60);
    auto lists = makeTask("A104", 13);
    fs::path pipe = m_home.path() / "incoming.mp4";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ui::ImagePickerInfo info = movieInfo();
    info.mediaURL = pipe;
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    CommonUtil::imagePickerController(nullptr, info, {1, 0}, lists);
    EXPECT_EQ(lists[1][0]->taskStatus(), "DEFAULT");
    ASSERT_TRUE(runUntil([&] { return capture.contains("cannot save the movie"); }));
    EXPECT_TRUE(capture.contains("cannot open " + pipe.string() + ": it is a FIFO"));
    EXPECT_EQ(lists[1][0]->taskStatus(), "DEFAULT");
    EXPECT_TRUE(fs::is_empty(m_video)) << "no temporary file is left";
}

TEST_F(CommonUtilTest, SaverRefusesWhatItCannotPlace)
{
    auto lists = makeTask("A103", 13);
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);

    // No record at that row: nothing is written.
    CommonUtil::imagePickerController(nullptr, photoInfo(), {0, 99}, lists);
    ASSERT_TRUE(
        runUntil([&] { return capture.contains("cannot save the photo: no record at section 0 row 99"); }));
    EXPECT_TRUE(fs::is_empty(m_picture));

    // A movie that is no movie: the record stays as it was, no temporary file is left.
    for (fs::path notAMovie :
        {kSamplePhoto, fs::path(MIVO_SOURCE_DIR "/tests/core/media/data/cover-art-only.mp4")}) {
        capture.clear();
        ui::ImagePickerInfo broken = movieInfo();
        broken.mediaURL = notAMovie;
        CommonUtil::imagePickerController(nullptr, broken, {1, 0}, lists);
        ASSERT_TRUE(runUntil([&] { return capture.contains("cannot save the movie"); })) << notAMovie;
        EXPECT_EQ(lists[1][0]->taskStatus(), "DEFAULT");
        EXPECT_TRUE(fs::is_empty(m_video));
    }
    EXPECT_TRUE(capture.contains("the movie has no playable video track"));

    // A user folder name that would leave Documents: refused before anything is queued.
    foundation::UserDefaults::standard().set(LocalDocumentManager::kCurrentUserKey, "../../outside");
    CommonUtil::imagePickerController(nullptr, photoInfo(), {0, 0}, lists);
    EXPECT_TRUE(capture.contains("refused"));
    EXPECT_TRUE(capture.contains("cannot save the photo: no media folder for the current user"));
    foundation::RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(lists[0][0]->taskStatus(), "DEFAULT");
    EXPECT_FALSE(fs::exists(m_home.path() / "outside"));
    EXPECT_FALSE(fs::exists(m_home.path().parent_path() / "outside"));
}

TEST_F(CommonUtilTest, AShotTakenAgainLetsItsEarlierFilesGoOnceItsRecordIsStored)
{
    auto lists = makeTask("A105", 13);
    auto photo = lists[0][4];
    CommonUtil::imagePickerController(nullptr, photoInfo(), {0, 4}, lists);
    ASSERT_TRUE(runUntilPending({photo}));
    fs::path firstPhoto = photo->resourceFilePath(), firstThumbnail = photo->screenshotPath();

    CommonUtil::imagePickerController(nullptr, photoInfo(), {0, 4}, lists);
    ASSERT_TRUE(runUntil([&] { return photo->resourceFilePath() != firstPhoto.string(); }));
    EXPECT_FALSE(fs::exists(firstPhoto));
    EXPECT_FALSE(fs::exists(firstThumbnail));
    expectJpeg(photo->resourceFilePath(), 1600, 1200);
    expectJpeg(photo->screenshotPath(), 160, 120);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_picture), fs::directory_iterator()), 2);

    // A file that another record still names stays: here a server list's record of the same task.
    fs::path secondPhoto = photo->resourceFilePath();
    ASSERT_TRUE(
        m_store->insertMivoUploadTask(Map {{"applyNO", "A105"}, {"carID", "C1"}, {"taskStatus", "UPLOADED"},
            {"resourceType", "image"}, {"taskPosition", "5"}, {"resourceName", photo->resourceName()}}));
    CommonUtil::imagePickerController(nullptr, photoInfo(), {0, 4}, lists);
    ASSERT_TRUE(runUntil([&] { return photo->resourceFilePath() != secondPhoto.string(); }));
    EXPECT_TRUE(fs::exists(secondPhoto));

    // The video slot alike.
    auto movie = lists[1][0];
    CommonUtil::imagePickerController(nullptr, movieInfo(), {1, 0}, lists);
    ASSERT_TRUE(runUntilPending({movie}));
    fs::path firstMovie = movie->resourceFilePath();
    CommonUtil::imagePickerController(nullptr, movieInfo(), {1, 0}, lists);
    ASSERT_TRUE(runUntil([&] { return movie->resourceFilePath() != firstMovie.string(); }));
    EXPECT_FALSE(fs::exists(firstMovie));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_video), fs::directory_iterator()), 2);
}

TEST_F(CommonUtilTest, TheCamerasRecordingGoesOnceTheMovieIsSavedOrRefused)
{
    auto lists = makeTask("A106", 13);
    fs::path recording = foundation::Paths::temporary() / "capture-1-1.mp4";
    fs::copy_file(kSampleVideo, recording);
    ui::ImagePickerInfo info = movieInfo();
    info.mediaURL = recording;
    CommonUtil::imagePickerController(nullptr, info, {1, 0}, lists);
    ASSERT_TRUE(runUntilPending({lists[1][0]}));
    EXPECT_FALSE(fs::exists(recording));
    EXPECT_EQ(foundation::readFile(lists[1][0]->resourceFilePath()), foundation::readFile(kSampleVideo));

    // A recording that cannot be saved goes too; a movie outside the temporary folder is not the
    // app's to remove.
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    fs::copy_file(kSamplePhoto, recording);
    CommonUtil::imagePickerController(nullptr, info, {1, 0}, lists);
    ASSERT_TRUE(runUntil([&] { return capture.contains("cannot save the movie"); }));
    EXPECT_FALSE(fs::exists(recording));
    EXPECT_TRUE(fs::exists(kSampleVideo));
}

// A rejected task as the server's list brings it back: photos 1 to 3 and the video, uploaded.
class RejectedTaskTest : public CommonUtilTest {
protected:
    void SetUp() override
    {
        CommonUtilTest::SetUp();
        ASSERT_TRUE(
            m_store->insertMivoTask(Map {{"applyNO", "R1"}, {"taskStatus", "REJECTED"}, {"carID", "C9"}}));
        std::vector<Map> records;
        for (int i = 1; i <= 4; ++i)
            records.push_back(Map {{"applyNO", "R1"}, {"carID", "C9"}, {"taskPosition", std::to_string(i)},
                {"resourceType", i < 4 ? "image" : "video"}, {"taskStatus", "UPLOADED"},
                {"resourceName", "server" + std::to_string(i)}, {"fileUrl", "/files/" + std::to_string(i)},
                {"thumbnail", "/thumbs/" + std::to_string(i)}});
        ASSERT_TRUE(m_store->insertMivoUploadTasks(records));
        m_target = std::make_shared<RecordingTarget>();
    }

    Records withCarID()
    {
        return m_store->listMivoUploadTasks(data::Predicate::withFormat("carID=%@", "C9")).value();
    }

    std::shared_ptr<RecordingTarget> m_target;
};

TEST_F(RejectedTaskTest, ShotAgainUpdatesTheSlotAndKeepsTheServerPaths)
{
    auto record = list("R1", "image")[1];
    m_target->watched = record;
    CommonUtil::imagePickerControllerForSyn(nullptr, photoInfo(), {0, 1}, record, m_target);
    EXPECT_EQ(m_target->loads, 0);
    ASSERT_TRUE(runUntil([&] { return m_target->loads == 1; }));
    // The grid reloads after the record is written.
    EXPECT_EQ(m_target->statusAtLoad, "PENDING");
    EXPECT_EQ(record->taskPosition(), "2");
    EXPECT_EQ(record->resourceType(), "image");
    EXPECT_EQ(record->carID(), "C9");
    EXPECT_EQ(record->applyNO(), "R1");
    EXPECT_EQ(record->fileUrl(), "/files/2");
    EXPECT_EQ(record->thumbnail(), "/thumbs/2");
    EXPECT_TRUE(record->createTime().has_value());
    EXPECT_TRUE(isStampName(record->resourceName(), ".jpg"));
    expectJpeg(m_picture / record->screenshotName(), 160, 120);
    EXPECT_EQ(withCarID().size(), 4u);

    // Shot once more: the first shot's files go once the record names the new ones.
    fs::path firstPhoto = m_picture / record->resourceName(),
             firstThumbnail = m_picture / record->screenshotName();
    CommonUtil::imagePickerControllerForSyn(nullptr, photoInfo(), {0, 1}, record, m_target);
    ASSERT_TRUE(runUntil([&] { return m_target->loads == 2; }));
    EXPECT_NE(m_picture / record->resourceName(), firstPhoto);
    EXPECT_FALSE(fs::exists(firstPhoto));
    EXPECT_FALSE(fs::exists(firstThumbnail));
    expectJpeg(m_picture / record->screenshotName(), 160, 120);
}

TEST_F(RejectedTaskTest, AnEmptySlotGetsItsNewRecordStored)
{
    auto fresh = m_store->getMivoUploadEntity(MivoUploadTask::kEntityName);
    ASSERT_TRUE(fresh);
    fresh->setCarID("C9");
    fresh->setFileUrl("");
    fresh->setThumbnail("");
    fresh->setApplyNO("R1");
    fresh->setTaskPosition("5");
    CommonUtil::imagePickerControllerForSyn(nullptr, photoInfo(), {0, 4}, fresh, m_target);
    ASSERT_TRUE(runUntil([&] { return m_target->loads == 1; }));
    EXPECT_EQ(fresh->taskStatus(), "PENDING");
    EXPECT_FALSE(fresh->isInserted());
    auto slot = m_store->listMivoUploadTasks(
        data::Predicate::withFormat("carID=%@ and taskPosition=%@", "C9", "5"));
    ASSERT_TRUE(slot);
    ASSERT_EQ(slot->size(), 1u);
    EXPECT_EQ(slot->front(), fresh);
    EXPECT_EQ(slot->front()->resourceType(), "image");
    EXPECT_EQ(withCarID().size(), 5u);
}

TEST_F(RejectedTaskTest, MovieReplacesTheTasksVideoRecord)
{
    // The grid's fresh video record carries position "1", like the first photo.
    auto fresh = m_store->getMivoUploadEntity(MivoUploadTask::kEntityName);
    ASSERT_TRUE(fresh);
    fresh->setCarID("C9");
    fresh->setApplyNO("R1");
    fresh->setTaskPosition("1");
    auto video = list("R1", "video")[0];
    CommonUtil::imagePickerControllerForSyn(nullptr, movieInfo(), {1, 0}, video, m_target);
    ASSERT_TRUE(runUntil([&] { return m_target->loads == 1; }));
    EXPECT_EQ(video->taskStatus(), "PENDING");
    EXPECT_EQ(video->resourceType(), "video");
    EXPECT_EQ(video->taskPosition(), "4");
    EXPECT_TRUE(isStampName(video->resourceName(), ".mp4"));
    EXPECT_TRUE(fs::exists(m_video / video->resourceName()));
    EXPECT_EQ(list("R1", "video").size(), 1u);
    m_store->managedObjectContext()->deleteObject(fresh);
}

TEST_F(RejectedTaskTest, APhotoNeverTakesTheVideoRecordOfItsPosition)
{
    // A video record stored before the photos with the first photo's position.
    m_store->emptyTable(MivoUploadTask::kEntityName);
    ASSERT_TRUE(m_store->insertMivoUploadTasks({
        Map {{"applyNO", "R1"}, {"carID", "C9"}, {"taskPosition", "1"}, {"resourceType", "video"},
            {"taskStatus", "PENDING"}, {"resourceName", "keep.mp4"}},
        Map {{"applyNO", "R1"}, {"carID", "C9"}, {"taskPosition", "1"}, {"resourceType", "image"},
            {"taskStatus", "UPLOADED"}, {"fileUrl", "/files/1"}},
    }));
    auto records = withCarID();
    ASSERT_EQ(records.size(), 2u);
    CommonUtil::imagePickerControllerForSyn(nullptr, photoInfo(), {0, 0}, records[1], m_target);
    ASSERT_TRUE(runUntil([&] { return m_target->loads == 1; }));
    EXPECT_EQ(records[0]->resourceName(), "keep.mp4");
    EXPECT_EQ(records[0]->resourceType(), "video");
    EXPECT_EQ(records[1]->taskStatus(), "PENDING");
    EXPECT_EQ(records[1]->fileUrl(), "/files/1");
}

class ReadyToUploadTest : public CommonUtilTest {
protected:
    // Marks the first `photos` photo records and, when asked, the video as taken.
    void take(const CommonUtil::SectionLists& lists, size_t photos, bool video)
    {
        for (size_t i = 0; i < photos; ++i)
            m_store->updateMivoUploadTask(lists[0][i], Map {{"taskStatus", "PENDING"}});
        if (video)
            m_store->updateMivoUploadTask(lists[1][0], Map {{"taskStatus", "PENDING"}});
    }

    std::shared_ptr<MivoTask> task(const std::string& applyNO)
    {
        return m_store->listMivoTasks(data::Predicate::withFormat("applyNO=%@", applyNO)).value().at(0);
    }
};

TEST_F(ReadyToUploadTest, VideoAndAllButThreePhotos)
{
    auto lists = makeTask("T18", 18);
    take(lists, 14, true);
    CommonUtil::upDateTaskStatusAfterBack("T18", lists);
    EXPECT_EQ(task("T18")->taskStatus(), "PENDING");

    take(lists, 15, false);
    m_store->updateMivoUploadTask(lists[1][0], Map {{"taskStatus", "DEFAULT"}});
    CommonUtil::upDateTaskStatusAfterBack("T18", lists);
    EXPECT_EQ(task("T18")->taskStatus(), "PENDING");

    take(lists, 15, true);
    CommonUtil::upDateTaskStatusAfterBack("T18", lists);
    auto ready = task("T18");
    EXPECT_EQ(ready->taskStatus(), "TOUPLOAD");
    // Unset texts become empty texts; the rest stays.
    EXPECT_TRUE(ready->value("carID").isString());
    EXPECT_EQ(ready->carID(), "");
    EXPECT_TRUE(ready->value("oldApplyNO").isString());
    EXPECT_EQ(ready->baseLocation(), "上海");
    EXPECT_EQ(ready->createTime(), m_created);
}

TEST_F(ReadyToUploadTest, ShortFirstListsNeverQualify)
{
    // 0 - 3 and 2 - 3 wrap around as unsigned numbers: no count of photos reaches them.
    auto two = makeTask("T2", 2);
    take(two, 2, true);
    CommonUtil::upDateTaskStatusAfterBack("T2", two);
    EXPECT_EQ(task("T2")->taskStatus(), "PENDING");
    CommonUtil::upDateTaskStatusAfterBack("T2", {{}, two[1]});
    EXPECT_EQ(task("T2")->taskStatus(), "PENDING");
    CommonUtil::upDateTaskStatusAfterBack("T2", {});
    EXPECT_EQ(task("T2")->taskStatus(), "PENDING");

    // Three records need no photo at all, only the video.
    auto three = makeTask("T3", 3);
    take(three, 0, true);
    CommonUtil::upDateTaskStatusAfterBack("T3", three);
    EXPECT_EQ(task("T3")->taskStatus(), "TOUPLOAD");
}

} // namespace
