#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Creates the folder with its missing parents; true when it exists afterwards.
bool createDirectories(const std::filesystem::path& path);
bool fileExists(const std::filesystem::path& path);
// The whole of a regular file of at most kDefaultMaxFileBytes (RegularFile); nullopt, with the reason
// in *error, for anything else.
std::optional<std::string> readFile(const std::filesystem::path& path, std::string* error = nullptr);
// Writes a temporary file beside the target (writeNewFile), flushes it to disk, then renames it over
// the target: readers see the old or the new content, never a mix. Missing parent folders are created.
// False, with the reason in *error, when it cannot.
bool writeFileAtomically(
    const std::filesystem::path& path, std::string_view contents, std::string* error = nullptr);
// A new regular file at `path`, a name of the caller's own (a temporary one), opened for writing:
// its descriptor, or -1 with the reason in *error. A leftover under the name that is no folder is
// removed first, and the file is then made with O_EXCL: a FIFO planted there, whose open would wait
// for a reader for good, or a link is never opened.
int createFile(const std::filesystem::path& path, std::string* error = nullptr);
enum class FileFlush { No, ToDisk };
// `contents` written into a new file at `path` (createFile); false, with the reason in *error and
// nothing left under the name, when that fails.
bool writeNewFile(const std::filesystem::path& path, std::string_view contents, FileFlush flush,
    std::string* error = nullptr);
bool removeItem(const std::filesystem::path& path);
// Flush a file's contents, or a folder's entries (names made, renamed or removed), to the disk, so
// that a power cut after the call keeps them. False when the item cannot be opened or flushed.
bool syncFile(const std::filesystem::path& path);
bool syncDirectory(const std::filesystem::path& directory);

// For folders below the app's home, where a planted symbolic link could lead reads, writes and
// removals elsewhere. True when `path` is `base` or lies below it and nothing between them (`path`
// included) is a symbolic link; parts that do not exist yet lead nowhere and pass.
bool isBelowWithoutLinks(const std::filesystem::path& base, const std::filesystem::path& path);
// Creates the missing folders from `base` down to `path`, one by one, and refuses a symbolic link
// or a file on the way; true when `path` is then a folder below `base` reached without a link.
bool createDirectoriesBelow(const std::filesystem::path& base, const std::filesystem::path& path);

} // namespace foundation
