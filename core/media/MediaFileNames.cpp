#include "core/media/MediaFileNames.h"

#include "platform/foundation/Format.h"

#include <algorithm>
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

bool MediaFileNames::isStampName(std::string_view name)
{
    if (name.ends_with(".mp4")) {
        if (name.starts_with('_'))
            return false;
    } else if (!name.ends_with(".jpg")) {
        return false;
    }
    name.remove_suffix(4);
    if (name.starts_with('_'))
        name.remove_prefix(1);
    // "%lld" of a stamp before 1970 has a minus sign.
    if (name.starts_with('-'))
        name.remove_prefix(1);
    return !name.empty()
        && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
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
