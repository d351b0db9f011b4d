#include "platform/webimage/ImageCache.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/net/HttpRequest.h"
#include "platform/webimage/MemoryCache.h"
#include "platform/webimage/ScreenDecodeBudget.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace webimage {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "WebImageCache";
constexpr const char* kPartialSuffix = ".partial";
constexpr int kReadConcurrency = 4;

size_t costOf(const graphics::Image& image)
{
    return size_t(image.pixelHeight()) * size_t(image.stride());
}

// Writes through a temporary file in the same folder and renames it into place, so a reader or
// a crash never sees half a file.
bool writeAtomically(const fs::path& path, const std::string& bytes, std::string* error)
{
    static std::atomic<uint64_t> sequence {0};
    fs::path partial = path;
    partial += "." + std::to_string(::getpid()) + "-" + std::to_string(sequence++) + kPartialSuffix;
    if (!foundation::writeNewFile(partial, bytes, foundation::FileFlush::No, error))
        return false;
    std::error_code code;
    fs::rename(partial, path, code);
    if (code) {
        *error = "cannot rename " + partial.string() + ": " + code.message();
        fs::remove(partial, code);
        return false;
    }
    return true;
}

// Our file names: 32 hex digits, and a partial file being written under one.
bool isCacheFileName(std::string_view name)
{
    constexpr size_t kHashLength = 32;
    if (name.size() < kHashLength || !std::all_of(name.begin(), name.begin() + kHashLength, [](char c) {
            return std::isxdigit(uint8_t(c));
        }))
        return false;
    return name.size() == kHashLength || (name[kHashLength] == '.' && name.ends_with(kPartialSuffix));
}

// Removes the regular files of the cache's own names, and nothing else: no folder, no link, nothing
// reached through a link (the folder itself is opened without following one).
void removeCacheFiles(const fs::path& folder)
{
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return;
    DIR* entries = ::fdopendir(descriptor);
    if (!entries) {
        ::close(descriptor);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        struct stat info { };
        if (isCacheFileName(entry->d_name)
            && ::fstatat(descriptor, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            ::unlinkat(descriptor, entry->d_name, 0);
    }
    ::closedir(entries);
}

} // namespace

// The queued work holds the state by plain pointer: the state ends on the cache's own thread, after
// that work, never on a worker.
struct ImageCache::State {
    std::optional<fs::path> directory;
    mutable std::mutex mutex;
    MemoryCache memory {kDefaultMaxMemoryCost};
    graphics::DecodeBudget budget {screenDecodeBudget()};
    // Last, so they go first: their destructors finish the queued work, which uses the members
    // above, and join their threads.
    foundation::OperationQueue ioQueue; // serial: writes, removals, clearing
    foundation::OperationQueue readQueue; // reads and decodes, several at once

    // Made on the first write.
    fs::path folder() const { return directory ? *directory : foundation::Paths::caches() / kFolderName; }
    // What the folder must stay inside: the home, or the given folder's parent.
    fs::path root() const { return directory ? directory->parent_path() : foundation::Paths::home(); }

    std::shared_ptr<graphics::Image> fromMemory(const std::string& key)
    {
        std::lock_guard lock(mutex);
        return memory.find(key);
    }

    void keep(const std::string& key, const std::shared_ptr<graphics::Image>& image)
    {
        std::lock_guard lock(mutex);
        memory.insert(key, image, costOf(*image));
    }

    // The decoded disk copy, or nullptr. A file that no longer decodes is removed.
    std::shared_ptr<graphics::Image> fromDisk(const std::string& key)
    {
        fs::path path = folder() / cacheFileName(key);
        // A folder, FIFO or link under the name is none of ours: left alone, and no image.
        auto file = foundation::RegularFile::open(path);
        if (!file)
            return nullptr;
        graphics::DecodeBudget decodeBudget;
        {
            std::lock_guard lock(mutex);
            decodeBudget = budget;
        }
        std::string why;
        // No copy is larger than the download it was made of may be.
        auto bytes = file->readBytes(uint64_t(net::HttpRequest::kMediaMaxBodySize), &why);
        auto image = bytes ? graphics::decodeImage(*bytes, decodeBudget, &why) : nullptr;
        if (!image) {
            foundation::logf("web image cache: dropping %s: %s", path.filename().c_str(), why.c_str());
            std::error_code error;
            fs::remove(path, error);
            return nullptr;
        }
        keep(key, image);
        return image;
    }
};

ImageCache& ImageCache::sharedImageCache()
{
    // Made after the main run loop, so the loop outlives the cache's workers that post to it.
    foundation::RunLoop::main();
    static ImageCache cache;
    return cache;
}

ImageCache::ImageCache(std::optional<fs::path> directory)
    : m_state(std::make_unique<State>())
{
    m_state->directory = std::move(directory);
    m_state->ioQueue.setMaxConcurrentOperationCount(1);
    m_state->readQueue.setMaxConcurrentOperationCount(kReadConcurrency);
}

ImageCache::~ImageCache() = default;

std::shared_ptr<graphics::Image> ImageCache::imageFromMemoryCache(const std::string& key) const
{
    return m_state->fromMemory(key);
}

std::shared_ptr<graphics::Image> ImageCache::imageFromDiskCache(const std::string& key)
{
    if (auto image = m_state->fromMemory(key))
        return image;
    return m_state->fromDisk(key);
}

void ImageCache::queryDiskCache(
    const std::string& key, std::function<void(std::shared_ptr<graphics::Image>)> done)
{
    m_state->readQueue.addOperation([state = m_state.get(), key, done = std::move(done)]() mutable {
        auto image = state->fromDisk(key);
        foundation::RunLoop::main().post(
            [done = std::move(done), image = std::move(image)]() mutable { done(std::move(image)); });
    });
}

void ImageCache::storeImage(
    const std::string& key, std::shared_ptr<graphics::Image> image, std::shared_ptr<const std::string> data)
{
    if (!image)
        return;
    m_state->keep(key, image);
    if (!data || data->empty())
        return;
    m_state->ioQueue.addOperation([state = m_state.get(), key, data = std::move(data)] {
        fs::path path = state->folder() / cacheFileName(key);
        if (!foundation::createDirectoriesBelow(state->root(), path.parent_path())) {
            foundation::logf("web image cache: %s is not a folder of its own", path.parent_path().c_str());
            return;
        }
        std::string error;
        if (!writeAtomically(path, *data, &error))
            foundation::log("web image cache: " + error);
    });
}

void ImageCache::removeImage(const std::string& key)
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->memory.remove(key);
    }
    m_state->ioQueue.addOperation([state = m_state.get(), key] {
        std::error_code ignored;
        fs::remove(state->folder() / cacheFileName(key), ignored);
    });
}

