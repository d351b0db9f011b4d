#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace foundation {

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults;
    return defaults;
}

UserDefaults::UserDefaults()
{
    load();
}

UserDefaults::UserDefaults(std::filesystem::path file)
    : m_fixedFile(std::move(file))
{
    load();
}

void UserDefaults::load()
{
    // Not created here: merely looking must not make folders in the home.
    m_home = Paths::home();
    m_file = m_fixedFile ? *m_fixedFile : m_home / "Library" / "Preferences" / kFileName;
    m_values.clear();
    if (!m_fixedFile && !isBelowWithoutLinks(m_home, m_file)) {
        log(format(
            "UserDefaults: not reading %s, a symbolic link leads elsewhere; starting empty", m_file.c_str()));
        return;
    }
    std::string why;
    auto text = readFile(m_file, &why);
    if (!text) {
        // No file is a first start; anything else in its place (a folder, a FIFO) is said.
        std::error_code code;
        if (std::filesystem::symlink_status(m_file, code).type() != std::filesystem::file_type::not_found)
            log(format("UserDefaults: not reading %s, starting empty: %s", m_file.c_str(), why.c_str()));
        return;
    }
    std::string error;
    auto parsed = Value::fromJson(*text, &error);
    if (!parsed || !parsed->isMap()) {
        if (error.empty())
            error = "the top level is not an object";
        log(format("UserDefaults: ignoring unreadable defaults file %s, starting empty: %s", m_file.c_str(),
            error.c_str()));
        return;
    }
    m_values = parsed->asMap();
}

bool UserDefaults::write()
{
    // The standard file's folders are made without following a link planted in the home.
    if (!m_fixedFile && !createDirectoriesBelow(m_home, m_file.parent_path())) {
        log(format("UserDefaults: not writing %s, a symbolic link leads elsewhere", m_file.c_str()));
        return false;
    }
    std::string error;
    if (writeFileAtomically(m_file, Value(m_values).toJson(2), &error))
        return true;
    log("UserDefaults: could not write: " + error);
    return false;
}

Value UserDefaults::value(const std::string& key) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_values.find(key);
    return it == m_values.end() ? Value() : it->second;
}

void UserDefaults::set(const std::string& key, Value value)
{
    std::lock_guard lock(m_mutex);
    if (value.isNull())
        m_values.erase(key);
    else
        m_values[key] = std::move(value);
    write();
}

void UserDefaults::remove(const std::string& key)
{
    set(key, Value());
}

std::optional<std::string> UserDefaults::string(const std::string& key) const
{
    Value found = value(key);
    switch (found.type()) {
    case Value::Type::String:
        return found.asString();
    case Value::Type::Int:
        return std::to_string(found.asInt());
    case Value::Type::Double:
        return format("%.17g", found.asDouble());
    default:
        return std::nullopt;
    }
}

bool UserDefaults::boolValue(const std::string& key) const
{
    Value found = value(key);
    if (found.isString())
        return found.asString() == "true" || found.asString() == "YES" || found.asString() == "1";
    return found.asBool();
}

int64_t UserDefaults::integer(const std::string& key) const
{
    return value(key).asInt();
}

double UserDefaults::doubleValue(const std::string& key) const
{
    return value(key).asDouble();
}

bool UserDefaults::synchronize()
{
    std::lock_guard lock(m_mutex);
    return write();
}

void UserDefaults::reload()
{
    std::lock_guard lock(m_mutex);
    load();
}

std::filesystem::path UserDefaults::filePath() const
{
    std::lock_guard lock(m_mutex);
    return m_file;
}

} // namespace foundation
