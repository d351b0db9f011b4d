#include "core/media/MediaSaver.h"

#include "core/media/Thumbnailer.h"
#include "core/media/VideoRemuxer.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>
#include <unistd.h>

namespace media {

namespace fs = std::filesystem;

namespace {

enum class WriteResult { Written, Exists, Failed };

std::string temporaryName(const char* extension)
{
    static std::atomic<uint64_t> counter {0};
    static const uint64_t seed = std::random_device {}();
    return foundation::format("%s%016llx-%llu%s", MediaSaver::kTemporaryPrefix,
        static_cast<unsigned long long>(seed), static_cast<unsigned long long>(counter++), extension);
}

// Writes bytes into a new hidden file of the folder and flushes them to the disk.
std::optional<fs::path> writeTemporary(
    const fs::path& folder, const char* extension, const std::vector<uint8_t>& bytes, std::string* error)
{
    fs::path path = folder / temporaryName(extension);
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) {
        if (error)
            *error = "cannot create " + path.string() + ": " + std::strerror(errno);
        return std::nullopt;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0
        && ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        if (error)
            *error = "cannot write " + path.string();
        std::error_code ignored;
        fs::remove(path, ignored);
        return std::nullopt;
    }
    return path;
}

// Gives a prepared file its name without ever replacing a file that is there. The prepared name
// stays too (a hard link) until the whole media is placed, so a half-placed media can be undone.
WriteResult placeNewFile(const fs::path& from, const fs::path& to, std::string* error)
{
    std::error_code code;
    fs::create_hard_link(from, to, code);
    if (code == std::errc::file_exists)
        return WriteResult::Exists;
    if (!code)
        return WriteResult::Written;
    // A file system without hard links: the name was free a moment ago on this same thread.
    if (fs::exists(to, code))
        return WriteResult::Exists;
    fs::rename(from, to, code);
    if (code) {
        if (error)
            *error = "cannot name " + to.string() + ": " + code.message();
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

// Takes a name given by placeNewFile() back.
void unplace(const fs::path& from, const fs::path& to)
{
    std::error_code code;
    if (fs::exists(from, code))
        fs::remove(to, code);
    else
        fs::rename(to, from, code);
}

} // namespace

std::optional<PreparedMedia> MediaSaver::preparePhoto(
    const graphics::Image& image, const fs::path& folder, std::string* error)
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
    upright.reset();
    auto thumbnail = Thumbnailer::fromJpeg(*photo, error);
    if (!thumbnail)
        return std::nullopt;
    auto photoFile = writeTemporary(folder, ".jpg", *photo, error);
    if (!photoFile)
        return std::nullopt;
    prepared.mediaFile = std::move(*photoFile);
    if (!attachThumbnail(prepared, folder, *thumbnail, error))
        return std::nullopt;
    return prepared;
}

std::optional<PreparedMedia> MediaSaver::prepareVideo(
    const fs::path& movie, const fs::path& videoFolder, std::string* error)
{
    PreparedMedia prepared;
    prepared.kind = MediaFileNames::Kind::Video;
    fs::path movieFile = videoFolder / temporaryName(".mp4");
    if (!VideoRemuxer::copyAsMp4(movie, movieFile, error))
        return std::nullopt;
    prepared.mediaFile = movieFile;
    if (!foundation::syncFile(movieFile)) {
        if (error)
            *error = "cannot flush " + movieFile.string() + " to the disk";
        discard(prepared);
        return std::nullopt;
    }
    auto thumbnail = Thumbnailer::fromVideo(movieFile, error);
    if (!thumbnail || !attachThumbnail(prepared, videoFolder, *thumbnail, error)) {
        discard(prepared);
        return std::nullopt;
    }
    return prepared;
}

bool MediaSaver::attachThumbnail(PreparedMedia& prepared, const fs::path& folder,
    const std::vector<uint8_t>& thumbnail, std::string* error)
{
    auto file = writeTemporary(folder, ".jpg", thumbnail, error);
    if (!file) {
        discard(prepared);
        return false;
    }
    prepared.thumbnailFile = std::move(*file);
    return true;
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

        WriteResult result = placeNewFile(prepared.thumbnailFile, screenshot, error);
        if (result == WriteResult::Exists)
            continue;
        if (result == WriteResult::Failed)
            break;
        result = placeNewFile(prepared.mediaFile, resource, error);
        if (result != WriteResult::Written) {
            unplace(prepared.thumbnailFile, screenshot);
            if (result == WriteResult::Exists)
                continue;
            break;
        }
        discard(prepared);
        if (!foundation::syncDirectory(folder)) {
            if (error)
                *error = "cannot flush " + folder.string() + " to the disk";
            std::error_code ignored;
            fs::remove(resource, ignored);
            fs::remove(screenshot, ignored);
            return std::nullopt;
        }
        saved.resourceFilePath = resource.string();
        saved.screenshotPath = screenshot.string();
        return saved;
    }
    discard(prepared);
    return std::nullopt;
}

void MediaSaver::discard(PreparedMedia& prepared)
{
    std::error_code ignored;
    for (fs::path* file : {&prepared.mediaFile, &prepared.thumbnailFile}) {
        if (!file->empty())
            fs::remove(*file, ignored);
        file->clear();
    }
}

} // namespace media
