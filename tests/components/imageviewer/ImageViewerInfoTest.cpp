#include "components/imageviewer/ImageViewerInfo.h"

#include <gtest/gtest.h>

TEST(ImageViewerInfo, SummaryAndCombinedTextsFromTitleAndAltText)
{
    struct Case {
        std::string title, altText;
        std::optional<std::string> summary;
        std::string combined;
    };
    const Case cases[] = {
        {"", "", std::nullopt, ""},
        {"", "a car", "a car", "\n\n\u2014 \u2014 \u2014\n\na car"},
        {"Front", "", "Front", "\u201CFront\u201D"},
        {"Front", "Front", "Front", "\u201CFront\u201D"},
        {"Front", "left side", "Front", "\u201CFront\u201D\n\n\u2014 \u2014 \u2014\n\nleft side"},
    };
    for (const auto& c : cases) {
        ImageViewerInfo info;
        info.title = c.title;
        info.altText = c.altText;
        EXPECT_EQ(info.displayableTitleAltTextSummary(), c.summary) << c.title << "|" << c.altText;
        EXPECT_EQ(info.combinedTitleAndAltText(), c.combined) << c.title << "|" << c.altText;
    }
}

TEST(ImageViewerInfo, UserInfoIsMadeOnceAtTheFirstRead)
{
    ImageViewerInfo info;
    auto& first = info.userInfo();
    EXPECT_EQ(first.type(), foundation::Value::Type::Map);
    EXPECT_TRUE(first.asMap().empty());
    first = foundation::Value(foundation::Map {{"shot", 3}});
    EXPECT_EQ(&info.userInfo(), &first);
    EXPECT_EQ(info.userInfo()["shot"].asInt(), 3);
}

TEST(ImageViewerInfo, DescriptionAndReferenceCentre)
{
    ImageViewerInfo info;
    info.imageURL = "http://127.0.0.1/a.jpg";
    info.referenceRect = {10, 20.5, 100, 50};
    std::string text = info.description();
    EXPECT_EQ(text.rfind("            ImageViewerInfo 0x", 0), 0u) << text;
    EXPECT_NE(text.find(" \n            imageURL: http://127.0.0.1/a.jpg \n            referenceRect: (10, "
                        "20.5) (100, 50)"),
        std::string::npos)
        << text;
    EXPECT_EQ(info.referenceRectCenter(), (graphics::Point {60, 45.5}));
}
