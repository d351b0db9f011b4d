#pragma once

#include <cstdint>
#include <string>

// Time stamps and date texts of the app.
class DateUtil final {
public:
    // The request time stamp, also used to name media files: the current local time formatted
    // "yyyy-MM-dd HH:mm:ss" and read back (whole seconds since 1970), times 1,000,000.
    static int64_t getCurrentTimeIntervalSince1970();
    // "yyyy-MM-dd HH:mm:ss" of a moment (seconds since 1970) in the device's time zone.
    static std::string getTotalDateByTimeStamp(double seconds);

    static constexpr const char* kDateTimePattern = "yyyy-MM-dd HH:mm:ss";
};
