#include "platform/ui/MotionEffect.h"

#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "tests/platform/ui/UiTest.h"

namespace {

class MotionEffectTest : public mivo::test::UiTest {
protected:
    void TearDown() override
    {
        ui::Device::currentDevice().reset();
        UiTest::TearDown();
    }
};

std::shared_ptr<ui::InterpolatingMotionEffect> effect(
    const char* keyPath, ui::InterpolatingMotionEffect::Type type, double minimum, double maximum)
{
    auto e = ui::InterpolatingMotionEffect::create(keyPath, type);
    e->setMinimumRelativeValue(minimum);
    e->setMaximumRelativeValue(maximum);
    return e;
}

} // namespace

TEST_F(MotionEffectTest, TiltMovesWhatIsOnScreenBetweenTheRelativeValues)
{
    using Type = ui::InterpolatingMotionEffect::Type;
    auto view = ui::View::create({100, 100, 50, 50});
    auto group = ui::MotionEffectGroup::create();
    group->setMotionEffects({effect("center.x", Type::TiltAlongHorizontalAxis, 12, -12),
        effect("center.y", Type::TiltAlongVerticalAxis, 12, -12)});
    view->addMotionEffect(group);
    graphics::Point model {125, 125};

    const std::pair<graphics::Point, graphics::Point> cases[] = {
        {{0, 0}, {0, 0}}, {{1, 0}, {-12, 0}}, {{-1, 1}, {12, -12}}, {{0.5, -0.5}, {-6, 6}},
        {{3, -3}, {-12, 12}}, // beyond full tilt stays at the ends
    };
    for (const auto& [tilt, offset] : cases) {
        ui::Device::currentDevice().setTilt(tilt);
        EXPECT_EQ(view->center(), model);
        EXPECT_EQ(view->layer().presentation().position, model + offset) << tilt.x << "," << tilt.y;
    }

    view->removeMotionEffect(group);
    EXPECT_TRUE(view->motionEffects().empty());
    EXPECT_EQ(view->layer().presentation().position, model);
    ui::Device::currentDevice().setTilt({1, 1});
    EXPECT_EQ(view->layer().presentation().position, model);
}

TEST_F(MotionEffectTest, AnimatedImagePlaysItsFramesOnTheClock)
{
    auto red = graphics::Image::create(2, 2), blue = graphics::Image::create(2, 2);
    red->fill(0xFFFF0000);
    blue->fill(0xFF0000FF);
    auto animated = graphics::Image::createAnimated({red, red, blue}, 0.3);
    ASSERT_TRUE(animated);
    EXPECT_EQ(animated->size(), (graphics::Size {2, 2}));
    EXPECT_FALSE(graphics::Image::createAnimated({}, 1));

    auto view = ui::ImageView::create(animated);
    EXPECT_EQ(view->displayedImage(), red);
    runFor(0.15);
    EXPECT_EQ(view->displayedImage(), red);
    runFor(0.1);
    EXPECT_EQ(view->displayedImage(), blue);
    runFor(0.1); // loops
    EXPECT_EQ(view->displayedImage(), red);
    view->setImage(blue);
    runFor(0.2);
    EXPECT_EQ(view->displayedImage(), blue);
}
