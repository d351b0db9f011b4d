#include "platform/ui/Label.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using graphics::Font;
using graphics::TextLayout;

TEST(LabelTest, SingleLineSizeIsTheTextWidth)
{
    auto label = ui::Label::create();
    label->setFont(Font::systemFont(17));
    label->setText("Mivo Inspector");
    label->sizeToFit();
    EXPECT_EQ(
        label->bounds().width(), std::ceil(TextLayout::lineWidth("Mivo Inspector", Font::systemFont(17))));
    EXPECT_NEAR(label->bounds().height(), std::ceil(Font::systemFont(17).lineHeight()), 1.0);
    EXPECT_FALSE(label->isUserInteractionEnabled());

    label->setText("");
    EXPECT_EQ(label->sizeThatFits({100, 100}), (graphics::Size {0, 0}));
}

TEST(LabelTest, MultiLineWrapsAtTheGivenWidthAndHonoursTheLineLimit)
{
    auto label = ui::Label::create();
    label->setFont(Font::systemFont(14));
    std::string text = "由于网络原因部分资源未能上传成功,请返回查看详情之后重传未完成资源";
    label->setText(text);
    label->setNumberOfLines(0);
    graphics::Size fitted = label->sizeThatFits({120, 1000});
    double line = Font::systemFont(14).lineHeight();
    EXPECT_LE(fitted.width, 120);
    EXPECT_GT(fitted.height, 2.5 * line);

    label->setNumberOfLines(2);
    graphics::Size two = label->sizeThatFits({120, 1000});
    EXPECT_LT(two.height, fitted.height);
    EXPECT_NEAR(two.height, std::ceil(2 * line), 2.0);
}

TEST(LabelTest, ShrinksToFitDownToTheMinimumScale)
{
    auto label = ui::Label::create({0, 0, 100, 30});
    label->setFont(Font::systemFont(30));
    label->setText("A rather long title");
    EXPECT_EQ(label->effectiveFont().pointSize(), 30); // shrinking is off by default

    label->setAdjustsFontSizeToFitWidth(true);
    EXPECT_EQ(label->effectiveFont().pointSize(), 30); // a zero minimum scale keeps the size

    label->setMinimumScaleFactor(0.2);
    Font shrunk = label->effectiveFont();
    EXPECT_LT(shrunk.pointSize(), 30);
    EXPECT_GE(shrunk.pointSize(), 6);
    EXPECT_LE(TextLayout::lineWidth("A rather long title", shrunk), 100.5);

    label->setMinimumScaleFactor(0.9);
    EXPECT_EQ(label->effectiveFont().pointSize(), 27); // stops at the minimum even if it overflows

    label->setText("Hi");
    EXPECT_EQ(label->effectiveFont().pointSize(), 30); // fitting text keeps its size
}

TEST(LabelTest, MultiLineShrinkFitsTheHeight)
{
    auto label = ui::Label::create({0, 0, 200, 60});
    label->setFont(Font::systemFont(20));
    label->setNumberOfLines(20);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumScaleFactor(0.3);
    label->setText("请分别输入服务器对应的IP地址和端口号, 请分别输入服务器对应的IP地址和端口号");
    Font shrunk = label->effectiveFont();
    EXPECT_LT(shrunk.pointSize(), 20);
    EXPECT_LE(TextLayout::boundingSize(label->text(), shrunk, 200).height, 60.5);
}

} // namespace
