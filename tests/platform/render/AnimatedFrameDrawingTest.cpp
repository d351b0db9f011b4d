#include "platform/graphics/Font.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/MoviePositionBar.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"
#include "tests/support/PixelProbe.h"

// Views that draw their own content, caught half-way through an animation of their frame: what
// they draw must fill the frame shown at that moment, not the frame they are heading for.

namespace {

using graphics::Color;
using graphics::Rect;
using mivo::test::boxNear;
using mivo::test::PixelProbe;

constexpr double kDuration = 1.0;

class AnimatedFrameDrawingTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Screen::mainScreen().setScale(2);
        m_window = ui::Window::create(ui::Screen::mainScreen().bounds());
        m_window->setBackgroundColor(Color::black());
        m_window->makeKeyAndVisible();
    }
    void TearDown() override
    {
        m_window.reset();
        ManualClockTest::TearDown();
    }

    // Places `view` at `from` and animates it linearly to `to`; halfWay() then stops the clock
    // half-way through every animation started.
    void animate(ui::View& view, Rect from, Rect to)
    {
        view.setFrame(from);
        m_window->addSubview(view.sharedAs<ui::View>());
        m_window->layoutIfNeeded();
        ui::View::animate(kDuration, 0, ui::AnimationOptions::CurveLinear, [&] { view.setFrame(to); }, {});
    }
    void halfWay() { runFor(kDuration / 2); }
    // The frame shown now, which must lie well short of `to`.
    static Rect shown(const ui::View& view, Rect to)
    {
        Rect frame = view.layer().presentation().frame();
        EXPECT_GT(std::abs(frame.width() - to.width()) + std::abs(frame.height() - to.height()), 10);
        return frame;
    }

    std::shared_ptr<ui::Window> m_window;
};

TEST_F(AnimatedFrameDrawingTest, AnImageViewFitsItsPictureIntoTheFrameShown)
{
    auto view = ui::ImageView::create(mivo::test::twoColourPhoto(200, 100, Color::red(), Color::blue()));
    view->setContentMode(ui::ContentMode::AspectFit);
    const Rect to {20, 100, 280, 280};
    animate(*view, {20, 20, 100, 100}, to);
    halfWay();
    Rect frame = shown(*view, to);

    auto probe = PixelProbe::screen();
    // The whole picture, 2:1, centred in the square shown.
    double height = frame.width() / 2, top = frame.midY() - height / 2;
    EXPECT_TRUE(boxNear(probe.boundingBox(Color::red()), {frame.minX(), top, frame.width() / 2, height}));
    EXPECT_TRUE(boxNear(probe.boundingBox(Color::blue()), {frame.midX(), top, frame.width() / 2, height}));
}

TEST_F(AnimatedFrameDrawingTest, ALabelCentresItsTextInTheFrameShown)
{
    auto label = ui::Label::create();
    label->setText("MIVO");
    label->setFont(graphics::Font::boldSystemFont(20));
    label->setTextColor(Color::green());
    label->setTextAlignment(graphics::TextAlignment::Center);
    const Rect to {0, 100, 320, 40};
    animate(*label, {0, 100, 100, 40}, to);
    halfWay();
    Rect frame = shown(*label, to);

    auto text = PixelProbe::screen().boundingBox(Color::green(), 80);
    ASSERT_TRUE(text);
    EXPECT_NEAR(text->midX(), frame.midX(), 2);
    EXPECT_NEAR(text->midY(), frame.midY(), 3);
}

TEST_F(AnimatedFrameDrawingTest, TextViewsAndFieldsDrawInTheFrameShown)
{
    auto field = ui::TextField::create();
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    const Rect fieldTo {10, 20, 300, 30};
    animate(*field, {10, 20, 100, 30}, fieldTo);

    auto textView = ui::TextView::create();
    textView->setBackgroundColor(Color::clear());
    textView->setText("MIVO");
    textView->setFont(graphics::Font::boldSystemFont(20));
    textView->setTextColor(Color::green());
    textView->setTextAlignment(graphics::TextAlignment::Center);
    const Rect textTo {0, 200, 320, 60};
    animate(*textView, {0, 200, 100, 60}, textTo);

    halfWay();
    Rect fieldShown = shown(*field, fieldTo), textShown = shown(*textView, textTo);

    auto probe = PixelProbe::screen();
    // The field's white rounded box, its corners cut.
    EXPECT_TRUE(boxNear(probe.boundingBox(Color::white(), 24, Rect {0, 0, 320, 100}), fieldShown));
    auto text = probe.boundingBox(Color::green(), 80);
    ASSERT_TRUE(text);
    EXPECT_NEAR(text->midX(), textShown.midX(), 2);
}

