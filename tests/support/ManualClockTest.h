#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <memory>

namespace mivo::test {

// Fixture for anything timed: the main run loop starts empty, on a manual clock at 0 s, with the
// test's thread as the main thread; runFor() steps virtual time. Everything is dropped afterwards.
class ManualClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        m_clock = std::make_shared<foundation::ManualClock>(0.0);
        foundation::RunLoop::main().setClock(m_clock);
    }

    void TearDown() override { foundation::RunLoop::main().reset(); }

    foundation::ManualClock& clock() { return *m_clock; }
    double now() const { return m_clock->now(); }
    void runFor(double seconds) { foundation::RunLoop::main().runFor(seconds); }

    std::shared_ptr<foundation::ManualClock> m_clock;
};

} // namespace mivo::test
