#include "core/media/SafeFileName.h"

#include "platform/foundation/Log.h"

#include <string>

namespace media {

bool isSafeFileName(std::string_view name)
{
    if (name.empty() || name.find("..") != std::string_view::npos || name == ".")
        return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::optional<std::filesystem::path> fileInFolder(const std::filesystem::path& folder, std::string_view name)
{
    if (!isSafeFileName(name)) {
        foundation::log("refused unsafe file name: " + std::string(name));
        return std::nullopt;
    }
    return folder / std::string(name);
}

} // namespace media
