#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Once.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <thread>

using namespace foundation;

namespace {

using DispatchTest = mivo::test::ManualClockTest;

TEST_F(DispatchTest, SerialQueueRunsInOrderOffTheMainThreadThenHandsBack)
{
    auto queue = DispatchQueue::createSerial("com.example.serial");
    EXPECT_EQ(queue->label(), "com.example.serial");
    std::vector<int> order;
    std::atomic<bool> anyOnMain {false};
    std::atomic<bool> allOnQueue {true};
    std::atomic<bool> allLabelled {true};
    bool handedBack = false;
    for (int i = 0; i < 100; ++i) {
        queue->async([&, i] {
            order.push_back(i); // only this queue's thread touches it: serial
            anyOnMain = anyOnMain || RunLoop::main().isMainThread();
            allOnQueue = allOnQueue && queue->isCurrent();
            allLabelled = allLabelled && DispatchQueue::currentLabel() == "com.example.serial";
            if (i == 99)
                DispatchQueue::main().async([&] { handedBack = RunLoop::main().isMainThread(); });
        });
    }
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return handedBack; }, 10));
    EXPECT_FALSE(anyOnMain);
    EXPECT_TRUE(allOnQueue);
    EXPECT_TRUE(allLabelled);
    EXPECT_EQ(DispatchQueue::currentLabel(), DispatchQueue::main().label());
    std::string elsewhere = "unset";
    std::thread([&] { elsewhere = DispatchQueue::currentLabel(); }).join();
    EXPECT_EQ(elsewhere, "");
    ASSERT_EQ(order.size(), 100u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_FALSE(queue->isCurrent());
}

TEST_F(DispatchTest, ReleasedQueueRunsWhatWasQueuedEvenWhenItsOwnBlockReleasesIt)
{
    std::atomic<int> ran {0};
    {
        auto queue = DispatchQueue::createSerial("short-lived");
        for (int i = 0; i < 10; ++i)
            queue->async([&] { ++ran; });
    }
    // Releasing does not wait for the work.
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return ran == 10; }, 10));

    std::atomic<bool> done {false};
    auto queue = DispatchQueue::createSerial("self-releasing");
    auto* raw = queue.get();
    raw->async([queue = std::move(queue), &done]() mutable {
        queue.reset();
        done = true;
    });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return done.load(); }, 10));
}

TEST_F(DispatchTest, SerialQueueKeepsTheOrderOfManyProducersAndRunsOneBlockAtATime)
{
    auto queue = DispatchQueue::createSerial("com.example.producers");
    constexpr int kProducers = 8, kEach = 500;
    std::mutex sending;
    std::vector<int> sent, ran;
    std::atomic<int> inside {0};
    std::atomic<bool> overlapped {false};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i) {
                int tag = p * kEach + i;
                std::lock_guard lock(sending);
                sent.push_back(tag);
                queue->async([&, tag] {
                    if (++inside != 1)
                        overlapped = true;
                    ran.push_back(tag);
                    std::this_thread::yield();
                    --inside;
                });
            }
        });
    }
    for (auto& producer : producers)
        producer.join();
    std::atomic<bool> done {false};
    queue->async([&] { done = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done.load(); }, 30));
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(ran, sent);
}

TEST_F(DispatchTest, ManySerialQueuesShareABoundedPoolOfThreads)
{
    constexpr int kQueues = 1000;
    std::mutex mutex;
    std::set<std::thread::id> threads;
    std::atomic<int> ran {0};
    std::atomic<bool> allCurrent {true};
    std::vector<std::shared_ptr<DispatchQueue>> queues;
    for (int i = 0; i < kQueues; ++i) {
        auto queue = DispatchQueue::createSerial("queue-" + std::to_string(i));
        auto* other = queues.empty() ? nullptr : queues.back().get();
        queue->async([&, raw = queue.get(), other] {
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            // Pool threads move from queue to queue: only the one running counts as current.
            if (!raw->isCurrent() || DispatchQueue::currentLabel() != raw->label()
                || (other && other->isCurrent()))
                allCurrent = false;
            ++ran;
        });
        queues.push_back(std::move(queue));
    }
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return ran == kQueues; }, 30));
    EXPECT_TRUE(allCurrent);
    EXPECT_LE(threads.size(), std::max(1u, std::thread::hardware_concurrency()));
    for (auto& queue : queues)
        EXPECT_FALSE(queue->isCurrent());

    // Released right away, as the app does, each still runs its block.
    ran = 0;
    queues.clear();
    for (int i = 0; i < kQueues; ++i)
        DispatchQueue::createSerial("released")->async([&] { ++ran; });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return ran == kQueues; }, 30));
}

TEST_F(DispatchTest, SerialBlocksWaitingForGlobalWorkDoNotStarveIt)
{
    // More waiting blocks than there are pool threads: global work must still find a thread.
    int blocks = 2 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<int> served {0};
    std::atomic<int> finished {0};
    for (int i = 0; i < blocks; ++i) {
        DispatchQueue::createSerial("waits-for-global")->async([&] {
            auto reply = std::make_shared<std::promise<void>>();
            auto answered = reply->get_future();
            dispatchGlobalAsync([reply] { reply->set_value(); });
            if (answered.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
                ++served;
            ++finished;
        });
    }
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return finished == blocks; }, 60));
    EXPECT_EQ(served, blocks);
}

