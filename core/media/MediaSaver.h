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
// which may run on any thread.
struct PreparedMedia {
    MediaFileNames::Kind kind = MediaFileNames::Kind::Photo;
    std::vector<uint8_t> photo; // the photo's JPEG
    std::filesystem::path movieFile; // the movie, already in its folder under a hidden temporary name
    std::vector<uint8_t> thumbnail; // JPEG
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

    static std::optional<PreparedMedia> preparePhoto(const graphics::Image&, std::string* error = nullptr);
    static std::optional<PreparedMedia> prepareVideo(const std::filesystem::path& movie,
        const std::filesystem::path& videoFolder, std::string* error = nullptr);

    // Writes the prepared media under the first free stamp from `stamp` on. A file that exists is
    // never replaced. On failure nothing of this media is left in the folder.
    static std::optional<SavedMedia> store(
        PreparedMedia&, const std::filesystem::path& folder, int64_t stamp, std::string* error = nullptr);
    // Drops a prepared movie's temporary file.
    static void discard(PreparedMedia&);
};

} // namespace media
