#include "screens/tasks/NewTaskViewController.h"

#include <gtest/gtest.h>

namespace {

NewTaskFields valid()
{
    return {"A123-45_b", "上海浦东仓", "平安保险", "86000.50", "常规产品", "拆密封条-方案1"};
}

std::string problem(const NewTaskFields& fields)
{
    return NewTaskViewController::checkFields(fields).value_or("");
}

} // namespace

TEST(NewTaskFieldsTest, CompleteFieldsPass)
{
    EXPECT_EQ(NewTaskViewController::checkFields(valid()), std::nullopt);
    auto padded = valid();
    padded.applyNO = "  A1  ";
    padded.dealPrice = " 12 ";
    EXPECT_EQ(NewTaskViewController::checkFields(padded), std::nullopt) << "surrounding spaces are trimmed";
}

TEST(NewTaskFieldsTest, EachMissingFieldIsNamedInOrder)
{
    const struct {
        std::string NewTaskFields::*field;
        const char* blank;
        std::string problem;
    } table[] = {
        {&NewTaskFields::applyNO, "   ", "请输入申请编号"},
        {&NewTaskFields::baseLocation, "", "请输入库存地点"},
        {&NewTaskFields::ensureCompany, "\t", "请输入保险公司"},
        {&NewTaskFields::dealPrice, "", "请输入成交价格"},
        {&NewTaskFields::productType, "", NewTaskViewController::kChooseProductType},
        {&NewTaskFields::photoType, "", NewTaskViewController::kChoosePhotoPlan},
    };
    for (const auto& row : table) {
        auto f = valid();
        f.*row.field = row.blank;
        EXPECT_EQ(problem(f), row.problem);
    }
    auto f = valid();
    f.applyNO = "";
    f.photoType = "";
    EXPECT_EQ(problem(f), "请输入申请编号") << "the first problem is reported";
}

TEST(NewTaskFieldsTest, ApplicationNumbersArePlain)
{
    for (const char* bad : {"A 1", "A/1", "..", "A'1", "申请1", "A%1", "A\n1"}) {
        auto f = valid();
        f.applyNO = bad;
        EXPECT_NE(problem(f), "") << bad;
    }
    auto f = valid();
    f.applyNO = std::string(40, '7');
    EXPECT_EQ(problem(f), "");
    f.applyNO = std::string(41, '7');
    EXPECT_NE(problem(f), "");
}

TEST(NewTaskFieldsTest, DealPriceIsAPositiveDecimal)
{
    for (const char* good : {"1", "86000", "0.5", "12.25"}) {
        auto f = valid();
        f.dealPrice = good;
        EXPECT_EQ(problem(f), "") << good;
    }
    for (const char* bad :
        {"0", "0.0", "-5", "+5", "1e5", "abc", "1.2.3", ".5", "5.", "1,000", "nan", "inf"}) {
        auto f = valid();
        f.dealPrice = bad;
        EXPECT_EQ(problem(f), "成交价格须为大于0的数字") << bad;
    }
}
