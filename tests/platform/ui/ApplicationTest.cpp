#include "platform/ui/Application.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"

#include <vector>

namespace {

using ui::Application;
using ui::Window;

class ApplicationTest : public mivo::test::UiTest { };

TEST_F(ApplicationTest, WindowsAreListedByLevelAndHeldWeakly)
{
    auto main = Window::create({0, 0, 320, 568});
    auto alert = Window::create({0, 0, 320, 568});
    alert->setWindowLevel(Window::kLevelAlert);
    auto banner = Window::create({0, 0, 320, 568});
    EXPECT_TRUE(main->isHidden());
    EXPECT_EQ(app().windows(), (std::vector<std::shared_ptr<Window>> {main, banner, alert}));

    main->makeKeyAndVisible();
    EXPECT_FALSE(main->isHidden());
    EXPECT_TRUE(main->isKeyWindow());
    alert->makeKeyAndVisible();
    EXPECT_EQ(app().keyWindow(), alert);
    EXPECT_FALSE(main->isKeyWindow());

    alert.reset();
    EXPECT_EQ(app().windows(), (std::vector<std::shared_ptr<Window>> {main, banner}));
    EXPECT_EQ(app().keyWindow(), nullptr);
}

TEST_F(ApplicationTest, TouchesGoToTheFrontmostVisibleWindowThatTakesThem)
{
    auto main = keyWindow();
    auto content = ui::View::create({0, 0, 320, 568});
    main->addSubview(content);
    auto alert = Window::create({0, 0, 320, 568});
    alert->setWindowLevel(Window::kLevelAlert);
    auto card = ui::View::create({60, 200, 200, 100});
    alert->addSubview(card);

    EXPECT_EQ(app().touchDown({100, 250})->view(), content); // the alert window is still hidden
    alert->setHidden(false);
    auto touch = app().touchDown({100, 250});
    EXPECT_EQ(touch->view(), card);
    EXPECT_EQ(touch->window(), alert);
    EXPECT_EQ(touch->locationInView(card.get()), (graphics::Point {40, 50}));
    EXPECT_EQ(app().touchDown({100, 50})->view(), alert); // an alert window covers the screen

    alert->setUserInteractionEnabled(false);
    EXPECT_EQ(app().touchDown({100, 250})->view(), content);
}

TEST_F(ApplicationTest, IgnoringInteractionNestsAndDropsNewTouches)
{
    auto main = keyWindow();
    app().beginIgnoringInteractionEvents();
    app().beginIgnoringInteractionEvents();
    app().endIgnoringInteractionEvents();
    EXPECT_TRUE(app().isIgnoringInteractionEvents());
    EXPECT_EQ(app().touchDown({10, 10}), nullptr);
    app().endIgnoringInteractionEvents();
    app().endIgnoringInteractionEvents(); // an extra end does not go negative
    EXPECT_FALSE(app().isIgnoringInteractionEvents());
    EXPECT_NE(app().touchDown({10, 10}), nullptr);
    app().beginIgnoringInteractionEvents();
    EXPECT_TRUE(app().isIgnoringInteractionEvents());
}

TEST_F(ApplicationTest, TapCountsGrowForQuickTapsInOnePlace)
{
    auto main = keyWindow();
    auto first = app().touchDown({50, 50});
    app().touchUp(first, {50, 50});
    runFor(0.2);
    auto second = app().touchDown({52, 50});
    EXPECT_EQ(second->tapCount(), 2);
    app().touchUp(second, {52, 50});
    runFor(0.5);
    auto third = app().touchDown({52, 50});
    EXPECT_EQ(third->tapCount(), 1);
}

TEST_F(ApplicationTest, StatusBarState)
{
    EXPECT_EQ(app().statusBarFrame(), (graphics::Rect {0, 0, 320, 20}));
    app().setStatusBarHidden(true, ui::StatusBarAnimation::Fade);
    EXPECT_TRUE(app().isStatusBarHidden());
    EXPECT_TRUE(app().statusBarFrame().isEmpty());
    app().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeLeft);
    app().setStatusBarHidden(false);
    EXPECT_EQ(app().statusBarFrame().width(), 568);
}

TEST_F(ApplicationTest, ScreenProfilesSetTheDrawingScale)
{
    auto& screen = ui::Screen::mainScreen();
    EXPECT_EQ(screen.bounds(), (graphics::Rect {0, 0, 320, 568}));
    EXPECT_EQ(screen.scale(), 2);
    screen.useTabletProfile();
    EXPECT_EQ(screen.bounds(), (graphics::Rect {0, 0, 768, 1024}));
    screen.setScale(1);
    EXPECT_EQ(graphics::screenScale(), 1);
    app().resetForTesting();
    EXPECT_EQ(screen.bounds().size, ui::Screen::kPhoneSize);
    EXPECT_EQ(graphics::screenScale(), 2);
}

TEST_F(ApplicationTest, DeviceOrientationNotifiesOnlyWhileGenerating)
{
    auto& device = ui::Device::currentDevice();
    EXPECT_EQ(device.systemVersion(), "7.1"); // other tests change both; the reset restores them
    EXPECT_EQ(device.userInterfaceIdiom(), ui::UserInterfaceIdiom::Phone);
    auto observer = std::make_shared<int>(0);
    foundation::NotificationCenter::defaultCenter().addObserver(observer,
        ui::Device::kOrientationDidChangeNotification,
        [observer](const foundation::Notification&) { ++*observer; });
    device.setOrientation(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_EQ(*observer, 0);
    device.beginGeneratingDeviceOrientationNotifications();
    device.setOrientation(ui::DeviceOrientation::Portrait);
    device.setOrientation(ui::DeviceOrientation::Portrait);
    EXPECT_EQ(*observer, 1);
    device.endGeneratingDeviceOrientationNotifications();
    device.setOrientation(ui::DeviceOrientation::FaceUp);
    EXPECT_EQ(*observer, 1);
    foundation::NotificationCenter::defaultCenter().removeObserver(observer.get());

    EXPECT_LT(ui::Device::compareVersions("7.1", "8.0"), 0);
    EXPECT_GT(ui::Device::compareVersions("10.0", "9.3"), 0);
    EXPECT_EQ(ui::Device::compareVersions("7.0", "7"), 0);
}

} // namespace
