#pragma once

#include <filesystem>
#include <string>

namespace foundation {

// The app's home and its standard folders, and the read-only resource bundle.
// Home: setHome(), else $MIVO_HOME, else $XDG_DATA_HOME/mivo-inspector or
// ~/.local/share/mivo-inspector. Resources: setResources(), else $MIVO_RESOURCES, else the source
// tree's Resources/. Folders under home are created when asked for.
class Paths final {
public:
    // An empty path returns to the default.
    static void setHome(std::filesystem::path home);
    static std::filesystem::path home();
    static std::filesystem::path documents();
    static std::filesystem::path library();
    static std::filesystem::path caches();
    static std::filesystem::path temporary();
    // Whether the home's folders can be made and written; the reason in *error when not. A
    // program checks this before it starts, rather than losing every save later.
    static bool checkHomeIsWritable(std::string* error = nullptr);

    // An empty path returns to the default.
    static void setResources(std::filesystem::path resources);
    static std::filesystem::path resources();
    // A file of the resource bundle.
    static std::filesystem::path resource(const std::string& name);
};

} // namespace foundation
