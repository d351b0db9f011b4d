#include "core/store/GetCourseArrayModel.h"
#include "core/store/UpdateTime.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

class CourseTest : public ::testing::Test {
protected:
    void SetUp() override { foundation::Paths::setResources(MIVO_SOURCE_DIR "/Resources"); }
    void TearDown() override { foundation::Paths::setResources(MIVO_SOURCE_DIR "/Resources"); }
    mivo::test::TempHome m_home;
};

TEST_F(CourseTest, ShippedListsHaveTheirShotCounts)
{
    EXPECT_EQ(GetCourseArrayModel::getConstantArrayByType(0).size(), 13u);
    EXPECT_EQ(GetCourseArrayModel::getConstantArrayByType(1).size(), 14u);
    EXPECT_EQ(GetCourseArrayModel::getConstantArrayByType(2).size(), 18u);
    EXPECT_TRUE(GetCourseArrayModel::getConstantArrayByType(3).empty());
    EXPECT_TRUE(GetCourseArrayModel::getConstantArrayByType(-1).empty());
    for (int type = 0; type <= 2; ++type) {
        for (auto& shot : GetCourseArrayModel::getConstantArrayByType(type)) {
            ASSERT_TRUE(shot["title"].isString());
            EXPECT_FALSE(shot["title"].asString().empty());
        }
    }
    EXPECT_EQ(GetCourseArrayModel::getConstantArrayByType(2)[0]["title"], foundation::Value("车辆左前45度"));
}

TEST_F(CourseTest, ResourceIsReadWithoutLineFeedsAndSpaces)
{
    auto resources = m_home.path() / "res";
    foundation::writeFileAtomically(resources / "carcourse.txt",
        "[{\"type\": \"1\", \"name\": \"first\", \"constant\": [{\"title\": \"车 辆\n正前方\"}]},\n"
        " {\"type\": 1, \"constant\": [{\"title\": \"second\"}]},\n"
        " {\"type\": 2.0, \"constant\": \"not a list\"}]\n");
    foundation::Paths::setResources(resources);
    auto list = GetCourseArrayModel::getConstantArrayByType(1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["title"], foundation::Value("车辆正前方"));
    EXPECT_TRUE(GetCourseArrayModel::getConstantArrayByType(2).empty());

    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    foundation::writeFileAtomically(resources / "carcourse.txt", "{not json");
    EXPECT_TRUE(GetCourseArrayModel::getConstantArrayByType(0).empty());
    foundation::Paths::setResources(m_home.path() / "missing");
    EXPECT_TRUE(GetCourseArrayModel::getConstantArrayByType(0).empty());
    EXPECT_EQ(capture.lines().size(), 2u);
}

TEST_F(CourseTest, UpdateTimesArePerUserAndList)
{
    EXPECT_EQ(UpdateTime::finishedUpdateTime(42), "");
    UpdateTime::setFinishedUpdateTime(42, "2024-01-02 03:04:05");
    UpdateTime::setRejectedUpdateTime(42, "2024-02-02 00:00:00");
    UpdateTime::setRejectedUpdateTime(-1, "x");
    auto& defaults = foundation::UserDefaults::standard();
    EXPECT_EQ(defaults.string("finishedUpdatetime_42"), "2024-01-02 03:04:05");
    EXPECT_EQ(defaults.string("rejectedUpdatetime_42"), "2024-02-02 00:00:00");
    EXPECT_EQ(defaults.string("rejectedUpdatetime_18446744073709551615"), "x");
    EXPECT_EQ(UpdateTime::finishedUpdateTime(43), "");
    EXPECT_EQ(UpdateTime::rejectedUpdateTime(42), "2024-02-02 00:00:00");
}

} // namespace
