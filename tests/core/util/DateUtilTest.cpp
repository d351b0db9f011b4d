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

TEST(DateUtilTest, DateTextIsLocalTimeOfTheMoment)
{
    double moment = 1717171717.75;
    std::string text = DateUtil::getTotalDateByTimeStamp(moment);
    ASSERT_EQ(text.size(), 19u);
    EXPECT_EQ(text[4], '-');
    EXPECT_EQ(text[10], ' ');
    auto parsed = foundation::Date::parseLocal(text, "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->secondsSince1970(), std::floor(moment));
}

} // namespace
