#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

namespace {

using graphics::Color;
using graphics::Rect;

struct Rgb {
    int r, g, b;
};

Rgb at(const graphics::Image& image, int x, int y)
{
    uint32_t p = image.pixel(x, y);
    return {int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)};
}

// A screen whose left half is red and right half blue, under a full-screen blur.
class VisualEffectViewRenderTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->setBackgroundColor(Color::white());
        window->makeKeyAndVisible();
        add({0, 0, 160, 568}, Color::rgba(1, 0, 0));
        add({160, 0, 160, 568}, Color::rgba(0, 0, 1));
    }
    void TearDown() override
    {
        ui::Application::shared().resetForTesting();
        ManualClockTest::TearDown();
    }
    std::shared_ptr<ui::View> add(Rect frame, Color color, ui::View* parent = nullptr)
    {
        auto view = ui::View::create(frame);
        view->setBackgroundColor(color);
        (parent ? *parent : static_cast<ui::View&>(*window)).addSubview(view);
        return view;
    }
    std::shared_ptr<graphics::Image> screen() { return render::Renderer(1).renderScreen(); }

    std::shared_ptr<ui::Window> window;
};

TEST_F(VisualEffectViewRenderTest, BlursWhatLiesBehindAndTintsItByStyle)
{
    const struct {
        ui::BlurEffectStyle style;
        Rgb farLeft; // red under the style's tint
    } table[] = {
        {ui::BlurEffectStyle::ExtraLight, {248, 203, 203}},
        {ui::BlurEffectStyle::Light, {255, 77, 77}},
        {ui::BlurEffectStyle::Dark, {89, 20, 20}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(int(row.style));
        auto blur
            = ui::VisualEffectView::create(ui::BlurEffect::effectWithStyle(row.style), window->bounds());
        window->addSubview(blur);
        add({280, 500, 20, 20}, Color::rgba(0, 1, 0), blur->contentView().get());
        auto image = screen();
        Rgb left = at(*image, 20, 300);
        EXPECT_NEAR(left.r, row.farLeft.r, 4);
        EXPECT_NEAR(left.g, row.farLeft.g, 4);
        EXPECT_NEAR(left.b, row.farLeft.b, 4);
        // Red and blue run into each other across the edge.
        Rgb edge = at(*image, 158, 300);
        EXPECT_GT(edge.b, left.b + 10);
        Rgb edgeRight = at(*image, 162, 300);
        EXPECT_GT(edgeRight.r, at(*image, 300, 300).r + 10);
        // The content stays sharp on top.
        Rgb content = at(*image, 290, 510);
        EXPECT_EQ(content.g, 255);
        EXPECT_EQ(content.r, 0);
        blur->removeFromSuperview();
    }
}

TEST_F(VisualEffectViewRenderTest, WithoutAnEffectItIsClear)
{
    auto clear = ui::VisualEffectView::create(std::nullopt, window->bounds());
    window->addSubview(clear);
    auto image = screen();
    Rgb left = at(*image, 158, 300);
    EXPECT_EQ(left.r, 255);
    EXPECT_EQ(left.b, 0);
}

TEST_F(VisualEffectViewRenderTest, OnlyWhatIsBehindIsBlurredEvenInsideAFadingParent)
{
    auto fading = ui::View::create(window->bounds());
    fading->setAlpha(0.5);
    window->addSubview(fading);
    auto blur = ui::VisualEffectView::create(
        ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::Dark), {0, 0, 320, 300});
    fading->addSubview(blur);
    // In front of the blur: not part of its backdrop.
    auto front = add({0, 0, 40, 40}, Color::rgba(0, 1, 0));
    auto image = screen();
    // Half the dark-tinted blurred red over red.
    Rgb left = at(*image, 80, 150);
    EXPECT_NEAR(left.r, (89 + 255) / 2, 4);
    EXPECT_NEAR(left.g, 10, 4);
    Rgb shielded = at(*image, 80, 450);
    EXPECT_EQ(shielded.r, 255);
    Rgb green = at(*image, 60, 20);
    EXPECT_LT(green.g, 40); // the green square in front leaves no trace in the blur beside it
    EXPECT_EQ(at(*image, 20, 20).g, 255);
}

} // namespace
