#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Timer.h"
#include "tests/support/ManualClockTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <thread>

using namespace foundation;
using ::testing::ElementsAre;

namespace {

class RunLoopTest : public mivo::test::ManualClockTest {
protected:
    RunLoop& loop() { return RunLoop::main(); }
};

TEST_F(RunLoopTest, TimersFireInOrderAtTheirExactTimes)
{
    std::vector<std::pair<std::string, double>> fired;
    auto record = [&](std::string name) { return [&, name](Timer&) { fired.emplace_back(name, now()); }; };
    auto late = Timer::scheduled(0.5, false, record("late"));
    auto early = Timer::scheduled(0.2, false, record("early"));
    auto alsoEarly = Timer::scheduled(0.2, false, record("also early"));

    runFor(0.19);
    EXPECT_TRUE(fired.empty());
    runFor(1.0);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[0], std::make_pair(std::string("early"), 0.2));
    EXPECT_EQ(fired[1], std::make_pair(std::string("also early"), 0.2));
    EXPECT_EQ(fired[2], std::make_pair(std::string("late"), 0.5));
    EXPECT_FALSE(early->isValid());
    EXPECT_DOUBLE_EQ(now(), 1.19);
}

TEST_F(RunLoopTest, RepeatingTimerKeepsItsPeriod)
{
    std::vector<double> times;
    auto timer = Timer::scheduled(0.3, true, [&](Timer&) {
        times.push_back(now());
        // Slow work must not push later fires back.
        clock().advance(0.05);
    });
    runFor(1.0);
    ASSERT_EQ(times.size(), 3u);
    EXPECT_DOUBLE_EQ(times[0], 0.3);
    EXPECT_DOUBLE_EQ(times[1], 0.6);
    EXPECT_NEAR(times[2], 0.9, 1e-9);
    EXPECT_TRUE(timer->isValid());
    EXPECT_NEAR(timer->fireTime(), 1.2, 1e-9);
    timer->invalidate();
}

TEST_F(RunLoopTest, RepeatingTimerSkipsMissedBeatsWithoutDrifting)
{
    int count = 0;
    auto timer = Timer::scheduled(1.0, true, [&](Timer&) { ++count; });
    clock().advance(3.5);
    loop().runOnce();
    EXPECT_EQ(count, 1);
    EXPECT_DOUBLE_EQ(timer->fireTime(), 4.0);
    timer->invalidate();
}

TEST_F(RunLoopTest, InvalidatedTimerNeverFiresAndReleasesItsBlock)
{
    auto captured = std::make_shared<int>(7);
    std::weak_ptr<int> watch = captured;
    bool fired = false;
    auto timer = Timer::scheduled(0.1, false, [&fired, captured](Timer&) { fired = true; });
    captured.reset();
    EXPECT_FALSE(watch.expired()) << "a scheduled timer keeps its block's captures alive";
    timer->invalidate();
    EXPECT_TRUE(watch.expired());
    runFor(1.0);
    EXPECT_FALSE(fired);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, TimerInvalidatedFromItsOwnBlockStopsRepeating)
{
    int count = 0;
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> watch = captured;
    Timer::scheduled(0.1, true, [&count, captured](Timer& timer) {
        if (++count == 3)
            timer.invalidate();
    });
    captured.reset();
    runFor(1.0);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(watch.expired()) << "nothing should hold the invalidated timer's block";
}

TEST_F(RunLoopTest, FiringManually)
{
    int oneShot = 0, repeating = 0;
    auto once = Timer::scheduled(5.0, false, [&](Timer&) { ++oneShot; });
    auto every = Timer::scheduled(1.0, true, [&](Timer&) { ++repeating; });
    once->fire();
    every->fire();
    EXPECT_EQ(oneShot, 1);
    EXPECT_EQ(repeating, 1);
    EXPECT_FALSE(once->isValid()) << "a fired one-shot timer is done";
    EXPECT_TRUE(every->isValid());
    EXPECT_DOUBLE_EQ(every->fireTime(), 1.0) << "firing by hand leaves the schedule alone";
    runFor(6.0);
    EXPECT_EQ(oneShot, 1);
    EXPECT_EQ(repeating, 7);
    every->invalidate();
}

TEST_F(RunLoopTest, DelayedCallsRunAtTheirTimeAndCanBeCancelled)
{
    std::vector<std::string> order;
    dispatchAfter(0.25, [&] { order.push_back("after " + std::to_string(now())); });
    auto cancelled = loop().performAfter(0.1, [&] { order.push_back("cancelled"); });
    loop().performAfter(0.1, [&] {
        order.push_back("first");
        // Scheduled from inside a block at 0.1: due at 0.15.
        loop().performAfter(0.05, [&] { order.push_back("nested at " + std::to_string(now())); });
    });
    cancelled->invalidate();
    runFor(0.3);
    EXPECT_THAT(order, ElementsAre("first", "nested at 0.150000", "after 0.250000"));
}

