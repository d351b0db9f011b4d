#include "platform/ui/TextView.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/Keyboard.h"
#include "tests/platform/ui/UiTest.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using graphics::Font;
using graphics::TextLayout;

class TextViewTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ui::Keyboard::shared().reset();
    }
    void TearDown() override
    {
        ui::Keyboard::shared().reset();
        UiTest::TearDown();
    }
};

TEST_F(TextViewTest, ContentSizeIsTheLaidOutTextPlusInsets)
{
    auto view = ui::TextView::create({0, 0, 216, 90});
    view->setFont(Font::named("HelveticaNeue", 14));
    std::string text
        = "所有数据都已同步到服务器,没有需要上传的数据!所有数据都已同步到服务器,没有需要上传的数据!";
    view->setText(text);
    double padded = TextLayout::boundingSize(text, Font::named("HelveticaNeue", 14), 216 - 10).height;
    EXPECT_NEAR(view->textHeight(), padded, 0.01);
    EXPECT_NEAR(view->contentSize().height, std::ceil(padded + 16), 0.01);

    // The alert's set-up: no container inset and no padding.
    view->setTextContainerInset({});
    view->setLineFragmentPadding(0);
    double bare = TextLayout::boundingSize(text, Font::named("HelveticaNeue", 14), 216).height;
    EXPECT_NEAR(view->contentSize().height, std::ceil(bare), 0.01);
    EXPECT_EQ(view->contentSize().width, 216);
}

TEST_F(TextViewTest, ContentOffsetIsTheBoundsOrigin)
{
    auto view = ui::TextView::create({10, 10, 100, 50});
    view->setContentOffset({0, 30});
    EXPECT_EQ(view->bounds(), (graphics::Rect {0, 30, 100, 50}));
    EXPECT_EQ(view->frame(), (graphics::Rect {10, 10, 100, 50}));
}

TEST_F(TextViewTest, AttributedTextOverridesFontAndColour)
{
    auto view = ui::TextView::create({0, 0, 100, 50});
    view->setText("a");
    EXPECT_EQ(view->attributedText().font->pointSize(), 12);
    view->setAttributedText({"b", Font::systemFont(20), graphics::Color::red()});
    EXPECT_EQ(view->text(), "b");
    EXPECT_EQ(view->attributedText().color, graphics::Color::red());
    EXPECT_NEAR(view->textHeight(), Font::systemFont(20).lineHeight(), 2);
    view->setText("c");
    EXPECT_EQ(view->attributedText().font->pointSize(), 12);
}

TEST_F(TextViewTest, OnlyEditableViewsTakeTheKeyboardAndText)
{
    auto view = ui::TextView::create({0, 0, 100, 50});
    view->setEditable(false);
    EXPECT_FALSE(view->becomeFirstResponder());
    view->insertText("x");
    EXPECT_EQ(view->text(), "");
    view->setEditable(true);
    EXPECT_TRUE(view->becomeFirstResponder());
    EXPECT_TRUE(ui::Keyboard::shared().isVisible());
    view->insertText("ab");
    view->returnKey();
    view->insertText("中");
    view->deleteBackward();
    EXPECT_EQ(view->text(), "ab\n");
    view->setEditable(false);
    EXPECT_FALSE(view->isFirstResponder());
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
}

TEST_F(TextViewTest, TheDelegateIsAskedAndToldAboutEditing)
{
    struct Recorder : ui::TextViewDelegate {
        std::vector<std::string> events;
        bool mayBegin = false;
        bool mayEnd = false;
        std::optional<bool> textViewShouldBeginEditing(ui::TextView&) override
        {
            events.push_back("shouldBegin");
            return mayBegin;
        }
        void textViewDidBeginEditing(ui::TextView& view) override
        {
            events.push_back("didBegin " + std::to_string(view.isEditing()));
        }
        std::optional<bool> textViewShouldEndEditing(ui::TextView&) override
        {
            events.push_back("shouldEnd");
            return mayEnd;
        }
        void textViewDidEndEditing(ui::TextView&) override { events.push_back("didEnd"); }
        void textViewDidChange(ui::TextView& view) override { events.push_back("didChange " + view.text()); }
    };
    auto recorder = std::make_shared<Recorder>();
    auto view = ui::TextView::create({0, 0, 100, 50});
    view->setDelegate(recorder);
    EXPECT_FALSE(view->becomeFirstResponder());
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
    recorder->mayBegin = true;
    EXPECT_TRUE(view->becomeFirstResponder());
    view->insertText("a");
    view->setText("b"); // set by code: not a change the delegate hears of
    EXPECT_FALSE(view->resignFirstResponder());
    EXPECT_TRUE(view->isFirstResponder());
    recorder->mayEnd = true;
    EXPECT_TRUE(view->resignFirstResponder());
    EXPECT_EQ(recorder->events,
        (std::vector<std::string> {
            "shouldBegin", "shouldBegin", "didBegin 1", "didChange a", "shouldEnd", "shouldEnd", "didEnd"}));

    // A released delegate is simply not asked.
    recorder.reset();
    EXPECT_TRUE(view->becomeFirstResponder());
}

} // namespace
