#include "platform/foundation/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace foundation {

namespace {

// Why an item that is there is no regular file; empty for a regular file.
std::string notRegular(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISLNK(mode))
        return "it is a symbolic link";
    if (S_ISFIFO(mode))
        return "it is a FIFO";
    if (S_ISSOCK(mode))
        return "it is a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device";
    return "it is not a regular file";
}

void setError(
    std::string* error, const char* action, const std::filesystem::path& path, const std::string& why)
{
    if (error)
        *error = std::string(action) + " " + path.string() + ": " + why;
}

} // namespace

std::optional<RegularFile> RegularFile::open(const std::filesystem::path& path, std::string* error)
{
    // Looked at first so that a device is not even opened; the descriptor's own status decides.
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0) {
        setError(error, "cannot open", path, std::strerror(errno));
        return std::nullopt;
    }
    if (auto why = notRegular(info.st_mode); !why.empty()) {
        setError(error, "cannot open", path, why);
        return std::nullopt;
    }
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        setError(error, "cannot open", path, errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
        return std::nullopt;
    }
    RegularFile file(descriptor, 0, path);
    if (::fstat(descriptor, &info) != 0) {
        setError(error, "cannot open", path, std::strerror(errno));
        return std::nullopt;
    }
    if (auto why = notRegular(info.st_mode); !why.empty()) {
        setError(error, "cannot open", path, why);
        return std::nullopt;
    }
    file.m_size = uint64_t(info.st_size);
    // Reads block as usual from here on, also for whoever the descriptor is handed to.
    int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        setError(error, "cannot open", path, std::strerror(errno));
        return std::nullopt;
    }
    return file;
}

RegularFile::RegularFile(int descriptor, uint64_t size, std::filesystem::path path)
    : m_descriptor(descriptor)
    , m_size(size)
    , m_path(std::move(path))
{ }

RegularFile::RegularFile(RegularFile&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
    , m_size(other.m_size)
    , m_path(std::move(other.m_path))
{ }

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_size = other.m_size;
        m_path = std::move(other.m_path);
    }
    return *this;
}

RegularFile::~RegularFile()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool RegularFile::readInto(void* data, size_t* size, std::string* error) const
{
    size_t done = 0;
    while (done < *size) {
        ssize_t got = ::pread(m_descriptor, static_cast<char*>(data) + done, *size - done, off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            setError(error, "cannot read", m_path, std::strerror(errno));
            return false;
        }
        if (got == 0)
            break;
        done += size_t(got);
    }
    *size = done;
    return true;
}

template<class Buffer> std::optional<Buffer> RegularFile::readAll(uint64_t maxBytes, std::string* error) const
{
    if (m_size > maxBytes) {
        setError(error, "cannot read", m_path,
            "it holds " + std::to_string(m_size) + " bytes, more than the " + std::to_string(maxBytes)
                + " allowed");
        return std::nullopt;
    }
    Buffer buffer;
    try {
        buffer.resize(size_t(m_size));
    } catch (const std::bad_alloc&) {
        setError(error, "cannot read", m_path, "out of memory for " + std::to_string(m_size) + " bytes");
        return std::nullopt;
    }
    size_t size = buffer.size();
    if (!readInto(buffer.data(), &size, error))
        return std::nullopt;
    buffer.resize(size);
    return buffer;
}

std::optional<std::string> RegularFile::readText(uint64_t maxBytes, std::string* error) const
{
    return readAll<std::string>(maxBytes, error);
}

std::optional<std::vector<uint8_t>> RegularFile::readBytes(uint64_t maxBytes, std::string* error) const
{
    return readAll<std::vector<uint8_t>>(maxBytes, error);
}

std::optional<std::string> whyNotRegularFile(const std::filesystem::path& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::nullopt : std::optional<std::string>(std::strerror(errno));
    auto why = notRegular(info.st_mode);
    return why.empty() ? std::nullopt : std::optional(why);
}

std::optional<std::string> readRegularFile(
    const std::filesystem::path& path, uint64_t maxBytes, std::string* error)
{
    auto file = RegularFile::open(path, error);
    return file ? file->readText(maxBytes, error) : std::nullopt;
}

} // namespace foundation
