#include "core/store/GetCourseArrayModel.h"
#include "platform/graphics/Image.h"
#include "screens/shell/BrandStyle.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <gtest/gtest.h>

namespace {

// How the upload maps a stored plan to the server's plan code and highest shot number.
size_t uploadShotCount(const std::string& plan)
{
    if (plan == "拆密封条-方案1")
        return 13;
    if (plan == "不拆密封条-方案2")
        return 14;
    return 18;
}

} // namespace

TEST(BrandChoicesTest, EveryOfferedPlanShootsWhatTheUploadWillAnnounce)
{
    for (const char* company : {"Arvel", "Kestro", "Ombry Motors", ""}) {
        auto brand = BrandStyle::forCompany(company);
        SCOPED_TRACE(company);
        ASSERT_FALSE(brand.photoPlans.empty());
        ASSERT_FALSE(brand.productTypes.empty());
        for (const auto& plan : brand.photoPlans) {
            auto shots
                = GetCourseArrayModel::getConstantArrayByType(TaskRecordUtil::listTypeFor(company, plan));
            EXPECT_EQ(shots.size(), uploadShotCount(plan)) << plan;
        }
    }
}

TEST(BrandChoicesTest, CompaniesPickTheirBrand)
{
    EXPECT_EQ(BrandStyle::forCompany("Arvel").brandName, "Arvel");
    EXPECT_EQ(BrandStyle::forCompany("Kestro").brandName, "Kestro");
    EXPECT_EQ(BrandStyle::forCompany("Ombry Motors").brandName, "Ombry");
    EXPECT_EQ(BrandStyle::forCompany("ARVEL").brandName, "Ombry");
    auto arvel = BrandStyle::forCompany("Arvel");
    EXPECT_EQ(arvel.photoPlans, (std::vector<std::string> {"拆密封条-方案1", "不拆密封条-方案2"}));
    EXPECT_EQ(arvel.productTypes, (std::vector<std::string> {"常规产品", "车抵贷"}));
    auto logo = arvel.logo();
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->size().width, 30);
}
