#include "core/util/DateUtil.h"
#include "platform/foundation/Date.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(DateUtilTest, StampIsWholeSecondsTimesAMillion)
{
    double before = std::floor(foundation::Date::now().secondsSince1970());
    int64_t stamp = DateUtil::getCurrentTimeIntervalSince1970();
    double after = foundation::Date::now().secondsSince1970();
    EXPECT_EQ(stamp % 1000000, 0);
    EXPECT_GE(stamp / 1000000, static_cast<int64_t>(before));
    EXPECT_LE(stamp / 1000000, static_cast<int64_t>(after));
}

} // namespace
