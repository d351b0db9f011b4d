#include "platform/foundation/Date.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace foundation {

namespace {

// Pattern fields we understand; everything else is a literal character.
struct Field {
    std::string_view token;
    int width;
};
constexpr Field kFields[] = {{"yyyy", 4}, {"SSS", 3}, {"MM", 2}, {"dd", 2}, {"HH", 2}, {"mm", 2}, {"ss", 2}};

const Field* fieldAt(std::string_view pattern, size_t position)
{
    for (const Field& field : kFields) {
        if (pattern.substr(position, field.token.size()) == field.token)
            return &field;
    }
    return nullptr;
}

} // namespace

Date Date::now()
{
    using namespace std::chrono;
    return Date(duration<double>(system_clock::now().time_since_epoch()).count());
}

std::string Date::formatLocal(std::string_view pattern) const
{
    // Whole milliseconds, so 0.123 stored as 0.12299999 still prints .123.
    long long totalMillis = std::llround(m_seconds * 1000.0);
    long long wholeSeconds = totalMillis >= 0 ? totalMillis / 1000 : -((-totalMillis + 999) / 1000);
    int millis = static_cast<int>(totalMillis - wholeSeconds * 1000);
    time_t seconds = static_cast<time_t>(wholeSeconds);
    tm local {};
    localtime_r(&seconds, &local);

    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const Field* field = fieldAt(pattern, i);
        if (!field) {
            out += pattern[i++];
            continue;
        }
        int number = 0;
        switch (field->token[0]) {
        case 'y':
            number = local.tm_year + 1900;
            break;
        case 'M':
            number = local.tm_mon + 1;
            break;
        case 'd':
            number = local.tm_mday;
            break;
        case 'H':
            number = local.tm_hour;
            break;
        case 'm':
            number = local.tm_min;
            break;
        case 's':
            number = local.tm_sec;
            break;
        case 'S':
            number = millis;
            break;
        }
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%0*d", field->width, number);
        out += buffer;
        i += field->token.size();
    }
    return out;
}

std::optional<Date> Date::parseLocal(std::string_view text, std::string_view pattern)
{
    tm local {};
    local.tm_mday = 1;
    local.tm_year = 70;
    local.tm_isdst = -1;
    int millis = 0;
    size_t t = 0;
    for (size_t i = 0; i < pattern.size();) {
        const Field* field = fieldAt(pattern, i);
        if (!field) {
            if (t >= text.size() || text[t] != pattern[i])
                return std::nullopt;
            ++t;
            ++i;
            continue;
        }
        int number = 0;
        for (int digit = 0; digit < field->width; ++digit, ++t) {
            if (t >= text.size() || text[t] < '0' || text[t] > '9')
                return std::nullopt;
            number = number * 10 + (text[t] - '0');
        }
        switch (field->token[0]) {
        case 'y':
            local.tm_year = number - 1900;
            break;
        case 'M':
            local.tm_mon = number - 1;
            break;
        case 'd':
            local.tm_mday = number;
            break;
        case 'H':
            local.tm_hour = number;
            break;
        case 'm':
            local.tm_min = number;
            break;
        case 's':
            local.tm_sec = number;
            break;
        case 'S':
            millis = number;
            break;
        }
        i += field->token.size();
    }
    if (t != text.size())
        return std::nullopt;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_mday > 31 || local.tm_hour > 23
        || local.tm_min > 59 || local.tm_sec > 60)
        return std::nullopt;
    const int month = local.tm_mon, day = local.tm_mday;
    time_t seconds = mktime(&local);
    // mktime normalises 31 February into March; such a date was not valid text.
    if (seconds == static_cast<time_t>(-1) || local.tm_mon != month || local.tm_mday != day)
        return std::nullopt;
    return Date(static_cast<double>(seconds) + millis / 1000.0);
}

} // namespace foundation
