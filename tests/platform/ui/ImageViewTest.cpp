#include "platform/ui/ImageView.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "tests/platform/ui/UiTest.h"

namespace {

using graphics::Rect;
using graphics::Size;
using ui::ContentMode;
using ui::ImageView;

TEST(ImageViewTest, ContentModesPlaceTheImage)
{
    const Rect bounds {0, 0, 40, 20};
    const std::pair<ContentMode, Rect> cases[]
        = {{ContentMode::ScaleToFill, bounds}, {ContentMode::AspectFit, {10, 0, 20, 20}},
            {ContentMode::AspectFill, {0, -10, 40, 40}}, {ContentMode::Center, {15, 5, 10, 10}},
            {ContentMode::Left, {0, 5, 10, 10}}, {ContentMode::Right, {30, 5, 10, 10}},
            {ContentMode::BottomRight, {30, 10, 10, 10}}, {ContentMode::Top, {15, 0, 10, 10}}};
    for (auto [mode, expected] : cases)
        EXPECT_EQ(ImageView::rectForContentMode(mode, Size {10, 10}, bounds), expected) << int(mode);
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

class ImageAnimationTest : public mivo::test::UiTest { };

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
