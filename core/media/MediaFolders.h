#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace media {

// The logged-in user's media folders: "picture" and "video" inside Documents/<kCurrentUser>.
class MediaFolders final {
public:
    static constexpr const char* kCurrentUserKey = "kCurrentUser";
    static constexpr const char* kPictureFolder = "picture";
    static constexpr const char* kVideoFolder = "video";

    // Documents/<kCurrentUser>; nullopt, with a log line, when no user is set or the value is not
    // a plain folder name.
    static std::optional<std::filesystem::path> userFolder();
    // The user's "picture" / "video" folder, created with its parents when missing; nullopt, with
    // a log line, when there is no user or the folder cannot be made.
    static std::optional<std::filesystem::path> pictureFolder();
    static std::optional<std::filesystem::path> videoFolder();
    // "video" for the resource type "video", else "picture".
    static std::optional<std::filesystem::path> folderForResourceType(std::string_view resourceType);
};

} // namespace media
