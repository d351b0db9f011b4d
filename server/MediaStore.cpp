#include "server/MediaStore.h"

#include <unistd.h>

namespace server {

MediaStore::MediaStore(std::filesystem::path dataDir)
    : m_root(dataDir / "media")
    , m_temp(dataDir / "tmp")
{
    std::filesystem::create_directories(m_root);
    std::filesystem::create_directories(m_temp);
    // Leftovers of uploads cut short by a crash.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_temp, ec))
        std::filesystem::remove(entry.path(), ec);
}

bool MediaStore::isSafeName(std::string_view name)
{
    if (name.empty() || name.size() > 200 || name == "." || name == "..")
        return false;
    if (name.find("..") != std::string_view::npos)
        return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':')
            return false;
    }
    return true;
}

std::string MediaStore::storedName(int64_t seq, const std::string& fileName)
{
    return std::to_string(seq) + "-" + fileName;
}

std::string MediaStore::thumbName(int64_t seq, const std::string& fileName)
{
    return std::to_string(seq) + "-" + std::filesystem::path(fileName).stem().string() + ".jpg";
}

std::filesystem::path MediaStore::filePath(int64_t taskId, const std::string& storedName) const
{
    return m_root / std::to_string(taskId) / storedName;
}

std::filesystem::path MediaStore::thumbPath(int64_t taskId, const std::string& thumbName) const
{
    return m_root / std::to_string(taskId) / "thumbs" / thumbName;
}

std::string MediaStore::encodePathComponent(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '_' || c == '.' || c == '~';
        if (unreserved) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

std::string MediaStore::fileUrl(int64_t taskId, const std::string& storedName)
{
    return "/media/" + std::to_string(taskId) + "/" + encodePathComponent(storedName);
}

std::string MediaStore::thumbUrl(int64_t taskId, const std::string& thumbName)
{
    return "/media/" + std::to_string(taskId) + "/thumbs/" + encodePathComponent(thumbName);
}

std::optional<std::filesystem::path> MediaStore::resolve(std::string_view urlPath) const
{
    constexpr std::string_view kPrefix = "/media/";
    if (!urlPath.starts_with(kPrefix))
        return std::nullopt;
    urlPath.remove_prefix(kPrefix.size());
    auto slash = urlPath.find('/');
    if (slash == std::string_view::npos || slash == 0)
        return std::nullopt;
    std::string_view taskId = urlPath.substr(0, slash);
    for (char c : taskId) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    std::string_view rest = urlPath.substr(slash + 1);
    std::filesystem::path path = m_root / std::string(taskId);
    if (rest.starts_with("thumbs/")) {
        rest.remove_prefix(7);
        path /= "thumbs";
    }
    if (!isSafeName(rest))
        return std::nullopt;
    path /= std::string(rest);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return std::nullopt;
    return path;
}

std::string MediaStore::contentTypeFor(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".jpg" || ext == ".jpeg")
        return "image/jpeg";
    if (ext == ".png")
        return "image/png";
    if (ext == ".gif")
        return "image/gif";
    if (ext == ".mp4" || ext == ".m4v")
        return "video/mp4";
    if (ext == ".mov")
        return "video/quicktime";
    return "application/octet-stream";
}

std::filesystem::path MediaStore::newTempFile()
{
    return m_temp
        / ("upload-" + std::to_string(::getpid()) + "-" + std::to_string(++m_tempCounter) + ".part");
}

} // namespace server
