#include "components/alert/ModalAlertButton.h"

#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "tests/components/alert/AlertTestSupport.h"

#include <gtest/gtest.h>

using graphics::Color;

namespace {

void expectColor(std::optional<Color> actual, double r, double g, double b, double a)
{
    ASSERT_TRUE(actual.has_value());
    EXPECT_NEAR(actual->r, r, 1e-6);
    EXPECT_NEAR(actual->g, g, 1e-6);
    EXPECT_NEAR(actual->b, b, 1e-6);
    EXPECT_NEAR(actual->a, a, 1e-9);
}

} // namespace

TEST(ModalAlertButton, StartsWithTheDefaultFrameAndNoColourPressedOrNot)
{
    EXPECT_RECT_EQ(ModalAlertButton::create({40, 50, 10, 500})->frame(), 0, 0, 216, 35);
    auto button = ModalAlertButton::create();
    EXPECT_RECT_EQ(button->frame(), 0, 0, 216, 35);
    EXPECT_EQ(button->actionType(), ModalAlertButton::ActionType::None);
    EXPECT_FALSE(button->defaultBackgroundColor());
    for (bool pressed : {true, false}) {
        button->setHighlighted(pressed);
        EXPECT_FALSE(button->backgroundColor());
    }
    EXPECT_FALSE(ModalAlertButton::darkerColorForColor(std::nullopt));
}

TEST(ModalAlertButton, PressedShowsTheDarkerColourAndReleasedTheDefault)
{
    auto button = ModalAlertButton::create();
    button->setDefaultBackgroundColor(Color::rgba(0.1, 0.5, 1.0, 0.8));
    expectColor(button->backgroundColor(), 0.1, 0.5, 1.0, 0.8);

    button->setHighlighted(true);
    EXPECT_TRUE(button->isHighlighted());
    // 0.2 in single precision is 0.20000000298023224.
    expectColor(button->backgroundColor(), 0.0, 0.5 - 0.20000000298023224, 1.0 - 0.20000000298023224, 0.8);

    button->setHighlighted(false);
    expectColor(button->backgroundColor(), 0.1, 0.5, 1.0, 0.8);
}

TEST(ModalAlertButton, ATouchOnScreenDarkensWhileDown)
{
    ui::Application::shared().resetForTesting();
    auto window = ui::Window::create({0, 0, 320, 568});
    window->makeKeyAndVisible();
    auto button = ModalAlertButton::create();
    button->setFrame({20, 20, 216, 35});
    button->setDefaultBackgroundColor(Color::rgba(0.5, 0.5, 0.5, 1));
    window->addSubview(button);

    auto touch = ui::Application::shared().touchDown({50, 30});
    ASSERT_TRUE(touch);
    expectColor(button->backgroundColor(), 0.5 - 0.20000000298023224, 0.5 - 0.20000000298023224,
        0.5 - 0.20000000298023224, 1);
    ui::Application::shared().touchUp(touch, {50, 30});
    expectColor(button->backgroundColor(), 0.5, 0.5, 0.5, 1);
    ui::Application::shared().resetForTesting();
}

TEST(ModalAlertButton, LighterAndDarkerClampAtTheEnds)
{
    expectColor(ModalAlertButton::lighterColorForColor(Color::white()), 1, 1, 1, 1);
    expectColor(ModalAlertButton::darkerColorForColor(Color::black()), 0, 0, 0, 1);
    expectColor(ModalAlertButton::lighterColorForColor(Color::rgba(0.5, 0.9, 0, 0.3)),
        0.5 + 0.20000000298023224, 1, 0.20000000298023224, 0.3);
}

TEST(ModalAlertButton, ParseConfigAppliesOnlyWhatIsGiven)
{
    auto button = ModalAlertButton::create();
    button->setDefaultBackgroundColor(Color::red());
    button->layer().setBorderColor(Color::green());
    const auto titleColor = button->titleColorForState(ui::ControlState::Normal);

    button->parseConfig({});
    expectColor(button->defaultBackgroundColor(), 1, 0, 0, 1);
    EXPECT_EQ(button->titleColorForState(ui::ControlState::Normal), titleColor);
    EXPECT_EQ(button->layer().borderWidth(), 0);

    // A border colour needs a width to take effect.
    button->parseConfig({.borderColor = Color::blue()});
    EXPECT_EQ(button->layer().borderColor(), Color::green());

    button->parseConfig({.borderWidth = 2.5});
    EXPECT_EQ(button->layer().borderWidth(), 2.5);
    EXPECT_EQ(button->layer().borderColor(), Color::green());

    button->parseConfig({.backgroundColor = Color::blue(),
        .textColor = Color::black(),
        .borderColor = Color::white(),
        .borderWidth = 1});
    expectColor(button->defaultBackgroundColor(), 0, 0, 1, 1);
    expectColor(button->backgroundColor(), 0, 0, 1, 1);
    EXPECT_EQ(button->titleColorForState(ui::ControlState::Normal), Color::black());
    EXPECT_EQ(button->layer().borderColor(), Color::white());
    EXPECT_EQ(button->layer().borderWidth(), 1);
}
