#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace foundation {

// Typed preferences persisted as one JSON object. Every change is written through at once with an
// atomic replace, so a crash never leaves a half-written file; synchronize() forces a write.
class UserDefaults final {
public:
    // Lives at <home>/Library/Preferences/; reload() follows a later Paths::setHome().
    static UserDefaults& standard();
    // A store backed by one specific file.
    explicit UserDefaults(std::filesystem::path file);

    Value value(const std::string& key) const;
    void set(const std::string& key, Value value);
    void remove(const std::string& key);

    std::optional<std::string> string(const std::string& key) const;
    bool boolValue(const std::string& key) const;
    int64_t integer(const std::string& key) const;
    double doubleValue(const std::string& key) const;

    bool synchronize();
    void reload();
    std::filesystem::path filePath() const;

    static constexpr const char* kFileName = "MivoInspector.json";

private:
    UserDefaults();
    void load();
    bool write();

    mutable std::mutex m_mutex;
    std::optional<std::filesystem::path> m_fixedFile;
    std::filesystem::path m_home;
    std::filesystem::path m_file;
    Map m_values;
};

} // namespace foundation
