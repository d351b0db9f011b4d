#include "platform/ui/ImageView.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "tests/support/ManualClockTest.h"

namespace {

using graphics::Rect;
using graphics::Size;
using ui::ContentMode;
using ui::ImageView;

TEST(ImageViewTest, ContentModesPlaceTheImage)
{
    Rect bounds {0, 0, 40, 20};
    Size image {10, 10};
    EXPECT_EQ(ImageView::rectForContentMode(ContentMode::ScaleToFill, image, bounds), bounds);
    EXPECT_EQ(ImageView::rectForContentMode(ContentMode::AspectFit, image, bounds), (Rect {10, 0, 20, 20}));
    EXPECT_EQ(ImageView::rectForContentMode(ContentMode::AspectFill, image, bounds), (Rect {0, -10, 40, 40}));
    EXPECT_EQ(ImageView::rectForContentMode(ContentMode::Center, image, bounds), (Rect {15, 5, 10, 10}));
    EXPECT_EQ(ImageView::rectForContentMode(ContentMode::Left, image, bounds), (Rect {0, 5, 10, 10}));
    EXPECT_EQ(ImageView::rectForContentMode(ContentMode::Right, image, bounds), (Rect {30, 5, 10, 10}));
    EXPECT_EQ(
        ImageView::rectForContentMode(ContentMode::BottomRight, image, bounds), (Rect {30, 10, 10, 10}));
    EXPECT_EQ(ImageView::rectForContentMode(ContentMode::Top, image, bounds), (Rect {15, 0, 10, 10}));
}

TEST(ImageViewTest, MadeFromAnImageTakesItsSizeAndNoTouches)
{
    auto image = graphics::Image::create(60, 40, 2);
    auto view = ImageView::create(image);
    EXPECT_EQ(view->frame(), (Rect {0, 0, 30, 20}));
    EXPECT_FALSE(view->isUserInteractionEnabled());
    auto highlighted = graphics::Image::create(2, 2);
    view->setHighlightedImage(highlighted);
    EXPECT_EQ(view->displayedImage(), image);
    view->setHighlighted(true);
    EXPECT_EQ(view->displayedImage(), highlighted);
}

class ImageAnimationTest : public mivo::test::ManualClockTest {
protected:
    void TearDown() override
    {
        ui::Application::shared().resetForTesting();
        ManualClockTest::TearDown();
    }
};

TEST_F(ImageAnimationTest, AnimationImagesCycleOverTheDuration)
{
    auto view = ImageView::create(Rect {0, 0, 10, 10});
    std::vector<std::shared_ptr<graphics::Image>> frames;
    for (int i = 0; i < 4; ++i)
        frames.push_back(graphics::Image::create(1, 1));
    view->setAnimationImages(frames);
    view->setAnimationDuration(0.4);
    view->setAnimationRepeatCount(2);
    view->startAnimating();
    EXPECT_EQ(view->displayedImage(), frames[0]);
    runFor(0.25);
    EXPECT_EQ(view->displayedImage(), frames[2]);
    runFor(0.2);
    EXPECT_EQ(view->displayedImage(), frames[0]);
    runFor(0.4);
    EXPECT_FALSE(view->isAnimating()); // two cycles done
}

} // namespace

namespace {

TEST(ImageViewTest, TemplateImagesTakeTheTintColour)
{
    auto image = graphics::Image::create(2, 1);
    image->setPixel(0, 0, 0xFF102030);
    image->setPixel(1, 0, 0x00000000);
    auto parent = ui::View::create();
    auto view = ImageView::create(image);
    parent->addSubview(view);
    EXPECT_EQ(view->effectiveTintColor(), graphics::Color::rgba(0, 122.0 / 255, 1));
    parent->setTintColor(graphics::Color::red());
    EXPECT_EQ(view->effectiveTintColor(), graphics::Color::red());
    view->setRendersAsTemplate(true);
    auto target = graphics::Image::create(2, 1);
    {
        graphics::GraphicsContext context(*target);
        view->draw(context, view->bounds());
    }
    EXPECT_EQ(target->pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(target->pixel(1, 0) >> 24, 0u);
}

} // namespace
