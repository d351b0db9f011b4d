#include "platform/render/Renderer.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ShapeLayer.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"

#include <cmath>
#include <numbers>

namespace {

using graphics::Color;
using graphics::Image;
using graphics::Rect;

struct Rgba {
    int r, g, b, a;
};

// Un-premultiplied 0-255 components of a pixel.
Rgba at(const Image& image, int x, int y)
{
    uint32_t p = image.pixel(x, y);
    int a = int(p >> 24), r = int((p >> 16) & 255), g = int((p >> 8) & 255), b = int(p & 255);
    if (a > 0 && a < 255) {
        r = r * 255 / a;
        g = g * 255 / a;
        b = b * 255 / a;
    }
    return {r, g, b, a};
}

::testing::AssertionResult near(Rgba actual, Rgba expected, int tolerance = 3)
{
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance
        && std::abs(actual.b - expected.b) <= tolerance && std::abs(actual.a - expected.a) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "pixel (" << actual.r << "," << actual.g << "," << actual.b << "," << actual.a << ") expected ("
        << expected.r << "," << expected.g << "," << expected.b << "," << expected.a << ")";
}

constexpr Rgba kWhite {255, 255, 255, 255};
constexpr Rgba kRed {255, 0, 0, 255};
constexpr Rgba kBlue {0, 0, 255, 255};
constexpr Rgba kGreen {0, 255, 0, 255};
constexpr Rgba kNothing {0, 0, 0, 0};

class ShapeView final : public ui::View {
public:
    explicit ShapeView(Rect frame)
        : View(frame, [](ui::View& view) { return std::make_unique<ui::ShapeLayer>(view); })
    { }
    ui::ShapeLayer& shape() { return static_cast<ui::ShapeLayer&>(layer()); }
};

class RendererTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        // The basics are checked on a bare screen; the status bar has a test of its own.
        ui::Application::shared().setStatusBarHidden(true);
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->setBackgroundColor(Color::white());
        window->makeKeyAndVisible();
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
    // The screen at scale 1, so that pixels are points.
    std::shared_ptr<Image> screen() { return render::Renderer(1).renderScreen(); }

    std::shared_ptr<ui::Window> window;
};

TEST_F(RendererTest, BackgroundsAtTheScreenScale)
{
    add({10, 20, 30, 40}, Color::red());
    auto image = render::Renderer().renderScreen();
    EXPECT_EQ(image->pixelWidth(), 640);
    EXPECT_EQ(image->pixelHeight(), 1136);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_TRUE(near(at(*image, 20, 40), kRed));
    EXPECT_TRUE(near(at(*image, 79, 119), kRed));
    EXPECT_TRUE(near(at(*image, 81, 121), kWhite));
    EXPECT_TRUE(near(at(*image, 19, 39), kWhite));
}

TEST_F(RendererTest, RoundedCornersClipContentAndSubviews)
{
    auto rounded = add({20, 20, 40, 40}, Color::blue());
    rounded->layer().setCornerRadius(20);
    add({-10, -10, 100, 15}, Color::green(), rounded.get());
    auto image = screen();
    // Without clipping the child spills over the corner and outside.
    EXPECT_TRUE(near(at(*image, 21, 11), kGreen));
    EXPECT_TRUE(near(at(*image, 40, 40), kBlue));
    EXPECT_TRUE(near(at(*image, 21, 58), kWhite)); // the background itself is rounded

    rounded->setClipsToBounds(true);
    image = screen();
    EXPECT_TRUE(near(at(*image, 21, 11), kWhite));
    EXPECT_TRUE(near(at(*image, 40, 22), kGreen)); // the top middle is inside the circle
    EXPECT_TRUE(near(at(*image, 21, 21), kWhite)); // the corner is cut
}

