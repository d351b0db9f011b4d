#pragma once

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace mivo::test {

// Points the app's home at a fresh temporary folder (and the standard user defaults at it) while
// alive; removes the folder afterwards.
class TempHome {
public:
    TempHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "mivo-home-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary home");
        m_path = pattern;
        foundation::Paths::setHome(m_path);
        foundation::UserDefaults::standard().reload();
    }

    ~TempHome()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
        foundation::Paths::setHome({});
        foundation::UserDefaults::standard().reload();
    }

    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace mivo::test
