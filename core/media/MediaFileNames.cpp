#include "core/media/MediaFileNames.h"

#include "platform/foundation/Format.h"

#include <system_error>

namespace media {

std::string MediaFileNames::mediaName(int64_t stamp, Kind kind)
{
    return foundation::format(kind == Kind::Video ? "%lld.mp4" : "%lld.jpg", static_cast<long long>(stamp));
}

std::string MediaFileNames::thumbnailName(int64_t stamp)
{
    return foundation::format("_%lld.jpg", static_cast<long long>(stamp));
}

int64_t MediaFileNames::freeStamp(const std::filesystem::path& folder, int64_t stamp, Kind kind)
{
    auto taken = [&](const std::string& name) {
        std::error_code error;
        // Anything there, even a dangling link, takes the name. When the folder cannot be read the
        // name counts as free: writing it then fails and says why.
        auto type = std::filesystem::symlink_status(folder / name, error).type();
        return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
    };
    while (taken(mediaName(stamp, kind)) || taken(thumbnailName(stamp)))
        ++stamp;
    return stamp;
}

} // namespace media
