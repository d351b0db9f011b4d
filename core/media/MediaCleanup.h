#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class IMivoDataBaseManager;

namespace media {

// Removes the files the app wrote that nothing will read again: the camera's recordings in the
// temporary folder, the savers' hidden files, a re-shot slot's earlier photo or movie and
// thumbnail, and a shot whose record was never committed (a kill between the two). It only ever
// touches names the app itself writes (MediaFileNames, MediaSaver::kTemporaryPrefix,
// kCameraPrefix) in the "picture" and "video" folders of the user folders under Documents and in
// the temporary folder, and never a name that any stored media record holds.
class MediaCleanup final {
public:
    // Prefix of the camera's recordings in the temporary folder.
    static constexpr const char* kCameraPrefix = "capture-";

    // The sweep of a fresh start: call once at launch, before anything is saved. Refuses (nullopt,
    // logged) while a save is on its way or the store has changes that are not committed, and
    // leaves the media folders alone when the store cannot say which names its records hold.
    // Returns how many files went.
    static std::optional<size_t> sweep(const std::filesystem::path& documents,
        const std::filesystem::path& temporary, IMivoDataBaseManager& store);
    // sweep() on the app's own folders and store.
    static std::optional<size_t> sweepAtLaunch();

    // After a record of `resourceType` ("image" or "video") moved from `oldNames` to other files
    // and was committed: removes each old name from the record's folder unless a stored record
    // of that type (or of an unknown one) still holds it. Does nothing while the store has
    // uncommitted changes (the record may not be stored yet).
    static void removeReplaced(const std::filesystem::path& folder, const std::string& resourceType,
        const std::vector<std::string>& oldNames, IMivoDataBaseManager& store);
};

} // namespace media
