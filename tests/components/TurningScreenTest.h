#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace componenttest {

// A phone screen that turns with the device, on the system version the test is given: before 8.0
// the window stays portrait and the screen's view turns inside it, from 8.0 the screen and the
// windows turn. On the manual clock.
class TurningScreenTest : public mivo::test::ManualClockTest,
                          public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        ui::Keyboard::shared().reset();
        ui::Screen::mainScreen().setScale(2);
        ui::Device::currentDevice().setSystemVersion(GetParam());
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        screen = ui::ViewController::create();
        window->setRootViewController(screen);
        screen->view()->setBackgroundColor(graphics::Color::white());
        window->makeKeyAndVisible();
        runFor(0);
    }
    void TearDown() override
    {
        turn(ui::DeviceOrientation::Portrait);
        // Let what is timed end, so that what its blocks hold goes first.
        runFor(10);
        ui::Keyboard::shared().reset();
        ui::Application::shared().resetForTesting();
        window.reset();
        screen.reset();
        ManualClockTest::TearDown();
    }

    // As the automation turns the device; the interface follows.
    void turn(ui::DeviceOrientation orientation)
    {
        ui::Device::currentDevice().setOrientation(orientation);
        runFor(1);
    }

    // The interface's size as it stands.
    graphics::Size area() const { return screen->view()->bounds().size; }
    // Between the screen (the portrait window before 8.0) and the interface as it stands.
    graphics::Rect onScreen(graphics::Rect inInterface) const
    {
        return screen->view()->convertRectToView(inInterface, nullptr);
    }
    graphics::Rect inInterface(graphics::Rect onScreen) const
    {
        return screen->view()->convertRectFromView(onScreen, nullptr);
    }
    // Where `color` is drawn, in the interface; nothing when it is not drawn.
    std::optional<graphics::Rect> drawnInInterface(const graphics::Color& color) const
    {
        auto box = mivo::test::PixelProbe::screen().boundingBox(color);
        return box ? std::optional(inInterface(*box)) : std::nullopt;
    }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ViewController> screen;
};

} // namespace componenttest
