#pragma once

#include "platform/ui/Application.h"
#include "platform/ui/Storyboard.h"
#include "tests/support/ManualClockTest.h"

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
};

} // namespace mivo::test
