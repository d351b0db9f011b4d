#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Creates the folder with its missing parents; true when it exists afterwards.
bool createDirectories(const std::filesystem::path& path);
bool fileExists(const std::filesystem::path& path);
std::optional<std::string> readFile(const std::filesystem::path& path);
// Writes a temporary file beside the target, flushes it to disk, then renames it over the target:
// readers see the old or the new content, never a mix. Missing parent folders are created.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);
bool removeItem(const std::filesystem::path& path);
// Flush a file's contents, or a folder's entries (names made, renamed or removed), to the disk, so
// that a power cut after the call keeps them. False when the item cannot be opened or flushed.
bool syncFile(const std::filesystem::path& path);
bool syncDirectory(const std::filesystem::path& directory);

} // namespace foundation
