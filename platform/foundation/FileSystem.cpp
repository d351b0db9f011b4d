#include "platform/foundation/FileSystem.h"

#include "platform/foundation/RegularFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace fs = std::filesystem;

bool createDirectories(const fs::path& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    return fs::is_directory(path, error);
}

bool fileExists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(path, error);
}

std::optional<std::string> readFile(const fs::path& path, std::string* error)
{
    return readRegularFile(path, kDefaultMaxFileBytes, error);
}

namespace {

bool writeAll(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void setError(std::string* error, const char* action, const fs::path& path, const std::string& why)
{
    if (error)
        *error = std::string(action) + " " + path.string() + ": " + why;
}

} // namespace

int createFile(const fs::path& path, std::string* error)
{
    // O_EXCL opens nothing that is there, a FIFO or a link included: the file is always a new one.
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(path.c_str(), kFlags, 0644);
    if (fd < 0 && errno == EEXIST) {
        // Only the name's own leftover goes: unlink takes a file, FIFO, socket or link itself, never
        // a folder or what a link leads to.
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            setError(error, "cannot create", path,
                errno == EISDIR || errno == EPERM ? "a folder is in its place" : std::strerror(errno));
            return -1;
        }
        fd = ::open(path.c_str(), kFlags, 0644);
    }
    if (fd < 0) {
        setError(error, "cannot create", path, std::strerror(errno));
        return -1;
    }
    return fd;
}

bool writeNewFile(const fs::path& path, std::string_view contents, FileFlush flush, std::string* error)
{
    int fd = createFile(path, error);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, contents) && (flush == FileFlush::No || ::fsync(fd) == 0);
    int code = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        setError(error, "cannot write", path, std::strerror(code));
        ::unlink(path.c_str());
    }
    return ok;
}

bool writeFileAtomically(const fs::path& path, std::string_view contents, std::string* error)
{
    fs::path parent = path.parent_path();
    if (!parent.empty() && !createDirectories(parent)) {
        setError(error, "cannot write", path, "its folder cannot be made");
        return false;
    }
    static std::atomic<unsigned> counter {0};
    fs::path temporary = path;
    temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);

    if (!writeNewFile(temporary, contents, FileFlush::ToDisk, error))
        return false;
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        setError(error, "cannot write", path, std::strerror(errno));
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectory(parent.empty() ? fs::path(".") : parent);
    return true;
}

bool syncFile(const fs::path& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool syncDirectory(const fs::path& directory)
{
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool removeItem(const fs::path& path)
{
    std::error_code error;
    fs::remove_all(path, error);
    return !error && !fs::exists(path, error);
}

namespace {

enum class Step { Missing, Folder, Other, Link };

Step stepAt(const fs::path& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? Step::Missing : Step::Other;
    if (S_ISLNK(info.st_mode))
        return Step::Link;
    return S_ISDIR(info.st_mode) ? Step::Folder : Step::Other;
}

// Visits each path from just below `base` down to `path`, in order, while `visit` says go on;
// false when `path` does not lie below `base` or a visit said stop.
template<class Visit> bool walkBelow(const fs::path& base, const fs::path& path, Visit visit)
{
    fs::path relative = path.lexically_normal().lexically_relative(base.lexically_normal());
    if (relative.empty() || *relative.begin() == "..")
        return false;
    fs::path current = base;
    for (const auto& part : relative) {
        if (part.empty() || part == ".")
            continue;
        current /= part;
        if (!visit(current))
            return false;
    }
    return true;
}

} // namespace

bool isBelowWithoutLinks(const fs::path& base, const fs::path& path)
{
    return walkBelow(base, path, [](const fs::path& step) { return stepAt(step) != Step::Link; });
}

bool createDirectoriesBelow(const fs::path& base, const fs::path& path)
{
    return createDirectories(base) && walkBelow(base, path, [](const fs::path& step) {
        if (stepAt(step) == Step::Missing && ::mkdir(step.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        return stepAt(step) == Step::Folder;
    });
}

} // namespace foundation
