#include "components/switch/OnOffSwitch.h"

#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

using graphics::Color;
using graphics::Rect;

namespace {

constexpr Color kOnTint = Color::rgba(0.3f, 0.85f, 0.39f);
constexpr Color kActive = Color::rgba(0.89f, 0.89f, 0.89f);

// A 64 x 29 switch (the login screen's size) at (100, 100) in a key window, on the manual clock.
class OnOffSwitchTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
        control = OnOffSwitch::create({100, 100, 64, 29});
        control->addAction(ui::ControlEvents::ValueChanged, [this](ui::Control&) { ++events; });
        window->addSubview(control);
        settle();
    }
    void TearDown() override
    {
        runFor(1);
        ui::Application::shared().resetForTesting();
        window.reset();
        control.reset();
        ManualClockTest::TearDown();
    }

    void settle() { runFor(0); }
    graphics::Point at(double x) const { return {100 + x, 114}; }
    void tap() { ui::Application::shared().tap(at(20)); }
    // Down at `from`, through each point of `path`, up at the last one.
    void drag(double from, std::initializer_list<double> path)
    {
        auto touch = ui::Application::shared().touchDown(at(from));
        ASSERT_TRUE(touch);
        runFor(0.05);
        double last = from;
        for (double x : path) {
            ui::Application::shared().touchMoved(touch, at(x));
            runFor(0.05);
            last = x;
        }
        ui::Application::shared().touchUp(touch, at(last));
    }
    Rect knob() const { return control->knob()->frame(); }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<OnOffSwitch> control;
    int events {0};
};

} // namespace

TEST_F(OnOffSwitchTest, InitialisersFallBackToTheDefaultFrame)
{
    for (const auto& made :
        {OnOffSwitch::create(), OnOffSwitch::create(Rect {}), OnOffSwitch::create({40, 7, 0, 0})}) {
        EXPECT_EQ(made->frame(), (Rect {0, 0, 50, 30}));
        EXPECT_FALSE(made->isOn());
        EXPECT_TRUE(made->isRounded());
        EXPECT_EQ(made->knob()->frame(), (Rect {1, 1, 30, 30})); // side h until the first layout
        made->layoutIfNeeded();
        EXPECT_EQ(made->knob()->frame(), (Rect {1, 1, 28, 28}));
    }
}

TEST_F(OnOffSwitchTest, DefaultsAreThoseOfTheTable)
{
    auto made = OnOffSwitch::create();
    EXPECT_EQ(made->inactiveColor(), Color::clear());
    EXPECT_EQ(made->activeColor(), kActive);
    EXPECT_EQ(made->onTintColor(), kOnTint);
    EXPECT_EQ(made->onColor(), kOnTint);
    EXPECT_EQ(made->borderColor(), Color::rgba(0.89f, 0.89f, 0.91f));
    EXPECT_EQ(made->thumbTintColor(), Color::white());
    EXPECT_EQ(made->shadowColor(), Color::white(0.5));
    EXPECT_EQ(made->onFontColor(), Color::white());
    EXPECT_EQ(made->offFontColor(), Color::white(2.0 / 3.0));
    EXPECT_EQ(made->labelFont().pointSize(), 12);
    EXPECT_FLOAT_EQ(made->onTintColor()->g, 0.85f);
    EXPECT_NE(made->onTintColor()->g, 0.85); // single precision, as stored

    const auto& knobLayer = made->knob()->layer();
    EXPECT_EQ(knobLayer.shadowRadius(), 2);
    EXPECT_EQ(knobLayer.shadowOpacity(), 0.5);
    EXPECT_EQ(knobLayer.shadowOffset(), (graphics::Size {0, 3}));
    EXPECT_EQ(made->background()->layer().borderWidth(), 1);
    EXPECT_EQ(made->background()->layer().borderColor(), *made->borderColor());
    EXPECT_EQ(made->onImageView()->alpha(), 0);
    EXPECT_EQ(made->offImageView()->alpha(), 1);
    EXPECT_EQ(made->onImageView()->contentMode(), ui::ContentMode::Left);
    EXPECT_EQ(made->offImageView()->contentMode(), ui::ContentMode::Right);
}

TEST_F(OnOffSwitchTest, GeometryForRoundedAndSquareForms)
{
    EXPECT_EQ(control->background()->layer().cornerRadius(), 14.5);
    EXPECT_EQ(control->knob()->layer().cornerRadius(), 13.5);
    EXPECT_EQ(knob(), (Rect {1, 1, 27, 27}));
    EXPECT_EQ(control->onImageView()->frame(), (Rect {0, 0, 35, 29}));
    EXPECT_EQ(control->offImageView()->frame(), (Rect {29, 0, 35, 29}));
    control->setOn(true);
    EXPECT_EQ(knob(), (Rect {36, 1, 27, 27}));

    control->setIsRounded(false);
    EXPECT_EQ(control->background()->layer().cornerRadius(), 2);
    EXPECT_EQ(control->knob()->layer().cornerRadius(), 2);
    control->setNeedsLayout();
    settle();
    EXPECT_EQ(control->background()->layer().cornerRadius(), 2);
}

TEST_F(OnOffSwitchTest, SetOnMovesTheKnobAtOnceWithoutAnEvent)
{
    control->setOn(true);
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(knob().minX(), 36);
    EXPECT_EQ(control->background()->backgroundColor(), kOnTint);
    EXPECT_EQ(control->onImageView()->alpha(), 1);
    EXPECT_EQ(control->offImageView()->alpha(), 0);
    EXPECT_EQ(events, 0);

    control->setOn(false, true);
    EXPECT_TRUE(control->isAnimating());
    EXPECT_FALSE(control->currentVisualValue());
    runFor(0.15);
    const double halfway = control->knob()->layer().presentation().frame().minX();
    EXPECT_GT(halfway, 1);
    EXPECT_LT(halfway, 36);
    runFor(0.2);
    EXPECT_FALSE(control->isAnimating());
    EXPECT_EQ(control->knob()->layer().presentation().frame().minX(), 1);
    EXPECT_EQ(events, 0);
}

