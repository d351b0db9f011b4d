#include "core/store/GetCourseArrayModel.h"
#include "platform/graphics/Image.h"
#include "platform/ui/NavigationBar.h"
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
    auto logo = BrandStyle::forCompany("Arvel").logo();
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->size().width, 30);
}

TEST(BrandChoicesTest, NavigationBarsReadOnEveryBrandColour)
{
    auto bar = ui::NavigationBar::create({0, 0, 320, 64});
    for (const char* company : {"Arvel", "Kestro", "Ombry Motors"}) {
        SCOPED_TRACE(company);
        auto brand = BrandStyle::forCompany(company);
        bar->setBarTintColor(brand.color);
        EXPECT_GE(graphics::Color::contrastRatio(bar->tintColor(), brand.color), 4.5);
        EXPECT_GE(graphics::Color::contrastRatio(bar->titleColor(), brand.color), 4.5);
    }
    bar->setBarTintColor(std::nullopt);
    EXPECT_GE(graphics::Color::contrastRatio(bar->titleColor(), graphics::Color::white(0.97)), 4.5);
}

TEST(BrandChoicesTest, ContrastRatiosAreTheUsualOnes)
{
    using graphics::Color;
    EXPECT_NEAR(Color::contrastRatio(Color::black(), Color::white()), 21.0, 1e-9);
    EXPECT_NEAR(Color::contrastRatio(Color::white(), Color::white()), 1.0, 1e-9);
    // The platform blue on the brands' red, as the bars had it.
    EXPECT_NEAR(Color::contrastRatio(Color::rgba(0, 0.478, 1), Color::rgba(0.80, 0.12, 0.16)), 1.38, 0.01);
    EXPECT_EQ(Color::readableOn(Color::rgba(0.13, 0.55, 0.33)), Color::black()) << "white gives only 4.2:1";
}
