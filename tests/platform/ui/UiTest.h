#pragma once

#include "platform/ui/Application.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"

#include <memory>

namespace mivo::test {

// For UI tests: a manual clock, and the application (windows, touches, animations, first
// responder, screen and device profiles) and the storyboards back to their defaults.
class UiTest : public ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        ui::Storyboard::removeAllForTesting();
    }

    void TearDown() override
    {
        ui::Application::shared().resetForTesting();
        ui::Storyboard::removeAllForTesting();
        ManualClockTest::TearDown();
    }

    // Runs posted work without moving the clock.
    void turn() { foundation::RunLoop::main().runOnce(); }
    ui::Application& app() { return ui::Application::shared(); }
    // A phone-sized key window.
    static std::shared_ptr<ui::Window> keyWindow()
    {
        auto window = ui::Window::create({0, 0, 320, 568});
        window->makeKeyAndVisible();
        return window;
    }
    // A finger down and up 50 ms later at the same point.
    void tapAt(graphics::Point p)
    {
        auto touch = app().touchDown(p);
        runFor(0.05);
        app().touchUp(touch, p);
    }
};

} // namespace mivo::test