TEST_F(RendererTest, BorderIsDrawnInsideTheBoundsOverSubviews)
{
    auto box = add({10, 10, 40, 40}, Color::white());
    box->layer().setBorderWidth(4);
    box->layer().setBorderColor(Color::green());
    add({0, 0, 40, 40}, Color::red(), box.get());
    auto image = screen();
    EXPECT_TRUE(near(at(*image, 11, 30), kGreen));
    EXPECT_TRUE(near(at(*image, 13, 30), kGreen));
    EXPECT_TRUE(near(at(*image, 15, 30), kRed));
    EXPECT_TRUE(near(at(*image, 30, 30), kRed));
    EXPECT_TRUE(near(at(*image, 51, 30), kWhite));
}

TEST_F(RendererTest, GroupAlphaFadesOverlappingSubviewsAsOnePicture)
{
    auto parent = add({10, 10, 40, 40}, Color::red());
    add({0, 0, 40, 40}, Color::blue(), parent.get());
    parent->setAlpha(0.5);
    auto image = screen();
    // Only the blue child shows through at half strength; the red under it does not mix in.
    EXPECT_TRUE(near(at(*image, 30, 30), {127, 127, 255, 255}, 4));

    auto leaf = add({60, 10, 20, 20}, Color::black());
    leaf->setAlpha(0.25);
    image = screen();
    EXPECT_TRUE(near(at(*image, 70, 20), {191, 191, 191, 255}, 4));
}

TEST_F(RendererTest, HiddenAndTransparentViewsAreSkipped)
{
    auto hidden = add({10, 10, 20, 20}, Color::red());
    hidden->setHidden(true);
    add({0, 0, 5, 5}, Color::red(), hidden.get());
    auto clear = add({40, 10, 20, 20}, Color::red());
    clear->setAlpha(0);
    auto offscreen = add({1000, 1000, 20, 20}, Color::red());
    offscreen->setClipsToBounds(true);
    add({0, 0, 5, 5}, Color::red(), offscreen.get());
    render::Renderer renderer(1);
    auto image = renderer.renderScreen();
    EXPECT_TRUE(near(at(*image, 15, 15), kWhite));
    EXPECT_TRUE(near(at(*image, 45, 15), kWhite));
    EXPECT_EQ(renderer.viewsDrawn(), 1u); // the window alone
}

TEST_F(RendererTest, TransformsRotateAndScaleAroundTheCentre)
{
    auto bar = add({100, 140, 80, 20}, Color::red()); // centre (140, 150)
    bar->setTransform(graphics::AffineTransform::makeRotation(std::numbers::pi / 2));
    auto image = screen();
    EXPECT_TRUE(near(at(*image, 140, 115), kRed)); // now vertical: 40 above the centre
    EXPECT_TRUE(near(at(*image, 110, 150), kWhite)); // and no longer 30 to its left

    bar->setTransform(graphics::AffineTransform::makeScale(0.5, 0.5));
    image = screen();
    EXPECT_TRUE(near(at(*image, 125, 150), kRed));
    EXPECT_TRUE(near(at(*image, 105, 150), kWhite));

    // Scaled to nothing (where pop-in animations start): the view vanishes, and the views drawn
    // after it still appear.
    bar->setTransform(graphics::AffineTransform::makeScale(0, 0));
    add({10, 10, 20, 20}, Color::blue());
    image = screen();
    EXPECT_TRUE(near(at(*image, 140, 150), kWhite));
    EXPECT_TRUE(near(at(*image, 20, 20), kBlue));
}

TEST_F(RendererTest, ImagesFollowTheContentMode)
{
    auto red = Image::create(10, 10, 1);
    red->fill(0xFFFF0000);
    auto view = ui::ImageView::create(Rect {0, 100, 40, 20});
    view->setImage(red);
    window->addSubview(view);

    view->setContentMode(ui::ContentMode::AspectFit);
    auto image = screen();
    EXPECT_TRUE(near(at(*image, 5, 110), kWhite));
    EXPECT_TRUE(near(at(*image, 15, 110), kRed));
    EXPECT_TRUE(near(at(*image, 35, 110), kWhite));

    view->setContentMode(ui::ContentMode::Center);
    image = screen();
    EXPECT_TRUE(near(at(*image, 20, 101), kWhite));
    EXPECT_TRUE(near(at(*image, 20, 110), kRed));
    EXPECT_TRUE(near(at(*image, 13, 110), kWhite));

    view->setContentMode(ui::ContentMode::ScaleToFill);
    image = screen();
    EXPECT_TRUE(near(at(*image, 1, 101), kRed));
    EXPECT_TRUE(near(at(*image, 38, 118), kRed));
}

