#pragma once

#include "core/media/MediaFileNames.h"
#include "platform/graphics/Forward.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace media {

// A taken photo or movie made ready for its folder: the encoding, copying and thumbnail work,
// which may run on any thread. Both files are already in the folder under hidden temporary names
// and flushed to the disk, so naming them is all that is left.
struct PreparedMedia {
    MediaFileNames::Kind kind = MediaFileNames::Kind::Photo;
    std::filesystem::path mediaFile; // the photo's JPEG or the movie
    std::filesystem::path thumbnailFile; // JPEG
};

// Where a saved file and its thumbnail ended up.
struct SavedMedia {
    std::string resourceName;
    std::string resourceFilePath;
    std::string screenshotName;
    std::string screenshotPath;
};

// Saves taken media into a per-user folder: the file "<stamp>.jpg" or "<stamp>.mp4" and its
// thumbnail "_<stamp>.jpg". prepare*() do the heavy work anywhere; store() names and places the
// files and should run on one thread (the main one) so that names are handed out in order.
class MediaSaver final {
public:
    static constexpr int kPhotoQuality = 90;
    // Prefix of the hidden names that prepared files wait under until store() names them; a file
    // of this name is never one a record names.
    static constexpr const char* kTemporaryPrefix = ".incoming-";

    static std::optional<PreparedMedia> preparePhoto(
        const graphics::Image&, const std::filesystem::path& folder, std::string* error = nullptr);
    static std::optional<PreparedMedia> prepareVideo(const std::filesystem::path& movie,
        const std::filesystem::path& videoFolder, std::string* error = nullptr);

    // Names the prepared files with the first free stamp from `stamp` on and flushes the folder,
    // so a record written afterwards never names a file that a power cut could lose. A file that
    // exists is never replaced. On failure nothing of this media is left in the folder.
    static std::optional<SavedMedia> store(
        PreparedMedia&, const std::filesystem::path& folder, int64_t stamp, std::string* error = nullptr);
    // Drops the prepared temporary files.
    static void discard(PreparedMedia&);

private:
    // Writes the thumbnail beside the prepared media; on failure discards both.
    static bool attachThumbnail(PreparedMedia&, const std::filesystem::path& folder,
        const std::vector<uint8_t>& thumbnail, std::string* error);
};

} // namespace media
