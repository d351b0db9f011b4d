#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace server {

// Where uploaded files and their thumbnails live, and the URL paths they are served under:
//   file       <data>/media/<taskId>/<seq>-<name>         "/media/<taskId>/<seq>-<name>"
//   thumbnail  <data>/media/<taskId>/thumbs/<seq>-<stem>.jpg   "/media/<taskId>/thumbs/<seq>-<stem>.jpg"
// No name from a request ever reaches the file system unchecked.
class MediaStore {
public:
    explicit MediaStore(std::filesystem::path dataDir);

    const std::filesystem::path& root() const { return m_root; }
    const std::filesystem::path& tempDir() const { return m_temp; }

    // A plain file name: not empty, at most 200 bytes, no path separator, no "..", no control characters.
    static bool isSafeName(std::string_view name);

    static std::string storedName(int64_t seq, const std::string& fileName);
    static std::string thumbName(int64_t seq, const std::string& fileName);
    std::filesystem::path filePath(int64_t taskId, const std::string& storedName) const;
    std::filesystem::path thumbPath(int64_t taskId, const std::string& thumbName) const;
    // URL paths carry the names percent-encoded (a name may hold spaces or Chinese).
    static std::string encodePathComponent(std::string_view text);
    static std::string fileUrl(int64_t taskId, const std::string& storedName);
    static std::string thumbUrl(int64_t taskId, const std::string& thumbName);

    // The file behind a URL path under "/media/", or nullopt when the path is malformed, hostile or absent.
    std::optional<std::filesystem::path> resolve(std::string_view urlPath) const;
    static std::string contentTypeFor(const std::filesystem::path& path);

    // A fresh file name in the temp folder for one incoming upload.
    std::filesystem::path newTempFile();

private:
    std::filesystem::path m_root;
    std::filesystem::path m_temp;
    std::atomic<uint64_t> m_tempCounter {0};
};

} // namespace server
