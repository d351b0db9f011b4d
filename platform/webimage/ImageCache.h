#pragma once

#include "platform/graphics/Forward.h"
#include "platform/graphics/ImageDecoding.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace webimage {

// Where a loaded image came from.
enum class CacheType { None, Memory, Disk };

// Images of web URLs, keyed by the URL: decoded ones in memory (bounded by bytes, least recently
// used dropped first) and the downloaded files on disk, each named by a hash of its key, in a
// folder under Library/Caches. Thread-safe. Disk writes and clearing run in order on a queue of
// the cache's own; a file appears whole or not at all. Destroying a cache finishes the disk work
// queued on it first.
class ImageCache final {
public:
    static constexpr size_t kDefaultMaxMemoryCost = 128u * 1024 * 1024;

    // The process-wide cache, in Library/Caches/WebImageCache of the current home.
    static ImageCache& sharedImageCache();

    // A cache in `directory`; without one, in Library/Caches/WebImageCache of the home at the
    // time of each disk access.
    explicit ImageCache(std::optional<std::filesystem::path> directory = std::nullopt);
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    std::shared_ptr<graphics::Image> imageFromMemoryCache(const std::string& key) const;
    // The memory copy, else the disk copy decoded (and kept in memory). Reads the disk on the
    // calling thread.
    std::shared_ptr<graphics::Image> imageFromDiskCache(const std::string& key);
    // Reads and decodes the disk copy on a worker; `done` runs on the main queue with the image,
    // or nullptr when there is none (or it no longer decodes; such a file is dropped).
    void queryDiskCache(const std::string& key, std::function<void(std::shared_ptr<graphics::Image>)> done);

    // Keeps the image in memory and, with `data` (the bytes as downloaded), writes them to disk.
    void storeImage(const std::string& key, std::shared_ptr<graphics::Image> image,
        std::shared_ptr<const std::string> data = nullptr);
    void removeImage(const std::string& key);

    void clearMemory();
    // Empties the disk cache after the writes queued before it; `done` runs on the main queue. Only
    // the regular files the cache wrote go: never a folder, a link or what one leads to, and nothing
    // when the cache's folder is reached through a link.
    void clearDisk(std::function<void()> done = {});

    bool diskImageExists(const std::string& key) const;
    std::filesystem::path directory() const;
    // The file that holds (or would hold) the key's bytes.
    std::filesystem::path cachePathForKey(const std::string& key) const;
    // The file name of a key: 32 hex digits of a 128-bit hash, so no URL reaches the file system.
    static std::string cacheFileName(const std::string& key);

    // What decoding a disk copy may take (the downloader's default); a copy over it is dropped.
    graphics::DecodeBudget decodeBudget() const;
    void setDecodeBudget(const graphics::DecodeBudget&);

    size_t memoryCost() const;
    size_t memoryCount() const;
    size_t maxMemoryCost() const;
    void setMaxMemoryCost(size_t bytes);
    // Files in the disk cache and their total size.
    size_t diskCount() const;
    uint64_t diskSize() const;
    // Blocks until the disk writes queued so far are done (for tests and shutdown).
    void waitForDiskWrites();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace webimage
