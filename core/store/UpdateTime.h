#pragma once

#include <cstdint>
#include <string>

// The last-update times of the server's finished and rejected lists, per user, kept in the user
// defaults "finishedUpdatetime_<user id>" and "rejectedUpdatetime_<user id>". The empty text
// when a list was never fetched.
class UpdateTime final {
public:
    static std::string finishedUpdateTime(int64_t userId);
    static void setFinishedUpdateTime(int64_t userId, const std::string& time);
    static std::string rejectedUpdateTime(int64_t userId);
    static void setRejectedUpdateTime(int64_t userId, const std::string& time);
};