TEST_F(DispatchTest, MainQueueIsTheRunLoop)
{
    EXPECT_TRUE(DispatchQueue::main().isCurrent());
    std::vector<int> order;
    DispatchQueue::main().async([&] { order.push_back(1); });
    RunLoop::main().post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty()) << "async never runs inline";
    RunLoop::main().runOnce();
    EXPECT_EQ(order, (std::vector<int> {1, 2}));
}

TEST_F(DispatchTest, DispatchAfterFromAWorkerUsesTheMainClock)
{
    double firedAt = -1;
    std::thread([&] { dispatchAfter(2.0, [&] { firedAt = now(); }); }).join();
    runFor(1.9);
    EXPECT_EQ(firedAt, -1);
    runFor(0.2);
    EXPECT_DOUBLE_EQ(firedAt, 2.0);
}

TEST_F(DispatchTest, OnceRunsExactlyOnceAcrossThreads)
{
    static OnceFlag flag;
    std::atomic<int> calls {0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] { dispatchOnce(flag, [&] { ++calls; }); });
    for (auto& thread : threads)
        thread.join();
    dispatchOnce(flag, [&] { ++calls; });
    EXPECT_EQ(calls, 1);
}

TEST(OperationQueueTest, RespectsTheConcurrencyLimit)
{
    auto queue = OperationQueue::create();
    EXPECT_EQ(queue->maxConcurrentOperationCount(), -1);
    queue->setMaxConcurrentOperationCount(2);
    std::mutex mutex;
    int running = 0, peak = 0;
    std::atomic<int> finished {0};
    for (int i = 0; i < 12; ++i) {
        queue->addOperation([&] {
            {
                std::lock_guard lock(mutex);
                peak = std::max(peak, ++running);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            {
                std::lock_guard lock(mutex);
                --running;
            }
            ++finished;
        });
    }
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(finished, 12);
    EXPECT_LE(peak, 2);
    EXPECT_EQ(queue->operationCount(), 0u);
}

TEST(OperationQueueTest, RunsOperationsConcurrentlyUpToTheLimit)
{
    // Three operations that each wait for the other two to start can only finish if all three
    // run at once.
    auto queue = OperationQueue::create();
    queue->setMaxConcurrentOperationCount(3);
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    std::atomic<int> finished {0};
    for (int i = 0; i < 3; ++i) {
        queue->addOperation([&] {
            std::unique_lock lock(mutex);
            ++started;
            changed.notify_all();
            if (changed.wait_for(lock, std::chrono::seconds(10), [&] { return started == 3; }))
                ++finished;
        });
    }
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(finished, 3);
}

TEST(OperationQueueTest, CancelAllLeavesTheRunningOperationAlone)
{
    auto queue = OperationQueue::create();
    queue->setMaxConcurrentOperationCount(1);
    std::promise<void> started, release;
    std::atomic<bool> firstFinished {false};
    std::atomic<int> others {0};
    queue->addOperation([&] {
        started.set_value();
        release.get_future().wait();
        firstFinished = true;
    });
    for (int i = 0; i < 5; ++i)
        queue->addOperation([&] { ++others; });
    started.get_future().wait();
    EXPECT_EQ(queue->operationCount(), 6u);
    queue->cancelAllOperations();
    EXPECT_EQ(queue->operationCount(), 1u);
    release.set_value();
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(firstFinished);
    EXPECT_EQ(others, 0);

    // The queue stays usable after a cancel.
    queue->addOperation([&] { ++others; });
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(others, 1);
}

TEST(OperationQueueTest, DestroyingTheQueueFinishesQueuedWork)
{
    std::atomic<int> ran {0};
    {
        auto queue = OperationQueue::create();
        for (int i = 0; i < 20; ++i)
            queue->addOperation([&] { ++ran; });
    }
    EXPECT_EQ(ran, 20);
}

} // namespace

TEST(OperationQueueTest, InvocationOperationsCallTheirTargetAndLetGoOfItOnTheMainThread)
{
    auto& loop = foundation::RunLoop::main();
    loop.reset();
    struct Target {
        std::atomic<int> sum {0};
        void add(const int& value) { sum += value; }
    };
    auto target = std::shared_ptr<Target>(new Target, [&](Target* t) {
        EXPECT_TRUE(loop.isMainThread()) << "released on a worker";
        delete t;
    });
    std::weak_ptr<Target> weak = target;
    auto queue = OperationQueue::create();
    queue->addInvocationOperation(target, &Target::add, 2);
    queue->addInvocationOperation(target, &Target::add, 3);
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(target->sum, 5);
    target.reset();
    EXPECT_TRUE(loop.runUntil([&] { return weak.expired(); }, 5));
    loop.reset();
}
