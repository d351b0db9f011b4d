#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <thread>

using namespace foundation;

namespace {

class NotificationCenterTest : public mivo::test::ManualClockTest {
protected:
    NotificationCenter center;
};

TEST_F(NotificationCenterTest, DeliversSynchronouslyOnMainToObserversOfThatName)
{
    auto observer = std::make_shared<int>(0);
    auto other = std::make_shared<int>(0);
    std::vector<std::string> got;
    center.addObserver(observer, "Ping", [&](const Notification& n) {
        got.push_back(n.name + ":" + n.userInfo["who"].asString());
        EXPECT_EQ(n.object.get(), other.get());
    });
    center.addObserver(other, "Pong", [&](const Notification&) { got.push_back("pong"); });

    center.post("Ping", other, Map {{"who", "me"}});
    EXPECT_EQ(got, (std::vector<std::string> {"Ping:me"}));
}

TEST_F(NotificationCenterTest, RemovingObserversByNameOrEntirely)
{
    auto observer = std::make_shared<int>(0);
    int a = 0, b = 0;
    center.addObserver(observer, "A", [&](const Notification&) { ++a; });
    center.addObserver(observer, "B", [&](const Notification&) { ++b; });
    center.removeObserver(observer.get(), "A");
    center.post("A");
    center.post("B");
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    center.removeObserver(observer.get());
    center.post("B");
    EXPECT_EQ(b, 1);
}

TEST_F(NotificationCenterTest, DestroyedObserverStopsReceivingEvenWhenItsBlockReleasedIt)
{
    auto observer = std::make_shared<int>(0);
    auto selfReleasing = std::make_shared<int>(0);
    int count = 0, selfCount = 0;
    center.addObserver(observer, "N", [&](const Notification&) { ++count; });
    center.addObserver(selfReleasing, "N", [&](const Notification&) {
        ++selfCount;
        selfReleasing.reset();
    });
    center.post("N");
    observer.reset();
    center.post("N");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(selfCount, 1);
}

TEST_F(NotificationCenterTest, ObserversMayChangeRegistrationsDuringDelivery)
{
    auto first = std::make_shared<int>(0);
    auto second = std::make_shared<int>(0);
    auto late = std::make_shared<int>(0);
    int firstCount = 0, secondCount = 0, lateCount = 0;
    center.addObserver(first, "N", [&](const Notification&) {
        ++firstCount;
        center.removeObserver(first.get());
        center.removeObserver(second.get());
        center.addObserver(late, "N", [&](const Notification&) { ++lateCount; });
    });
    center.addObserver(second, "N", [&](const Notification&) { ++secondCount; });
    center.post("N");
    EXPECT_EQ(firstCount, 1);
    EXPECT_EQ(secondCount, 0) << "removed during delivery, before its turn";
    EXPECT_EQ(lateCount, 0) << "added during delivery: from the next post on";
    center.post("N");
    EXPECT_EQ(firstCount, 1);
    EXPECT_EQ(lateCount, 1);
}

TEST_F(NotificationCenterTest, PostFromAWorkerArrivesOnMainThroughTheQueue)
{
    auto observer = std::make_shared<int>(0);
    bool onMain = false;
    int count = 0;
    center.addObserver(observer, "Done", [&](const Notification& n) {
        onMain = RunLoop::main().isMainThread();
        count += static_cast<int>(n.userInfo.asInt());
    });
    std::thread([&] { center.post("Done", nullptr, 5); }).join();
    EXPECT_EQ(count, 0) << "not delivered on the posting thread";
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return count > 0; }, 10));
    EXPECT_TRUE(onMain);
    EXPECT_EQ(count, 5);
}

} // namespace
