#include "core/media/MediaSaver.h"

#include "core/media/Thumbnailer.h"
#include "core/media/VideoRemuxer.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace media {

namespace fs = std::filesystem;

namespace {

enum class WriteResult { Written, Exists, Failed };

// Creates the file only when it does not exist yet, so a name is never taken twice.
WriteResult writeNewFile(const fs::path& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) {
        if (errno == EEXIST)
            return WriteResult::Exists;
        if (error)
            *error = "cannot create " + path.string() + ": " + std::strerror(errno);
        return WriteResult::Failed;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        if (error)
            *error = "cannot write " + path.string();
        std::error_code ignored;
        fs::remove(path, ignored);
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

// Moves the temporary movie to its name without ever replacing a file that is there.
WriteResult placeNewFile(const fs::path& from, const fs::path& to, std::string* error)
{
    std::error_code code;
    fs::create_hard_link(from, to, code);
    if (code == std::errc::file_exists)
        return WriteResult::Exists;
    if (!code) {
        fs::remove(from, code);
        return WriteResult::Written;
    }
    // A file system without hard links: the name was free a moment ago on this same thread.
    if (fs::exists(to, code))
        return WriteResult::Exists;
    fs::rename(from, to, code);
    if (code) {
        if (error)
            *error = "cannot move the movie to " + to.string() + ": " + code.message();
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

std::string temporaryMovieName()
{
    static std::atomic<uint64_t> counter {0};
    static const uint64_t seed = std::random_device {}();
    return foundation::format(".incoming-%016llx-%llu.mp4", static_cast<unsigned long long>(seed),
        static_cast<unsigned long long>(counter++));
}

} // namespace

std::optional<PreparedMedia> MediaSaver::preparePhoto(const graphics::Image& image, std::string* error)
{
    if (!image.isBitmapBacked()) {
        if (error)
            *error = "the photo has no pixels";
        return std::nullopt;
    }
    PreparedMedia prepared;
    prepared.kind = MediaFileNames::Kind::Photo;
    // The file carries no orientation tag, so its pixels are written upright, and the thumbnail
    // made from them is upright too.
    auto upright = image.upright();
    if (!upright) {
        if (error)
            *error = "out of memory turning the photo upright";
        return std::nullopt;
    }
    auto photo = graphics::JpegCodec::encode(*upright, kPhotoQuality, error);
    if (!photo)
        return std::nullopt;
    prepared.photo = std::move(*photo);
    auto thumbnail = Thumbnailer::fromJpeg(prepared.photo, error);
    if (!thumbnail)
        return std::nullopt;
    prepared.thumbnail = std::move(*thumbnail);
    return prepared;
}

std::optional<PreparedMedia> MediaSaver::prepareVideo(
    const fs::path& movie, const fs::path& videoFolder, std::string* error)
{
    PreparedMedia prepared;
    prepared.kind = MediaFileNames::Kind::Video;
    prepared.movieFile = videoFolder / temporaryMovieName();
    if (!VideoRemuxer::copyAsMp4(movie, prepared.movieFile, error))
        return std::nullopt;
    auto thumbnail = Thumbnailer::fromVideo(prepared.movieFile, error);
    if (!thumbnail) {
        discard(prepared);
        return std::nullopt;
    }
    prepared.thumbnail = std::move(*thumbnail);
    return prepared;
}

std::optional<SavedMedia> MediaSaver::store(
    PreparedMedia& prepared, const fs::path& folder, int64_t stamp, std::string* error)
{
    for (;; ++stamp) {
        stamp = MediaFileNames::freeStamp(folder, stamp, prepared.kind);
        SavedMedia saved;
        saved.resourceName = MediaFileNames::mediaName(stamp, prepared.kind);
        saved.screenshotName = MediaFileNames::thumbnailName(stamp);
        fs::path resource = folder / saved.resourceName;
        fs::path screenshot = folder / saved.screenshotName;

        // The thumbnail goes first: it is small, and the movie's move cannot be undone cheaply.
        WriteResult result = writeNewFile(screenshot, prepared.thumbnail, error);
        if (result == WriteResult::Exists)
            continue;
        if (result == WriteResult::Failed)
            break;
        result = prepared.kind == MediaFileNames::Kind::Video
            ? placeNewFile(prepared.movieFile, resource, error)
            : writeNewFile(resource, prepared.photo, error);
        if (result != WriteResult::Written) {
            std::error_code ignored;
            fs::remove(screenshot, ignored);
            if (result == WriteResult::Exists)
                continue;
            break;
        }
        saved.resourceFilePath = resource.string();
        saved.screenshotPath = screenshot.string();
        prepared.movieFile.clear();
        return saved;
    }
    discard(prepared);
    return std::nullopt;
}

void MediaSaver::discard(PreparedMedia& prepared)
{
    if (prepared.movieFile.empty())
        return;
    std::error_code ignored;
    fs::remove(prepared.movieFile, ignored);
    prepared.movieFile.clear();
}

} // namespace media
