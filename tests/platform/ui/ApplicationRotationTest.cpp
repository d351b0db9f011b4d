#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"
#include "tests/support/PixelProbe.h"

#include <numbers>
#include <string>
#include <vector>

namespace {

using ui::InterfaceOrientation;

class Turning final : public ui::ViewController {
public:
    std::vector<std::string> log;
    void willRotateToInterfaceOrientation(InterfaceOrientation o, double duration) override
    {
        log.push_back("willRotate " + std::to_string(int(o)) + " " + std::to_string(duration));
    }
    void willAnimateRotationToInterfaceOrientation(InterfaceOrientation, double) override
    {
        log.push_back("willAnimate");
    }
    void didRotateFromInterfaceOrientation(InterfaceOrientation from) override
    {
        log.push_back("didRotate from " + std::to_string(int(from)));
    }
    void viewWillTransitionToSize(graphics::Size size, ui::TransitionCoordinator& coordinator) override
    {
        log.push_back(
            "transition to " + std::to_string(int(size.width)) + "x" + std::to_string(int(size.height)));
        coordinator.animateAlongsideTransition(
            [this] { log.push_back("alongside"); }, [this] { log.push_back("done"); });
    }
};

class ApplicationRotationTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
        root = std::make_shared<Turning>();
        window->setRootViewController(root);
    }
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<Turning> root;
};

TEST_F(ApplicationRotationTest, BeforeSystemEightTheRootViewTurnsInsideAPortraitWindow)
{
    ASSERT_TRUE(app().rotateInterface(InterfaceOrientation::LandscapeRight, true));
    EXPECT_EQ(root->log, (std::vector<std::string> {"willRotate 3 0.300000", "willAnimate"}));
    EXPECT_EQ(app().statusBarOrientation(), InterfaceOrientation::LandscapeRight);
    auto view = root->view();
    EXPECT_EQ(view->bounds(), (graphics::Rect {0, 0, 568, 320}));
    EXPECT_NEAR(view->transform().b, 1, 1e-12); // a quarter turn clockwise
    graphics::Rect frame = view->frame();
    EXPECT_NEAR(frame.width(), 320, 1e-9);
    EXPECT_NEAR(frame.height(), 568, 1e-9);
    EXPECT_EQ(window->bounds(), (graphics::Rect {0, 0, 320, 568}));
    EXPECT_EQ(ui::Screen::mainScreen().bounds().size, ui::Screen::kPhoneSize);
    // The top-left of the turned view is at the window's top-right.
    graphics::Point corner = view->convertPointToView({0, 0}, nullptr);
    EXPECT_NEAR(corner.x, 320, 1e-9);
    EXPECT_NEAR(corner.y, 0, 1e-9);

    runFor(0.3);
    EXPECT_EQ(root->log.back(), "didRotate from 1");

    // What is presented afterwards comes up turned the same way.
    auto modal = ui::ViewController::create();
    root->presentViewController(modal, true);
    runFor(ui::ViewController::kPresentationDuration);
    EXPECT_EQ(modal->view()->bounds(), (graphics::Rect {0, 0, 568, 320}));
    EXPECT_EQ(modal->view()->transform(), view->transform());
    EXPECT_EQ(modal->view()->center(), view->center());
}

TEST_F(ApplicationRotationTest, FromSystemEightTheScreenAndWindowsTakeTheNewSize)
{
    ui::Device::currentDevice().setSystemVersion("8.1");
    ASSERT_TRUE(app().rotateInterface(InterfaceOrientation::LandscapeLeft, false));
    EXPECT_EQ(root->log, (std::vector<std::string> {"transition to 568x320", "alongside", "done"}));
    EXPECT_EQ(ui::Screen::mainScreen().bounds().size, (graphics::Size {568, 320}));
    EXPECT_EQ(window->bounds().size, (graphics::Size {568, 320}));
    EXPECT_EQ(root->view()->frame(), (graphics::Rect {0, 0, 568, 320}));
    EXPECT_TRUE(root->view()->transform().isIdentity());
}

TEST_F(ApplicationRotationTest, TheScreenAsSeenIsTheTurnedInterfaceBeforeSystemEightAndTheScreenFromIt)
{
    EXPECT_TRUE(app().screenToInterface().isIdentity());
    for (InterfaceOrientation side :
        {InterfaceOrientation::LandscapeRight, InterfaceOrientation::LandscapeLeft}) {
        SCOPED_TRACE(int(side));
        ASSERT_TRUE(app().rotateInterface(side, false));
        // A point of the turned root view comes back to itself from the portrait screen.
        for (graphics::Point p : {graphics::Point {0, 0}, {568, 0}, {0, 320}, {568, 320}, {100, 30}}) {
            graphics::Point seen
                = app().screenToInterface().apply(root->view()->convertPointToView(p, nullptr));
            EXPECT_NEAR(seen.x, p.x, 1e-9);
            EXPECT_NEAR(seen.y, p.y, 1e-9);
        }
    }
    ASSERT_TRUE(app().rotateInterface(InterfaceOrientation::Portrait, false));
    EXPECT_TRUE(app().screenToInterface().isIdentity());
    ui::Device::currentDevice().setSystemVersion("8.0");
    ASSERT_TRUE(app().rotateInterface(InterfaceOrientation::LandscapeLeft, false));
    EXPECT_TRUE(app().screenToInterface().isIdentity()) << "the screen itself turned";
}

