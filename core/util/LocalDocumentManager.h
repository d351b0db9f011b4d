#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The per-user media folders: "picture" and "video" inside Documents/<kCurrentUser>/, and the rule
// that keeps file names read from records or replies inside them.
class LocalDocumentManager final {
public:
    static constexpr const char* kCurrentUserKey = "kCurrentUser";
    static constexpr const char* kPictureFolder = "picture";
    static constexpr const char* kVideoFolder = "video";

    // True for a plain file name: not empty, no path separator, no "..", no NUL.
    static bool isSafeFileName(std::string_view name);
    // Documents/<kCurrentUser>; nullopt (logged) when no user is set or the user name is not a
    // plain folder name.
    static std::optional<std::filesystem::path> currentUserFolder();
    // Documents/<kCurrentUser>/<folder>, created with its parents when missing; nullopt (logged)
    // when one of its folders below the home is a symbolic link.
    static std::optional<std::filesystem::path> userFolder(const std::string& folder);
    // The file of that name in the user's folder; nullopt with a log line when the name is not safe,
    // names a symbolic link or the folder is reached through one. Every name read from a record or a reply
    // goes through here before it is opened or written.
    static std::optional<std::filesystem::path> fileInUserFolder(
        const std::string& folder, const std::string& name);
};