TEST_F(RunLoopTest, FrameCallbacksStepInSmallIncrementsUntilRemoved)
{
    std::vector<double> frames;
    uint64_t id = loop().addFrameCallback([&](double t) { frames.push_back(t); });
    runFor(0.1);
    ASSERT_GE(frames.size(), 6u);
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_LE(frames[i] - frames[i - 1], RunLoop::kFrameInterval + 1e-9);
    EXPECT_DOUBLE_EQ(frames.back(), 0.1);

    loop().removeFrameCallback(id);
    frames.clear();
    runFor(0.1);
    EXPECT_TRUE(frames.empty());
}

TEST_F(RunLoopTest, FrameCallbackMayRemoveItselfAndAnother)
{
    int a = 0, b = 0;
    uint64_t second = 0;
    uint64_t first = 0;
    first = loop().addFrameCallback([&](double) {
        ++a;
        loop().removeFrameCallback(first);
        loop().removeFrameCallback(second);
    });
    second = loop().addFrameCallback([&](double) { ++b; });
    runFor(0.1);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 0);
    EXPECT_FALSE(loop().hasFrameCallbacks());
}

TEST_F(RunLoopTest, WorkPostedFromWorkerThreadsRunsOnMainInPerThreadOrder)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    std::map<int, std::vector<int>> received;
    std::atomic<int> total {0};
    bool allOnMain = true;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                loop().post([&, t, i] {
                    allOnMain = allOnMain && loop().isMainThread();
                    received[t].push_back(i);
                    ++total;
                });
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_TRUE(loop().runUntil([&] { return total == kThreads * kPerThread; }, 10));
    EXPECT_TRUE(allOnMain);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(received[t].size(), size_t(kPerThread));
        EXPECT_TRUE(std::is_sorted(received[t].begin(), received[t].end()));
    }
}

TEST_F(RunLoopTest, RunUntilWaitsForWorkFromAnotherThreadWithoutMovingTheManualClock)
{
    bool done = false;
    std::thread worker([&] { DispatchQueue::main().async([&] { done = true; }); });
    EXPECT_TRUE(loop().runUntil([&] { return done; }, 10));
    worker.join();
    EXPECT_EQ(now(), 0.0);
    EXPECT_FALSE(loop().runUntil([] { return false; }, 0.02));
}

TEST_F(RunLoopTest, HostWaitWakesForPostedWork)
{
    // A broken wake-up would sit out the whole (test-timeout-sized) wait.
    constexpr double kForever = 1000;
    bool ran = false;
    loop().post([&] { ran = true; });
    loop().waitForNextEvent(kForever);
    loop().runOnce();
    EXPECT_TRUE(ran);

    ran = false;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        loop().post([&] { ran = true; });
    });
    loop().waitForNextEvent(kForever);
    poster.join();
    loop().runOnce();
    EXPECT_TRUE(ran);
}

TEST_F(RunLoopTest, ResetClaimsTheMainThreadAndDropsWorkTimersAndFrameCallbacks)
{
    EXPECT_TRUE(loop().isMainThread());
    bool workerIsMain = true;
    std::thread([&] { workerIsMain = loop().isMainThread(); }).join();
    EXPECT_FALSE(workerIsMain);
    std::thread([&] { loop().setMainThread(std::this_thread::get_id()); }).join();
    EXPECT_FALSE(loop().isMainThread());

    int ran = 0;
    loop().post([&] { ++ran; });
    auto timer = Timer::scheduled(0.1, true, [&](Timer&) { ++ran; });
    loop().addFrameCallback([&](double) { ++ran; });
    loop().reset();
    EXPECT_TRUE(loop().isMainThread());
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(dynamic_cast<ManualClock*>(loop().clock().get()), nullptr);
    loop().runOnce();
    EXPECT_EQ(ran, 0);
    EXPECT_FALSE(loop().nextTimerFireTime());
}

TEST(RunLoopRealClockTest, RunForLetsRealTimersFire)
{
    RunLoop loop;
    bool fired = false;
    auto timer = Timer::create(0.01, false, [&](Timer&) { fired = true; });
    loop.addTimer(timer);
    loop.runFor(0.05);
    EXPECT_TRUE(fired);
    EXPECT_FALSE(timer->isValid());
}

TEST(RunLoopExitTest, WorkersMayPostToTheMainLoopWhileTheProcessEnds)
{
    // In a process of its own: it ends (static objects destroyed) while a worker of the global
    // queue is still posting to the main loop, as a download finishing at exit does. Under the
    // sanitizers a loop destroyed under the worker is a report, and the process fails.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RunLoop::main();
            std::atomic<bool> started {false};
            dispatchGlobalAsync([&started] {
                for (int i = 0; i < 200000; ++i) {
                    RunLoop::main().post([] {});
                    started = true;
                }
            });
            while (!started)
                std::this_thread::yield();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
