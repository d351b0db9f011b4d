#include "core/media/CommonUtil.h"

#include "core/media/MediaCleanup.h"
#include "core/media/MediaSaver.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/DateUtil.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <atomic>
#include <functional>
#include <optional>
#include <utility>

namespace {

namespace fs = std::filesystem;
using foundation::Map;
using media::MediaSaver;
using media::PreparedMedia;
using media::SavedMedia;

constexpr const char* kSaveVideoQueue = "com.brevane-savevideo";
constexpr const char* kSavePhotoQueue = "com.brevane-savephoto";
constexpr const char* kPending = "PENDING";
constexpr const char* kToUpload = "TOUPLOAD";
constexpr const char* kImage = "image";
constexpr const char* kVideo = "video";

std::atomic<int> s_savesInFlight {0};

// Counts a save from the shutter until the last copy of its job is done or dropped.
std::shared_ptr<void> countInFlight()
{
    ++s_savesInFlight;
    return std::shared_ptr<void>(nullptr, [](void*) { --s_savesInFlight; });
}

// A movie the camera recorded into the temporary folder is the app's own to remove.
void removeCameraMovie(const fs::path& movie)
{
    std::error_code code;
    if (!movie.empty() && fs::equivalent(movie.parent_path(), foundation::Paths::temporary(), code))
        fs::remove(movie, code);
}

// One taken photo or movie on its way into the user's folder.
struct SaveJob {
    std::shared_ptr<void> inFlight = countInFlight();
    bool movie = false;
    std::shared_ptr<graphics::Image> image;
    fs::path movieURL;
    fs::path folder;
    std::optional<PreparedMedia> prepared;
    std::string error;

    const char* kind() const { return movie ? "movie" : "photo"; }

    // Main thread: places the files under the current time stamp (or the next free one).
    std::optional<SavedMedia> store()
    {
        // Without prepared media the reason is in `error` already.
        std::optional<SavedMedia> saved;
        if (prepared && !foundation::createDirectories(folder))
            error = "cannot create " + folder.string();
        else if (prepared)
            saved = MediaSaver::store(*prepared, folder, DateUtil::getCurrentTimeIntervalSince1970(), &error);
        if (!saved)
            fail();
        return saved;
    }

    void fail(const std::string& reason = {})
    {
        if (prepared)
            MediaSaver::discard(*prepared);
        foundation::log(
            foundation::format("cannot save the %s: %s", kind(), (reason.empty() ? error : reason).c_str()));
    }
};

// Prepares the media on a new serial queue, then hands the job to `finish` on the main queue.
// `finish` holds main-thread objects (records): it is moved along, never copied or released on
// the worker.
void saveInBackground(const ui::ImagePickerInfo& info, std::function<void(SaveJob&)> finish)
{
    SaveJob job;
    job.movie = info.mediaType == ui::ImagePickerInfo::kMediaTypeMovie;
    job.image = info.originalImage;
    job.movieURL = info.mediaURL;
    auto folder = LocalDocumentManager::userFolder(
        job.movie ? LocalDocumentManager::kVideoFolder : LocalDocumentManager::kPictureFolder);
    if (!folder) {
        job.fail("no media folder for the current user");
        removeCameraMovie(job.movieURL);
        return;
    }
    job.folder = *folder;

    auto queue = foundation::DispatchQueue::createSerial(job.movie ? kSaveVideoQueue : kSavePhotoQueue);
    // Released on return: the queue still runs the job, and nothing waits for it.
    queue->async([job = std::move(job), finish = std::move(finish)]() mutable {
        if (job.movie)
            job.prepared = MediaSaver::prepareVideo(job.movieURL, job.folder, &job.error);
        else if (job.image)
            job.prepared = MediaSaver::preparePhoto(*job.image, job.folder, &job.error);
        else
            job.error = "the picker gave no photo";
        job.image.reset();
        foundation::DispatchQueue::main().async([job = std::move(job), finish = std::move(finish)]() mutable {
            finish(job);
            if (job.movie)
                removeCameraMovie(job.movieURL);
        });
    });
}

Map savedValues(const SavedMedia& saved)
{
    return Map {
        {"resourceFilePath", saved.resourceFilePath},
        {"resourceName", saved.resourceName},
        {"screenshotName", saved.screenshotName},
        {"screenshotPath", saved.screenshotPath},
        {"taskStatus", kPending},
    };
}

// Points the record at the new files, then lets its earlier ones go.
void replaceFiles(IMivoDataBaseManager& store, const std::shared_ptr<MivoUploadTask>& record,
    const Map& values, const fs::path& folder)
{
    std::vector<std::string> earlier {record->resourceName(), record->screenshotName()};
    store.updateMivoUploadTask(record, values);
    media::MediaCleanup::removeReplaced(folder, record->resourceType(), earlier, store);
}

// The task's record that a shot of a rejected task replaces: a photo's has the same carID and
// taskPosition (a video record that happens to share the position is never taken for it), the
// video's the same carID and the type "video".
std::shared_ptr<MivoUploadTask> matchingRecord(
    IMivoDataBaseManager& store, const MivoUploadTask& shot, bool movie, bool& failed)
{
    auto records = movie ? store.listMivoUploadTasks(
                       data::Predicate::withFormat("carID=%@ and resourceType=%@", shot.carID(), kVideo))
                         : store.listMivoUploadTasks(data::Predicate::withFormat(
                             "carID=%@ and taskPosition=%@", shot.carID(), shot.taskPosition()));
    failed = !records;
    if (!records)
        return nullptr;
    for (const auto& record : *records)
        if (movie || record->resourceType() != kVideo)
            return record;
    return nullptr;
}

} // namespace