TEST_F(ApplicationRotationTest, APresentedScreenComesUpAndGoesDownTheTurnedInterface)
{
    // Where the presented screen is drawn half-way, on the screen as its user sees it.
    auto halfWay = [&] {
        runFor(ui::ViewController::kPresentationDuration / 2);
        auto red = mivo::test::PixelProbe::screen().boundingBox(graphics::Color::red());
        return red ? app().screenToInterface().apply(*red) : graphics::Rect {};
    };
    for (const char* version : {"7.1", "8.0"}) {
        SCOPED_TRACE(version);
        ui::Device::currentDevice().setSystemVersion(version);
        ASSERT_TRUE(app().rotateInterface(InterfaceOrientation::LandscapeRight, false));
        auto modal = ui::ViewController::create();
        modal->view()->setBackgroundColor(graphics::Color::red());
        root->presentViewController(modal, true);
        for (int way = 0; way < 2; ++way) {
            SCOPED_TRACE(way ? "going" : "coming");
            graphics::Rect shown = halfWay();
            EXPECT_EQ(shown.minX(), 0);
            EXPECT_EQ(shown.width(), 568);
            EXPECT_GT(shown.minY(), 40);
            EXPECT_LT(shown.minY(), 280);
            EXPECT_EQ(shown.maxY(), 320);
            runFor(1);
            if (!way)
                modal->dismissViewController(true);
        }
        EXPECT_FALSE(root->presentedViewController());
        ASSERT_TRUE(app().rotateInterface(InterfaceOrientation::Portrait, false));
    }
}

TEST_F(ApplicationRotationTest, UnsupportedOrientationsAndTheDeviceDriveIt)
{
    EXPECT_FALSE(app().rotateInterface(InterfaceOrientation::PortraitUpsideDown, false)); // not on a phone
    EXPECT_EQ(app().statusBarOrientation(), InterfaceOrientation::Portrait);
    ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_EQ(app().statusBarOrientation(), InterfaceOrientation::LandscapeRight);
    ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::FaceUp);
    EXPECT_EQ(app().statusBarOrientation(), InterfaceOrientation::LandscapeRight);
    runFor(1);
    ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::Portrait);
    runFor(1);
    EXPECT_EQ(app().statusBarOrientation(), InterfaceOrientation::Portrait);
    EXPECT_TRUE(root->view()->transform().isIdentity());
    EXPECT_EQ(root->view()->frame(), window->bounds());
}

TEST_F(ApplicationRotationTest, ATurnOfTheDeviceIsAnnouncedAroundTheTurnAndThenByTheDevice)
{
    auto& device = ui::Device::currentDevice();
    device.beginGeneratingDeviceOrientationNotifications();
    std::vector<std::string> heard;
    auto token = std::make_shared<int>(0);
    for (const char* name : {ui::Application::kWillChangeStatusBarOrientationNotification,
             ui::Application::kWillChangeStatusBarFrameNotification,
             ui::Application::kDidChangeStatusBarOrientationNotification,
             ui::Application::kDidChangeStatusBarFrameNotification,
             ui::Device::kOrientationDidChangeNotification}) {
        foundation::NotificationCenter::defaultCenter().addObserver(
            token, name, [&, name](const foundation::Notification&) {
                heard.push_back(std::string(name) + " " + std::to_string(int(app().statusBarOrientation()))
                    + " " + std::to_string(int(root->view()->bounds().width())));
            });
    }
    device.setOrientation(ui::DeviceOrientation::LandscapeLeft);
    // Those that lay themselves out on the did-change ones find the turned bounds.
    EXPECT_EQ(heard,
        (std::vector<std::string> {"UIApplicationWillChangeStatusBarOrientationNotification 1 320",
            "UIApplicationWillChangeStatusBarFrameNotification 1 320",
            "UIApplicationDidChangeStatusBarOrientationNotification 3 568",
            "UIApplicationDidChangeStatusBarFrameNotification 3 568",
            "UIDeviceOrientationDidChangeNotification 3 568"}));

    // A turn the screen does not follow is the device's alone.
    heard.clear();
    runFor(0.3);
    device.setOrientation(ui::DeviceOrientation::PortraitUpsideDown);
    EXPECT_EQ(heard, (std::vector<std::string> {"UIDeviceOrientationDidChangeNotification 3 568"}));
    foundation::NotificationCenter::defaultCenter().removeObserver(token.get());
    device.endGeneratingDeviceOrientationNotifications();
}

} // namespace
