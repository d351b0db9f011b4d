#pragma once

#include "components/actionsheet/ActionSheet.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/support/ExpectRect.h"
#include "tests/support/ManualClockTest.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace actionsheettest {

// Compares what the screen shows with where it should be, to within `tolerance` points.
inline void expectShownAt(const graphics::Rect& shown, const graphics::Rect& expected, double tolerance = 1)
{
    EXPECT_NEAR(shown.minX(), expected.minX(), tolerance);
    EXPECT_NEAR(shown.minY(), expected.minY(), tolerance);
    EXPECT_NEAR(shown.maxX(), expected.maxX(), tolerance);
    EXPECT_NEAR(shown.maxY(), expected.maxY(), tolerance);
}

// Writes down every delegate call in order.
class RecordingDelegate final : public ActionSheetDelegate {
public:
    void actionSheetWillPresent(ActionSheet&) override { calls.push_back("willPresent"); }
    void actionSheetDidPresent(ActionSheet&) override { calls.push_back("didPresent"); }
    void actionSheetWillDismiss(ActionSheet&) override { calls.push_back("willDismiss"); }
    void actionSheetDidDismiss(ActionSheet&) override { calls.push_back("didDismiss"); }
    void actionSheetPressedButtonAtIndexPath(ActionSheet&, ActionSheetIndexPath path) override
    {
        calls.push_back("pressed " + std::to_string(path.section) + "." + std::to_string(path.row));
    }
    std::vector<std::string> calls;
};

// A key window over the main screen with a root view to show sheets in, on the manual clock.
// Phone (320 x 568) unless the test makes it a tablet.
class ActionSheetTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        makeScreen(false);
    }
    void TearDown() override
    {
        runFor(2);
        ui::Application::shared().resetForTesting();
        window.reset();
        root.reset();
        screen.reset();
        ManualClockTest::TearDown();
    }

    void makeScreen(bool tablet)
    {
        ui::Application::shared().resetForTesting();
        if (tablet) {
            ui::Device::currentDevice().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
            ui::Screen::mainScreen().setSize({768, 1024});
        }
        ui::Screen::mainScreen().setScale(2);
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
        root = ui::View::create(window->bounds());
        window->addSubview(root);
        runFor(0);
    }

    // A screen that turns with the device: the window's root controller, white, instead of `root`.
    std::shared_ptr<ui::View> turningScreen()
    {
        // The root controller's view goes under everything on the window: the plain root must go.
        root->removeFromSuperview();
        screen = ui::ViewController::create();
        window->setRootViewController(screen);
        screen->view()->setBackgroundColor(graphics::Color::white());
        runFor(0);
        return screen->view();
    }
    // Turns the device as the automation does; the interface follows.
    static void turnDevice(ui::DeviceOrientation orientation)
    {
        ui::Device::currentDevice().setOrientation(orientation);
        foundation::RunLoop::main().runOnce();
    }
    // Where a rectangle of a (turned) view shows on the screen.
    static graphics::Rect onScreen(const ui::View& view, const graphics::Rect& rect)
    {
        graphics::Point a = view.convertPointToView(rect.origin, nullptr);
        graphics::Point b = view.convertPointToView({rect.maxX(), rect.maxY()}, nullptr);
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y)};
    }

    static std::shared_ptr<ActionSheetSection> section(std::vector<std::string> titles,
        std::optional<std::string> title = std::nullopt, std::optional<std::string> message = std::nullopt)
    {
        return ActionSheetSection::sectionWithTitle(std::move(title), std::move(message), titles, 0);
    }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::View> root;
    std::shared_ptr<ui::ViewController> screen;
};

} // namespace actionsheettest