TEST_F(RendererTest, ShadowFallsBelowTheShape)
{
    auto card = add({100, 100, 50, 50}, Color::white());
    card->layer().setShadowColor(Color::black());
    card->layer().setShadowOpacity(1);
    card->layer().setShadowOffset({0, 10});
    card->layer().setShadowRadius(2);
    auto image = screen();
    EXPECT_TRUE(near(at(*image, 125, 125), kWhite));
    EXPECT_LT(at(*image, 125, 155).r, 100); // under the card's bottom edge
    EXPECT_TRUE(near(at(*image, 125, 175), kWhite, 8));
    EXPECT_TRUE(near(at(*image, 125, 95), kWhite, 8)); // nothing above

    // A shadow path replaces the shape.
    card->layer().setShadowPath(graphics::BezierPath::rect({0, 50, 10, 10}));
    image = screen();
    EXPECT_TRUE(near(at(*image, 125, 155), kWhite, 8));
    EXPECT_LT(at(*image, 105, 165).r, 100);
}

TEST_F(RendererTest, TextIsDrawnThroughTheViews)
{
    auto label = ui::Label::create({10, 10, 200, 40});
    label->setText("确定 OK");
    label->setFont(graphics::Font::systemFont(30));
    window->addSubview(label);
    auto image = screen();
    int dark = 0;
    for (int y = 10; y < 50; ++y)
        for (int x = 10; x < 210; ++x)
            dark += at(*image, x, y).r < 128;
    EXPECT_GT(dark, 50);
}

TEST_F(RendererTest, SnapshotsDrawTheViewInItsOwnBoundsOrHaveNoPixelsWhenTooLarge)
{
    auto view = add({30, 40, 20, 10}, Color::blue());
    add({10, 0, 10, 10}, Color::red(), view.get());
    view->setTransform(graphics::AffineTransform::makeScale(2, 2));
    auto image = render::Renderer::snapshot(*view);
    EXPECT_EQ(image->pixelWidth(), 40);
    EXPECT_EQ(image->pixelHeight(), 20);
    EXPECT_TRUE(near(at(*image, 5, 5), kBlue));
    EXPECT_TRUE(near(at(*image, 35, 15), kRed));

    auto snapshot = render::Renderer::snapshotViewAfterScreenUpdates(*view, true);
    EXPECT_EQ(snapshot->frame(), view->frame());
    auto imageView = std::dynamic_pointer_cast<ui::ImageView>(snapshot);
    ASSERT_TRUE(imageView);
    EXPECT_EQ(imageView->image()->size(), (graphics::Size {20, 10}));

    // A view too large to draw gives an image without pixels.
    auto huge = add({0, 0, 1e7, 1e7}, Color::blue());
    image = render::Renderer::snapshot(*huge);
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->isBitmapBacked());
    EXPECT_EQ(image->size(), (graphics::Size {1e7, 1e7}));
}

TEST_F(RendererTest, PresentationValuesAreDrawnDuringAnimations)
{
    auto box = add({0, 200, 20, 20}, Color::red());
    ui::View::animate(1.0, 0, ui::AnimationOptions::CurveLinear,
        [&] {
            box->setFrame({100, 200, 20, 20});
        },
        {});
    runFor(0.5);
    auto image = screen();
    EXPECT_TRUE(near(at(*image, 60, 210), kRed));
    EXPECT_TRUE(near(at(*image, 110, 210), kWhite));
}

