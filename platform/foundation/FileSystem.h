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

} // namespace foundation
