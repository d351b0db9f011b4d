#include "core/util/LocalDocumentManager.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

bool LocalDocumentManager::isSafeFileName(std::string_view name)
{
    return !name.empty() && name.find('/') == std::string_view::npos
        && name.find('\\') == std::string_view::npos && name.find("..") == std::string_view::npos
        && name.find('\0') == std::string_view::npos && name != ".";
}

std::optional<std::filesystem::path> LocalDocumentManager::currentUserFolder()
{
    auto user = foundation::UserDefaults::standard().string(kCurrentUserKey);
    if (!user || user->empty()) {
        foundation::log("--------error------@no current user; the media folders are unknown");
        return std::nullopt;
    }
    if (!isSafeFileName(*user)) {
        foundation::logf("--------error------@refused user folder name \"%s\"", user->c_str());
        return std::nullopt;
    }
    return foundation::Paths::documents() / *user;
}

std::optional<std::filesystem::path> LocalDocumentManager::userFolder(const std::string& folder)
{
    auto base = currentUserFolder();
    if (!base)
        return std::nullopt;
    auto path = *base / folder;
    // Made folder by folder: a link planted at Documents, the user's folder or the media folder
    // would lead every file of the user elsewhere.
    if (!isSafeFileName(folder) || !foundation::createDirectoriesBelow(foundation::Paths::home(), path)) {
        foundation::logf(
            "--------error------@cannot create folder %s, or a link leads it out of the app's home",
            path.c_str());
        return std::nullopt;
    }
    return path;
}

std::optional<std::filesystem::path> LocalDocumentManager::fileInUserFolder(
    const std::string& folder, const std::string& name)
{
    if (!isSafeFileName(name)) {
        foundation::logf(
            "--------error------@refused file name \"%s\": it would leave the user's folder", name.c_str());
        return std::nullopt;
    }
    auto base = userFolder(folder);
    if (!base)
        return std::nullopt;
    // A plain name can still lead out through a link planted in the folder.
    auto path = *base / name;
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::symlink) {
        foundation::logf(
            "--------error------@refused file name \"%s\": it is a link out of the user's folder",
            name.c_str());
        return std::nullopt;
    }
    return path;
}
