#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace media {

// True for a bare file name that stays inside the folder it is joined to: not empty, no path
// separator of any kind, not "." or "..", no ".." inside, no NUL.
bool isSafeFileName(std::string_view name);

// folder / name for a file name read from a record or a server reply; a name that could reach
// outside the folder is refused with the log line "refused unsafe file name: <name>".
std::optional<std::filesystem::path> fileInFolder(const std::filesystem::path& folder, std::string_view name);

} // namespace media
