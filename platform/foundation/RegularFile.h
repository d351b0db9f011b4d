#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

// A regular file opened for reading. Opening never blocks (a FIFO's open would wait for a writer
// for good) and follows no final symbolic link; a folder, FIFO, socket, device or link is refused,
// so a reader never takes such a thing's size or contents for a file's. Closed on destruction.
class RegularFile final {
public:
    // The file at `path`, or nullopt with "cannot open <path>: <why>" in *error.
    static std::optional<RegularFile> open(const std::filesystem::path& path, std::string* error = nullptr);

    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    int descriptor() const { return m_descriptor; }
    // The size when it was opened.
    uint64_t size() const { return m_size; }

    // The whole file from its start, when its size is at most `maxBytes`; nullopt with
    // "cannot read <path>: <why>" in *error otherwise. A file that shrank since it was opened gives
    // what is left; one that grew gives its size when opened.
    std::optional<std::string> readText(uint64_t maxBytes, std::string* error = nullptr) const;
    std::optional<std::vector<uint8_t>> readBytes(uint64_t maxBytes, std::string* error = nullptr) const;

private:
    RegularFile(int descriptor, uint64_t size, std::filesystem::path path);
    template<class Buffer> std::optional<Buffer> readAll(uint64_t maxBytes, std::string* error) const;
    // Reads up to `size` bytes from the start; *size becomes the count read.
    bool readInto(void* data, size_t* size, std::string* error) const;

    int m_descriptor {-1};
    uint64_t m_size {0};
    std::filesystem::path m_path;
};

// Why the item at `path` is no regular file ("it is a FIFO"), looked at without following a link;
// nullopt for a regular file, and when nothing is there.
std::optional<std::string> whyNotRegularFile(const std::filesystem::path& path);

// Files read whole where no tighter limit applies: the user defaults, the subtitles, resources.
constexpr uint64_t kDefaultMaxFileBytes = uint64_t(64) << 20;

// The whole of the regular file at `path`, through RegularFile.
std::optional<std::string> readRegularFile(
    const std::filesystem::path& path, uint64_t maxBytes, std::string* error = nullptr);

} // namespace foundation
