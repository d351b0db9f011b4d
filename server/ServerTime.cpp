#include "server/ServerTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace server {

double ServerTime::realNow()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::string ServerTime::formatLocal(double secondsSince1970)
{
    std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm tm {};
    localtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

std::optional<double> ServerTime::parseLocal(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;

    bool allDigits = true;
    for (char c : text)
        allDigits = allDigits && c >= '0' && c <= '9';
    if (allDigits && text.size() <= 12)
        return std::stod(std::string(text));

    std::string normalised(text);
    for (char& c : normalised) {
        if (c == '/')
            c = '-';
        else if (c == 'T')
            c = ' ';
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int consumed = 0;
    int fields = std::sscanf(normalised.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &year, &month, &day, &hour,
        &minute, &second, &consumed);
    if (fields == 6 && static_cast<size_t>(consumed) != normalised.size())
        return std::nullopt;
    if (fields != 6) {
        second = 0;
        fields = std::sscanf(
            normalised.c_str(), "%4d-%2d-%2d %2d:%2d%n", &year, &month, &day, &hour, &minute, &consumed);
        if (fields != 5 || static_cast<size_t>(consumed) != normalised.size()) {
            hour = minute = 0;
            fields = std::sscanf(normalised.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed);
            if (fields != 3 || static_cast<size_t>(consumed) != normalised.size())
                return std::nullopt;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    return static_cast<double>(t);
}

} // namespace server
