#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A point in wall-clock time, seconds since 1970 UTC. Formatting and parsing use the process's
// local time zone with patterns made of yyyy MM dd HH mm ss SSS and literal characters.
class Date {
public:
    Date() = default;
    explicit Date(double secondsSince1970)
        : m_seconds(secondsSince1970)
    { }
    static Date now();

    double secondsSince1970() const { return m_seconds; }
    double timeIntervalSince(const Date& other) const { return m_seconds - other.m_seconds; }
    [[nodiscard]] Date addingTimeInterval(double seconds) const { return Date(m_seconds + seconds); }

    std::string formatLocal(std::string_view pattern) const;
    static std::optional<Date> parseLocal(std::string_view text, std::string_view pattern);

    friend bool operator==(const Date&, const Date&) = default;
    friend auto operator<=>(const Date&, const Date&) = default;

private:
    double m_seconds {0};
};

} // namespace foundation