TEST_F(OnOffSwitchTest, ATapTogglesAndSendsOneEventEachTime)
{
    tap();
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(events, 1);
    runFor(0.4);
    EXPECT_EQ(knob(), (Rect {36, 1, 27, 27})); // back to the normal side after the touch
    tap();
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(events, 2);
    runFor(0.4);
    EXPECT_EQ(knob(), (Rect {1, 1, 27, 27}));
}

TEST_F(OnOffSwitchTest, TheKnobWidensWhileAFingerIsDown)
{
    auto touch = ui::Application::shared().touchDown(at(10));
    ASSERT_TRUE(touch);
    EXPECT_TRUE(control->isTracking());
    EXPECT_EQ(knob(), (Rect {1, 1, 32, 27}));
    EXPECT_EQ(control->background()->backgroundColor(), kActive);
    runFor(0.4);
    ui::Application::shared().touchUp(touch, at(10));
    EXPECT_TRUE(control->isOn());

    touch = ui::Application::shared().touchDown(at(10));
    EXPECT_EQ(knob(), (Rect {31, 1, 32, 27})); // right edge kept 1 point from the end
    EXPECT_EQ(control->background()->backgroundColor(), kOnTint);
    ui::Application::shared().touchCancelled(touch);
    runFor(0.4);
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(knob(), (Rect {36, 1, 27, 27}));
    EXPECT_EQ(events, 1);
}

TEST_F(OnOffSwitchTest, DragsEndOnTheSideUnderTheFinger)
{
    struct Case {
        const char* name;
        bool startOn;
        double from;
        std::initializer_list<double> path;
        bool endsOn;
        int events;
    };
    const Case cases[] = {
        {"off, across the middle", false, 5, {20, 40, 60}, true, 1},
        {"off, across and back", false, 5, {40, 60, 10}, false, 0},
        {"on, across the middle", true, 60, {40, 10}, false, 1},
        {"on, across and back", true, 60, {10, 50}, true, 0},
        {"off, to exactly the middle", false, 5, {20, 32}, true, 1}, // no change seen: a tap
        {"off, over and to the middle", false, 5, {50, 32}, false, 0},
    };
    for (const auto& c : cases) {
        control->setOn(c.startOn);
        events = 0;
        drag(c.from, c.path);
        EXPECT_EQ(control->isOn(), c.endsOn) << c.name;
        EXPECT_EQ(events, c.events) << c.name;
        runFor(0.4);
        EXPECT_EQ(knob().minX(), c.endsOn ? 36 : 1) << c.name;
    }
}

TEST_F(OnOffSwitchTest, ColoursForTheOtherSideWaitUntilItShows)
{
    constexpr Color kRed = Color::rgba(1, 0, 0);
    control->setOnTintColor(kRed);
    EXPECT_EQ(control->background()->backgroundColor(), Color::clear());
    control->setOn(true);
    EXPECT_EQ(control->background()->backgroundColor(), kRed);
    EXPECT_EQ(control->background()->layer().borderColor(), kRed);

    control->setInactiveColor(Color::blue());
    control->setBorderColor(Color::green());
    EXPECT_EQ(control->background()->backgroundColor(), kRed);
    EXPECT_EQ(control->background()->layer().borderColor(), kRed);
    control->setOn(false);
    EXPECT_EQ(control->background()->backgroundColor(), Color::blue());
    EXPECT_EQ(control->background()->layer().borderColor(), Color::green());

    control->setKnobColor(Color::yellow());
    EXPECT_EQ(control->knob()->backgroundColor(), Color::yellow());
    control->setShadowColor(Color::black());
    EXPECT_EQ(control->knob()->layer().shadowColor(), Color::black());
}

TEST_F(OnOffSwitchTest, ALayoutDuringAnAnimationChangesNoFrame)
{
    control->setOn(true, true);
    control->setFrame({100, 100, 80, 40});
    control->layoutIfNeeded();
    EXPECT_EQ(control->background()->frame(), (Rect {0, 0, 64, 29}));
    EXPECT_EQ(knob(), (Rect {36, 1, 27, 27}));
    runFor(0.4);
    control->setNeedsLayout();
    control->layoutIfNeeded();
    EXPECT_EQ(control->background()->frame(), (Rect {0, 0, 80, 40}));
    EXPECT_EQ(knob(), (Rect {41, 1, 38, 38}));
}

TEST_F(OnOffSwitchTest, TextsAndImagesReachTheirViews)
{
    auto image = graphics::Image::create(20, 20, 2);
    control->setOnImage(image);
    control->setOffImage(image);
    control->setOnText("开");
    control->setOffText("关");
    control->setOnFontColor(Color::black());
    EXPECT_EQ(control->onImageView()->image(), image);
    EXPECT_EQ(control->offImageView()->image(), image);
    EXPECT_EQ(control->onLabel()->text(), "开");
    EXPECT_EQ(control->offLabel()->text(), "关");
    // A new switch is off: only the off side's text shows.
    EXPECT_EQ(control->onLabel()->alpha(), 0);
    EXPECT_EQ(control->offLabel()->alpha(), 1);
    EXPECT_NE(control->onLabel()->textColor(), Color::black()); // fonts and colours wait for layout
    control->setNeedsLayout();
    settle();
    EXPECT_EQ(control->onLabel()->textColor(), Color::black());
    control->setOnText(std::nullopt);
    EXPECT_EQ(control->onLabel()->text(), "");
}