TEST_F(AnimatedFrameDrawingTest, BarsAndSpinnersDrawInTheFrameShown)
{
    auto track = ui::ProgressView::create(Rect {});
    track->setTrackTintColor(Color::green());
    const Rect trackTo {0, 20, 320, 4};
    animate(*track, {0, 20, 100, 4}, trackTo);

    auto position = ui::MoviePositionBar::create();
    position->setValue(1);
    const Rect positionTo {0, 60, 320, 20};
    animate(*position, {0, 60, 100, 20}, positionTo);

    auto spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    spinner->setHidesWhenStopped(false);
    spinner->setColor(Color::red());
    const Rect spinnerTo {0, 100, 280, 280};
    animate(*spinner, {0, 100, 40, 40}, spinnerTo);

    auto navigationBar = ui::NavigationBar::create({});
    const Rect barTo {0, 400, 320, 140};
    animate(*navigationBar, {0, 400, 320, 44}, barTo);

    halfWay();
    Rect trackShown = shown(*track, trackTo), positionShown = shown(*position, positionTo);
    Rect spinnerShown = shown(*spinner, spinnerTo), barShown = shown(*navigationBar, barTo);
    auto probe = PixelProbe::screen();
    EXPECT_TRUE(boxNear(probe.boundingBox(Color::green()), trackShown));
    // The knob at the end of the track shown.
    auto knob = probe.boundingBox(Color::white(), 24, Rect {0, 50, 320, 40});
    ASSERT_TRUE(knob);
    EXPECT_NEAR(knob->maxX(), positionShown.maxX(), 1);
    EXPECT_NEAR(knob->midY(), positionShown.midY(), 1);
    // A stopped spinner draws its top spoke at full colour, reaching the top of the frame shown.
    auto spoke = probe.boundingBox(Color::red());
    ASSERT_TRUE(spoke);
    EXPECT_NEAR(spoke->midX(), spinnerShown.midX(), 1);
    EXPECT_NEAR(spoke->minY(), spinnerShown.minY(), 1);
    EXPECT_LT(spoke->maxY(), spinnerShown.midY());
    // The hairline along the bottom of the bar shown.
    auto hairline = probe.boundingBox(Color::white(0.7), 24, Rect {0, 380, 320, 188});
    ASSERT_TRUE(hairline);
    EXPECT_NEAR(hairline->maxY(), barShown.maxY(), 1);
}

TEST_F(AnimatedFrameDrawingTest, AProgressBarFillsWithItsTintUnlessGivenAProgressTint)
{
    auto bare = ui::ProgressView::create(Rect {0, 20, 100, 4});
    auto tinted = ui::ProgressView::create(Rect {0, 40, 100, 4});
    tinted->setTintColor(Color::white());
    auto container = ui::View::create({0, 60, 320, 20});
    container->setTintColor(Color::green());
    auto inherits = ui::ProgressView::create(Rect {0, 0, 100, 4});
    container->addSubview(inherits);
    auto own = ui::ProgressView::create(Rect {0, 100, 100, 4});
    own->setTintColor(Color::white());
    own->setProgressTintColor(Color::red());
    for (auto& bar : {bare, tinted, inherits, own}) {
        bar->setTrackTintColor(Color::black());
        bar->setProgress(1);
    }
    m_window->addSubview(bare);
    m_window->addSubview(tinted);
    m_window->addSubview(container);
    m_window->addSubview(own);

    auto probe = PixelProbe::screen();
    EXPECT_TRUE(probe.covers({50, 22}, Color::rgba(0, 122.0 / 255, 1)));
    EXPECT_TRUE(probe.covers({50, 42}, Color::white()));
    EXPECT_TRUE(probe.covers({50, 62}, Color::green()));
    EXPECT_TRUE(probe.covers({50, 102}, Color::red()));
}

} // namespace
