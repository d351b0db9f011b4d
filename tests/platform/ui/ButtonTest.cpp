#include "platform/ui/Button.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "tests/platform/ui/UiTest.h"

#include <cmath>

namespace {

using graphics::Color;
using ui::ControlState;

class ButtonTest : public mivo::test::UiTest { };

TEST_F(ButtonTest, StatesFallBackToNormal)
{
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setTitle("确定", ControlState::Normal);
    button->setTitle("按下", ControlState::Highlighted);
    button->setTitle("选中", ControlState::Selected);
    button->setTitleColor(Color::red(), ControlState::Normal);
    EXPECT_EQ(button->currentTitle(), "确定");
    EXPECT_EQ(button->titleLabel()->text(), "确定");

    button->setHighlighted(true);
    EXPECT_EQ(button->titleLabel()->text(), "按下");
    EXPECT_EQ(button->currentTitleColor(), Color::red());
    button->setHighlighted(false);
    button->setEnabled(false);
    EXPECT_EQ(button->currentTitle(), "确定");

    button->setEnabled(true);
    button->setSelected(true);
    button->setHighlighted(true);
    // Selected + highlighted has no title of its own: the selected one wins over normal.
    EXPECT_EQ(button->currentTitle(), "选中");
    EXPECT_EQ(button->automationText(), "选中");

    // A system button dims its title while pressed unless given a colour for that.
    auto system = ui::Button::create(ui::ButtonType::System);
    system->setTitle("Go", ControlState::Normal);
    Color normal = system->currentTitleColor();
    system->setHighlighted(true);
    EXPECT_LT(system->currentTitleColor().a, normal.a);
    system->setTitleColor(Color::black(), ControlState::Highlighted);
    EXPECT_EQ(system->currentTitleColor(), Color::black());
}

TEST_F(ButtonTest, BackgroundImagesFollowTheState)
{
    auto normal = graphics::Image::create(1, 1);
    auto pressed = graphics::Image::create(1, 1);
    auto button = ui::Button::create(graphics::Rect {0, 0, 100, 40});
    button->setBackgroundImage(normal, ControlState::Normal);
    button->setBackgroundImage(pressed, ControlState::Highlighted);
    button->layoutIfNeeded();
    ASSERT_FALSE(button->subviews().empty());
    auto background = std::dynamic_pointer_cast<ui::ImageView>(button->subviews().front());
    ASSERT_TRUE(background);
    EXPECT_EQ(background->image(), normal);
    EXPECT_EQ(background->frame(), button->bounds());
    button->setHighlighted(true);
    EXPECT_EQ(background->image(), pressed);
    EXPECT_EQ(button->currentBackgroundImage(), pressed);
}

TEST_F(ButtonTest, SizeToFitAddsContentInsetsAndCentresTheTitle)
{
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setTitle("Hello", ControlState::Normal);
    button->titleLabel()->setFont(graphics::Font::systemFont(20));
    button->setContentEdgeInsets({5, 10, 5, 10});
    button->sizeToFit();
    double textWidth = std::ceil(graphics::TextLayout::lineWidth("Hello", graphics::Font::systemFont(20)));
    EXPECT_NEAR(button->bounds().width(), textWidth + 20, 1.0);
    EXPECT_GT(button->bounds().height(), 20);

    button->setFrame({0, 0, 200, 50});
    button->layoutIfNeeded();
    auto label = button->titleLabel();
    EXPECT_NEAR(label->frame().midX(), 100, 0.5);
    EXPECT_NEAR(label->frame().midY(), 25, 0.5);

    // Title insets shift a centred title by half their difference.
    button->setTitleEdgeInsets({0, 20, 0, 0});
    button->layoutIfNeeded();
    EXPECT_NEAR(label->frame().midX(), 110, 0.5);
}

TEST_F(ButtonTest, TapOnTitleReachesTheButton)
{
    auto window = keyWindow();
    auto button = ui::Button::create(graphics::Rect {20, 20, 120, 44});
    button->setTitle("确定", ControlState::Normal);
    window->addSubview(button);
    app().layoutWindows();
    int taps = 0;
    button->addAction(ui::ControlEvents::TouchUpInside, [&](ui::Control&) { ++taps; });
    app().tap({80, 42});
    EXPECT_EQ(taps, 1);
}

} // namespace