void CommonUtil::imagePickerController(const ui::ImagePickerController*, const ui::ImagePickerInfo& info,
    ShotIndexPath selectID, const SectionLists& localSectionListData, std::function<void()> saved)
{
    saveInBackground(info, [selectID, lists = localSectionListData, done = std::move(saved)](SaveJob& job) {
        size_t section = selectID.section == 1 ? 1 : 0;
        if (section >= lists.size() || selectID.row < 0 || size_t(selectID.row) >= lists[section].size()
            || !lists[section][size_t(selectID.row)]) {
            job.fail(foundation::format("no record at section %lld row %lld",
                static_cast<long long>(selectID.section), static_cast<long long>(selectID.row)));
            return;
        }
        auto saved = job.store();
        if (!saved)
            return;
        const auto& record = lists[section][size_t(selectID.row)];
        Map values = savedValues(*saved);
        values["createTime"] = record->value("createTime");
        values["resourceType"] = record->value("resourceType");
        values["taskPosition"] = record->value("taskPosition");
        replaceFiles(*IMivoDataBaseManager::sharedManager(), record, values, job.folder);
        if (done)
            done();
    });
}

void CommonUtil::imagePickerControllerForSyn(const ui::ImagePickerController*,
    const ui::ImagePickerInfo& info, ShotIndexPath,
    const std::shared_ptr<MivoUploadTask>& localSectionListData, std::weak_ptr<MediaSaveTarget> target)
{
    saveInBackground(info, [shot = localSectionListData, target = std::move(target)](SaveJob& job) {
        if (!shot) {
            job.fail("no record for the shot");
            return;
        }
        auto saved = job.store();
        if (!saved)
            return;
        Map values = savedValues(*saved);
        values["applyNO"] = shot->applyNO();
        values["createTime"] = foundation::Date::now();
        values["resourceType"] = job.movie ? kVideo : kImage;
        values["taskPosition"] = shot->taskPosition();
        values["carID"] = shot->carID();
        if (!job.movie) {
            values["fileUrl"] = shot->fileUrl();
            values["thumbnail"] = shot->thumbnail();
        }

        auto store = IMivoDataBaseManager::sharedManager();
        bool failed = false;
        auto record = matchingRecord(*store, *shot, job.movie, failed);
        // The grid's own new, unsaved record is the one to insert when nothing matches.
        if (!record && !failed)
            record = shot->isInserted() ? shot : store->getMivoUploadEntity(MivoUploadTask::kEntityName);
        if (!record) {
            foundation::log(foundation::format(
                "cannot store the record of the %s %s", job.kind(), saved->resourceName.c_str()));
            return;
        }
        replaceFiles(*store, record, values, job.folder);
        if (auto screen = target.lock())
            screen->loadCollectionViewData();
    });
}

int CommonUtil::savesInFlight()
{
    return s_savesInFlight.load();
}

void CommonUtil::upDateTaskStatusAfterBack(const std::string& applyNO, const SectionLists& allResourceData)
{
    auto store = IMivoDataBaseManager::sharedManager();
    auto pending = [&](const char* type) {
        return store->listMivoUploadTasks(data::Predicate::withFormat(
            "applyNO=%@ and resourceType=%@ and taskStatus=%@", applyNO, type, kPending));
    };
    auto videos = pending(kVideo);
    auto images = pending(kImage);
    if (!videos || !images)
        return;
    // Unsigned on purpose: a first list of fewer than three records never qualifies.
    size_t shots = allResourceData.empty() ? 0 : allResourceData[0].size();
    if (videos->empty() || images->size() < shots - 3u)
        return;

    auto tasks = store->listMivoTasks(data::Predicate::withFormat("applyNO=%@", applyNO));
    if (!tasks || tasks->empty())
        return;
    const auto& task = tasks->front();
    store->updateMivoTask(task,
        Map {
            {"taskStatus", kToUpload},
            {"carID", task->carID()},
            {"oldApplyNO", task->oldApplyNO()},
        });
}