TEST_F(RendererTest, ShapeLayersFillAndStrokeTheirPathOverTheBackground)
{
    auto view = std::make_shared<ShapeView>(Rect {20, 20, 100, 100});
    view->setBackgroundColor(Color::blue());
    // A ring by the even-odd rule: the hole shows the background.
    graphics::BezierPath ring = graphics::BezierPath::rect({10, 10, 80, 80});
    ring.append(graphics::BezierPath::rect({30, 30, 40, 40}));
    ring.setUsesEvenOddFillRule(true);
    view->shape().setPath(ring);
    view->shape().setFillColor(Color::red());
    view->shape().setStrokeColor(Color::green());
    view->shape().setLineWidth(4);
    window->addSubview(view);

    auto image = screen();
    EXPECT_TRUE(near(at(*image, 25, 25), kBlue));
    EXPECT_TRUE(near(at(*image, 40, 40), kRed));
    EXPECT_TRUE(near(at(*image, 70, 70), kBlue));
    // The stroke straddles the path: 2 points each side of it.
    EXPECT_TRUE(near(at(*image, 70, 29), kGreen));
    EXPECT_TRUE(near(at(*image, 70, 31), kGreen));

    // A path reaching beyond the bounds of a view that does not clip still shows there.
    view->shape().setPath(graphics::BezierPath::rect({-15, 40, 10, 10}));
    view->shape().setStrokeColor(std::nullopt);
    image = screen();
    EXPECT_TRUE(near(at(*image, 10, 65), kRed));
    view->layer().setMasksToBounds(true);
    image = screen();
    EXPECT_TRUE(near(at(*image, 10, 65), kWhite));
}

TEST_F(RendererTest, ShapeOutsideItsEmptyBoundsIsStillDrawn)
{
    // Bounds of zero size, as shape layers often have: the path alone says where it paints.
    auto view = std::make_shared<ShapeView>(Rect {50, 50, 0, 0});
    view->shape().setPath(graphics::BezierPath::oval({-10, -10, 20, 20}));
    view->shape().setFillColor(Color::red());
    window->addSubview(view);
    auto image = screen();
    EXPECT_TRUE(near(at(*image, 50, 50), kRed));
    EXPECT_TRUE(near(at(*image, 50, 65), kWhite));
}

} // namespace

TEST_F(RendererTest, StatusBarIsDrawnOverTheWindowsInItsStyleAndFades)
{
    auto& app = ui::Application::shared();
    add({0, 0, 320, 40}, Color::white());
    render::Renderer renderer(1);
    auto darkPixels = [&](const Image& image) {
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 320; ++x)
                count += at(image, x, y).r < 100;
        return count;
    };
    EXPECT_EQ(darkPixels(*renderer.renderScreen()), 0);

    app.setStatusBarHidden(false, ui::StatusBarAnimation::None);
    auto shown = renderer.renderScreen();
    EXPECT_GT(darkPixels(*shown), 100); // time, signal dots and battery in black
    EXPECT_TRUE(near(at(*shown, 8, 9), {0, 0, 0, 255}, 40)); // the first signal dot
    EXPECT_TRUE(near(at(*shown, 160, 30), {255, 255, 255, 255}));

    app.setStatusBarStyle(ui::StatusBarStyle::LightContent);
    EXPECT_EQ(darkPixels(*renderer.renderScreen()), 0); // white on white

    // Fading out takes the bar's own time; sliding moves it above the top edge.
    app.setStatusBarStyle(ui::StatusBarStyle::Default);
    app.setStatusBarHidden(true, ui::StatusBarAnimation::Fade);
    runFor(ui::StatusBar::kAnimationDuration / 2);
    double alpha = app.statusBar()->layer().presentation().opacity;
    EXPECT_GT(alpha, 0.1);
    EXPECT_LT(alpha, 0.9);
    runFor(ui::StatusBar::kAnimationDuration);
    EXPECT_EQ(darkPixels(*renderer.renderScreen()), 0);

    app.setStatusBarHidden(false, ui::StatusBarAnimation::None);
    app.setStatusBarHidden(true, ui::StatusBarAnimation::Slide);
    runFor(ui::StatusBar::kAnimationDuration + 0.01);
    EXPECT_EQ(app.statusBar()->alpha(), 1);
    EXPECT_EQ(app.statusBar()->frame().maxY(), 0);
    EXPECT_EQ(darkPixels(*renderer.renderScreen()), 0);
    EXPECT_TRUE(app.statusBarFrame().isEmpty());
}
