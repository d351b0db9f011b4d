#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <unistd.h>

namespace mivo::test {

// Ends the test program with a message when the scope outlives `seconds`, so a step that hangs for
// good (a FIFO opened for reading waits for a writer) fails its test instead of stalling the run.
// One at a time: it owns the process's alarm.
class TimeLimit {
public:
    explicit TimeLimit(unsigned seconds)
    {
        std::string text = "\n*** time limit of " + std::to_string(seconds) + " s reached";
        if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info())
            text += std::string(" in ") + test->test_suite_name() + "." + test->name();
        text += ": a step hangs\n";
        std::strncpy(message(), text.c_str(), kMessageSize - 1);
        struct sigaction action { };
        action.sa_handler = &expired;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGALRM, &action, nullptr);
        ::alarm(seconds);
    }
    ~TimeLimit() { ::alarm(0); }
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;

private:
    static constexpr size_t kMessageSize = 512;
    // The handler may only touch what is ready before the alarm.
    static char* message()
    {
        static char text[kMessageSize];
        return text;
    }
    static void expired(int)
    {
        [[maybe_unused]] auto written = ::write(STDERR_FILENO, message(), std::strlen(message()));
        ::_exit(124);
    }
};

} // namespace mivo::test
