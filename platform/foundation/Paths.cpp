#include "platform/foundation/Paths.h"

#include "platform/foundation/FileSystem.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#ifndef MIVO_RESOURCES_DIR
#define MIVO_RESOURCES_DIR "Resources"
#endif

namespace foundation {

namespace fs = std::filesystem;

namespace {

std::mutex& pathsMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::optional<fs::path>& homeOverride()
{
    static std::optional<fs::path> home;
    return home;
}

std::optional<fs::path>& resourcesOverride()
{
    static std::optional<fs::path> resources;
    return resources;
}

const char* nonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Made below the home without following a link, so a planted one cannot move a folder
// elsewhere; checkHomeIsWritable refuses such a home at start-up.
fs::path created(const fs::path& home, fs::path path)
{
    createDirectoriesBelow(home, path);
    return path;
}

std::vector<fs::path> topFolders(const fs::path& root)
{
    return {root / "Documents", root / "Library", root / "Library" / "Caches",
        root / "Library" / "Preferences", root / "tmp"};
}

} // namespace

void Paths::setHome(fs::path home)
{
    std::lock_guard lock(pathsMutex());
    if (home.empty())
        homeOverride().reset();
    else
        homeOverride() = std::move(home);
}

fs::path Paths::home()
{
    {
        std::lock_guard lock(pathsMutex());
        if (homeOverride())
            return *homeOverride();
    }
    if (const char* home = nonEmptyEnv("MIVO_HOME"))
        return home;
    if (const char* data = nonEmptyEnv("XDG_DATA_HOME"))
        return fs::path(data) / "mivo-inspector";
    if (const char* user = nonEmptyEnv("HOME"))
        return fs::path(user) / ".local" / "share" / "mivo-inspector";
    return fs::temp_directory_path() / "mivo-inspector";
}

fs::path Paths::documents()
{
    const fs::path root = home();
    return created(root, root / "Documents");
}

fs::path Paths::library()
{
    const fs::path root = home();
    return created(root, root / "Library");
}

fs::path Paths::caches()
{
    const fs::path root = home();
    return created(root, root / "Library" / "Caches");
}

fs::path Paths::temporary()
{
    const fs::path root = home();
    return created(root, root / "tmp");
}

bool Paths::checkHomeIsWritable(std::string* error)
{
    const fs::path root = home();
    // A link among the home's own folders would lead the store, the caches and the preferences
    // out of the home; nothing is made or written until none is found.
    for (const fs::path& folder : topFolders(root))
        if (!isBelowWithoutLinks(root, folder)) {
            if (error)
                *error = "the home folder " + root.string() + " cannot be used: " + folder.string()
                    + " is a symbolic link";
            return false;
        }
    std::error_code code;
    fs::create_directories(root, code);
    for (const fs::path& folder : {root / "Documents", root / "Library" / "Caches", root / "tmp"}) {
        fs::path probe = folder / ".mivo-write-check";
        if (code || !createDirectoriesBelow(root, folder) || !writeFileAtomically(probe, "ok")) {
            if (error)
                *error = "the home folder " + root.string() + " cannot be written"
                    + (code ? ": " + code.message() : " (" + folder.string() + ")");
            return false;
        }
        std::error_code ignored;
        fs::remove(probe, ignored);
    }
    return true;
}

void Paths::setResources(fs::path resources)
{
    std::lock_guard lock(pathsMutex());
    if (resources.empty())
        resourcesOverride().reset();
    else
        resourcesOverride() = std::move(resources);
}

fs::path Paths::resources()
{
    {
        std::lock_guard lock(pathsMutex());
        if (resourcesOverride())
            return *resourcesOverride();
    }
    if (const char* resources = nonEmptyEnv("MIVO_RESOURCES"))
        return resources;
    return MIVO_RESOURCES_DIR;
}

fs::path Paths::resource(const std::string& name)
{
    return resources() / name;
}

} // namespace foundation
