#include "core/util/DateUtil.h"

#include "platform/foundation/Date.h"

#include <cmath>

int64_t DateUtil::getCurrentTimeIntervalSince1970()
{
    auto now = foundation::Date::now();
    // The round trip through the text drops the fraction of the second, as the stamp always has.
    auto text = now.formatLocal(kDateTimePattern);
    auto parsed = foundation::Date::parseLocal(text, kDateTimePattern);
    double seconds = parsed ? parsed->secondsSince1970() : std::floor(now.secondsSince1970());
    return static_cast<int64_t>(seconds) * 1000 * 1000;
}

std::string DateUtil::getTotalDateByTimeStamp(double seconds)
{
    return foundation::Date(seconds).formatLocal(kDateTimePattern);
}
