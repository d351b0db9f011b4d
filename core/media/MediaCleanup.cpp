#include "core/media/MediaCleanup.h"

#include "core/media/CommonUtil.h"
#include "core/media/MediaFileNames.h"
#include "core/media/MediaSaver.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <system_error>
#include <unordered_map>

namespace media {

namespace fs = std::filesystem;

namespace {

// Every attribute of a media record that names a file, by name or by a path ending in its name.
const std::vector<std::string> kFileAttributes
    = {"resourceName", "screenshotName", "resourceFilePath", "screenshotPath", "fileUrl", "thumbnail"};

constexpr const char* kImageType = "image";
constexpr const char* kVideoType = "video";

std::string_view lastComponent(std::string_view text)
{
    size_t slash = text.find_last_of('/');
    return slash == std::string_view::npos ? text : text.substr(slash + 1);
}

// A folder that is really there: a link could lead the sweep out of the home.
bool isRealFolder(const fs::path& path)
{
    std::error_code code;
    return fs::symlink_status(path, code).type() == fs::file_type::directory;
}

bool isRegularFile(const fs::path& path)
{
    std::error_code code;
    return fs::symlink_status(path, code).type() == fs::file_type::regular;
}

// The store may only be read for names when everything it will hold is committed.
bool storeIsSettled(IMivoDataBaseManager& store)
{
    auto context = store.managedObjectContext();
    return context && !context->hasChanges() && !context->isInTransaction();
}

// Files of the app's own stamp names by name (one name may stand in several user folders); a
// string_view finds a name without making a string.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view> {}(name); }
};
using Candidates = std::unordered_map<std::string, std::vector<fs::path>, NameHash, std::equal_to<>>;

bool removeFile(const fs::path& path)
{
    std::error_code code;
    return fs::remove(path, code);
}

// Removes the savers' hidden files at once and gathers the stamp-named files.
size_t scanMediaFolder(const fs::path& folder, Candidates& candidates)
{
    size_t removed = 0;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        std::string name = it->path().filename().string();
        if (!isRegularFile(it->path()))
            continue;
        if (name.starts_with(MediaSaver::kTemporaryPrefix))
            removed += removeFile(it->path());
        else if (MediaFileNames::isStampName(name))
            candidates[name].push_back(it->path());
    }
    return removed;
}

// Strikes every candidate that a stored media record names; false when the store cannot say.
// The records are read after the folders, so the set to look names up in is the files on disk
// (small), not the names of every record (tens of thousands).
bool strikeReferenced(IMivoDataBaseManager& store, Candidates& candidates)
{
    auto context = store.managedObjectContext();
    if (!context)
        return false;
    std::string error;
    auto strike = [&](std::string_view text) {
        if (auto found = candidates.find(lastComponent(text)); found != candidates.end())
            candidates.erase(found);
    };
    if (!context->visitTexts(MivoUploadTask::kEntityName, kFileAttributes, strike, &error)) {
        foundation::logf("--------error------@cannot read the media records' file names: %s", error.c_str());
        return false;
    }
    return true;
}

size_t sweepCameraRecordings(const fs::path& temporary)
{
    size_t removed = 0;
    std::error_code code;
    for (fs::directory_iterator it(temporary, code), end; !code && it != end; it.increment(code)) {
        std::string name = it->path().filename().string();
        if (name.starts_with(MediaCleanup::kCameraPrefix) && name.ends_with(".mp4")
            && isRegularFile(it->path()) && removeFile(it->path()))
            ++removed;
    }
    return removed;
}

} // namespace

std::optional<size_t> MediaCleanup::sweep(
    const fs::path& documents, const fs::path& temporary, IMivoDataBaseManager& store)
{
    if (CommonUtil::savesInFlight() > 0 || !storeIsSettled(store)) {
        foundation::log("media cleanup skipped: a save is under way");
        return std::nullopt;
    }
    size_t removed = isRealFolder(temporary) ? sweepCameraRecordings(temporary) : 0;
    Candidates candidates;
    std::error_code code;
    for (fs::directory_iterator it(documents, code), end; isRealFolder(documents) && !code && it != end;
         it.increment(code)) {
        if (!LocalDocumentManager::isSafeFileName(it->path().filename().string())
            || !isRealFolder(it->path()))
            continue;
        for (const char* kind : {LocalDocumentManager::kPictureFolder, LocalDocumentManager::kVideoFolder}) {
            if (isRealFolder(it->path() / kind))
                removed += scanMediaFolder(it->path() / kind, candidates);
        }
    }
    if (!candidates.empty() && strikeReferenced(store, candidates)) {
        for (const auto& [name, files] : candidates)
            for (const auto& file : files)
                removed += removeFile(file);
    }
    if (removed > 0)
        foundation::logf("media cleanup removed %zu leftover files", removed);
    return removed;
}

std::optional<size_t> MediaCleanup::sweepAtLaunch()
{
    return sweep(foundation::Paths::documents(), foundation::Paths::temporary(),
        *IMivoDataBaseManager::sharedManager());
}

void MediaCleanup::removeReplaced(const fs::path& folder, const std::string& resourceType,
    const std::vector<std::string>& oldNames, IMivoDataBaseManager& store)
{
    if (!storeIsSettled(store))
        return;
    for (const auto& name : oldNames) {
        if (!MediaFileNames::isStampName(name))
            continue;
        fs::path file = folder / name;
        auto holders = store.listMivoUploadTasks(data::Predicate::withFormat(
            "resourceName=%@ or screenshotName=%@ or resourceFilePath=%@ or screenshotPath=%@", name, name,
            file.string(), file.string()));
        if (!holders)
            continue;
        // Photos and movies keep their files in folders of their own, and a photo and a movie of
        // one second share their thumbnail's name: a record of the other kind names the other file.
        bool held = std::any_of(holders->begin(), holders->end(), [&](const auto& holder) {
            std::string type = holder->resourceType();
            return type == resourceType || (type != kImageType && type != kVideoType);
        });
        if (!held && isRegularFile(file))
            removeFile(file);
    }
}

} // namespace media
