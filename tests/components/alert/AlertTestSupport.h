#pragma once

#include "components/alert/ModalAlertView.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/support/ExpectRect.h"
#include "tests/support/ManualClockTest.h"

namespace alerttest {

// A phone screen with one window showing `host`, on the manual clock.
class AlertTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        ui::Keyboard::shared().reset();
        ui::Screen::mainScreen().setScale(2);
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        host = ui::ViewController::create();
        window->setRootViewController(host);
        window->makeKeyAndVisible();
        ui::Application::shared().layoutWindows();
    }
    void TearDown() override
    {
        if (auto timer = ModalAlertView::autoHideTimer())
            timer->invalidate();
        // Let running animations end so that what their completions hold goes first.
        runFor(2);
        ui::Keyboard::shared().reset();
        ui::Application::shared().resetForTesting();
        window.reset();
        host.reset();
        ManualClockTest::TearDown();
    }

    // How often the alert has said it was dismissed.
    static std::shared_ptr<int> countDismissals(ModalAlertView& alert)
    {
        auto count = std::make_shared<int>(0);
        alert.alertIsDismissed([count] { ++*count; });
        return count;
    }

    // Lets the run loop lay out what changed.
    void settle() { runFor(0); }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ViewController> host;
};

} // namespace alerttest
