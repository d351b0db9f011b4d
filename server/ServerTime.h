#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace server {

// Wall-clock seconds since 1970; tests inject a fixed clock to make the lists' date filter deterministic.
using WallClock = std::function<double()>;

class ServerTime {
public:
    static double realNow();
    // "yyyy-MM-dd HH:mm:ss" in local time, the form the app sends and reads back.
    static std::string formatLocal(double secondsSince1970);
    // Accepts "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd" (also with '/' or 'T') and plain
    // seconds since 1970; nullopt for anything else.
    static std::optional<double> parseLocal(std::string_view text);
};

} // namespace server
