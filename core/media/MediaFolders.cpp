#include "core/media/MediaFolders.h"

#include "core/media/SafeFileName.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

namespace media {

namespace {

std::optional<std::filesystem::path> madeFolder(const char* name)
{
    auto user = MediaFolders::userFolder();
    if (!user)
        return std::nullopt;
    std::filesystem::path folder = *user / name;
    if (!foundation::createDirectories(folder)) {
        foundation::log("cannot create the media folder " + folder.string());
        return std::nullopt;
    }
    return folder;
}

} // namespace

std::optional<std::filesystem::path> MediaFolders::userFolder()
{
    auto user = foundation::UserDefaults::standard().string(kCurrentUserKey);
    if (!user || user->empty()) {
        foundation::log("no current user: the media folders are unavailable");
        return std::nullopt;
    }
    auto folder = fileInFolder(foundation::Paths::documents(), *user);
    if (!folder)
        return std::nullopt;
    return *folder;
}

std::optional<std::filesystem::path> MediaFolders::pictureFolder()
{
    return madeFolder(kPictureFolder);
}

std::optional<std::filesystem::path> MediaFolders::videoFolder()
{
    return madeFolder(kVideoFolder);
}

std::optional<std::filesystem::path> MediaFolders::folderForResourceType(std::string_view resourceType)
{
    return resourceType == "video" ? videoFolder() : pictureFolder();
}

} // namespace media