void ImageCache::clearMemory()
{
    std::lock_guard lock(m_state->mutex);
    m_state->memory.clear();
}

void ImageCache::clearDisk(std::function<void()> done)
{
    m_state->ioQueue.addOperation([state = m_state.get(), done = std::move(done)]() mutable {
        fs::path folder = state->folder();
        if (foundation::isBelowWithoutLinks(state->root(), folder))
            removeCacheFiles(folder);
        else
            foundation::logf("web image cache: not clearing %s: a link leads it elsewhere", folder.c_str());
        if (done)
            foundation::RunLoop::main().post(std::move(done));
    });
}

bool ImageCache::diskImageExists(const std::string& key) const
{
    std::error_code error;
    return fs::is_regular_file(cachePathForKey(key), error);
}

fs::path ImageCache::directory() const
{
    return m_state->folder();
}

fs::path ImageCache::cachePathForKey(const std::string& key) const
{
    return m_state->folder() / cacheFileName(key);
}

std::string ImageCache::cacheFileName(const std::string& key)
{
    // 128-bit FNV-1a: stable across runs and builds, unlike std::hash.
    using u128 = unsigned __int128;
    constexpr u128 kPrime = (u128(0x0000000001000000ull) << 64) | 0x000000000000013Bull;
    constexpr u128 kOffset = (u128(0x6c62272e07bb0142ull) << 64) | 0x62b821756295c58dull;
    u128 hash = kOffset;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= kPrime;
    }
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash >> 64),
        static_cast<unsigned long long>(hash));
    return text;
}

graphics::DecodeBudget ImageCache::decodeBudget() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->budget;
}

void ImageCache::setDecodeBudget(const graphics::DecodeBudget& budget)
{
    std::lock_guard lock(m_state->mutex);
    m_state->budget = budget;
}

size_t ImageCache::memoryCost() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->memory.totalCost();
}

size_t ImageCache::memoryCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->memory.count();
}

size_t ImageCache::maxMemoryCost() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->memory.maxCost();
}

void ImageCache::setMaxMemoryCost(size_t bytes)
{
    std::lock_guard lock(m_state->mutex);
    m_state->memory.setMaxCost(bytes);
}

size_t ImageCache::diskCount() const
{
    size_t count = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(m_state->folder(), error); !error && it != fs::directory_iterator();
         it.increment(error))
        count += it->is_regular_file(error) && it->path().extension() != kPartialSuffix;
    return count;
}

uint64_t ImageCache::diskSize() const
{
    uint64_t size = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(m_state->folder(), error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        if (it->is_regular_file(error) && it->path().extension() != kPartialSuffix)
            size += it->file_size(error);
    }
    return size;
}

void ImageCache::waitForDiskWrites()
{
    m_state->ioQueue.waitUntilAllOperationsAreFinished();
}

} // namespace webimage
