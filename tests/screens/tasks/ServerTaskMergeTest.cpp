#include "screens/tasks/ServerTaskMerge.h"

#include "platform/data/Predicate.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "screens/tasks/TaskRecordUtil.h"
#include "tests/screens/tasks/ServerLists.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>

using foundation::Array;
using foundation::Value;
using MergeRule = IMivoDataBaseManager::MergeRule;

namespace {

class ServerTaskMergeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
    }
    void TearDown() override
    {
        foundation::RunLoop::main().reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
    }

    static Value list(int tasks, int files)
    {
        Array entries;
        for (int t = 0; t < tasks; ++t) {
            std::string carID = std::to_string(500 + t);
            Array list;
            for (int f = 1; f <= files; ++f)
                list.push_back(
                    mivo::test::serverFile(carID, std::to_string(f), f < files ? "image" : "video"));
            entries.push_back(mivo::test::serverTask(carID, "M" + std::to_string(t), std::move(list)));
        }
        return entries;
    }

    static size_t storedTasks() { return TaskRecordUtil::tasksWithStatus("FINISHED", "arvel").size(); }
    static size_t storedFiles()
    {
        auto records = IMivoDataBaseManager::sharedManager()->listMivoUploadTasks(std::nullopt);
        return records ? records->size() : 0;
    }

    mivo::test::TempHome m_home;
};

} // namespace

TEST_F(ServerTaskMergeTest, RunsInSlicesOnLaterTurnsAndReportsOnce)
{
    auto merge = ServerTaskMerge::create(list(6, 19), "FINISHED", "arvel", MergeRule::Always);
    merge->setSliceSeconds(0); // one task a turn
    int reports = 0;
    size_t reportedMerged = 0;
    bool reportedStored = false;
    merge->start([] { return true; },
        [&](size_t merged, bool allStored) {
            ++reports;
            reportedMerged = merged;
            reportedStored = allStored;
        });
    EXPECT_EQ(storedTasks(), 0u) << "nothing runs inside start()";
    for (size_t turn = 1; turn <= 6; ++turn) {
        foundation::RunLoop::main().runOnce();
        EXPECT_EQ(storedTasks(), turn) << "each turn stores whole tasks";
        EXPECT_EQ(storedFiles(), turn * 19);
    }
    foundation::RunLoop::main().runOnce();
    EXPECT_TRUE(merge->isDone());
    EXPECT_EQ(merge->slicesRun(), 6u);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(reportedMerged, 6u);
    EXPECT_TRUE(reportedStored);
    EXPECT_FALSE(IMivoDataBaseManager::sharedManager()->managedObjectContext()->isInTransaction());
}

TEST_F(ServerTaskMergeTest, StopsBetweenSlicesWhenItsScreenIsGone)
{
    auto merge = ServerTaskMerge::create(list(5, 3), "FINISHED", "arvel", MergeRule::Always);
    merge->setSliceSeconds(0);
    bool screenAlive = true;
    bool reported = false;
    merge->start([&] { return screenAlive; }, [&](size_t, bool) { reported = true; });
    foundation::RunLoop::main().runOnce();
    foundation::RunLoop::main().runOnce();
    screenAlive = false;
    for (int i = 0; i < 5; ++i)
        foundation::RunLoop::main().runOnce();
    EXPECT_EQ(storedTasks(), 2u) << "what was merged stays, the rest waits for the next fetch";
    EXPECT_FALSE(reported);
    EXPECT_FALSE(IMivoDataBaseManager::sharedManager()->managedObjectContext()->isInTransaction());
}

TEST_F(ServerTaskMergeTest, AWholeListAtOnceMergesAndMergesAgainWithoutDuplicates)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    bool allStored = false;
    EXPECT_EQ(
        TaskRecordUtil::mergeServerTasks(list(40, 19), "FINISHED", "arvel", MergeRule::Always, &allStored),
        40u);
    EXPECT_TRUE(allStored);
    EXPECT_EQ(storedFiles(), 40u * 19);
    EXPECT_FALSE(manager->managedObjectContext()->isInTransaction());
    // Merging it again changes nothing.
    EXPECT_EQ(TaskRecordUtil::mergeServerTasks(list(40, 19), "FINISHED", "arvel", MergeRule::Always), 40u);
    EXPECT_EQ(storedTasks(), 40u);
    EXPECT_EQ(storedFiles(), 40u * 19);
}

TEST_F(ServerTaskMergeTest, WhatIsSkippedIsLoggedOnceWithItsCount)
{
    Value tasks = list(2, 3);
    Array& entries = tasks.mutableArray();
    for (int i = 0; i < 5; ++i)
        entries.push_back(0);
    entries.push_back(foundation::Map {{"CarID", "77"}});
    entries.push_back(
        mivo::test::serverTask("78", "M78", Array {Value(0), foundation::Map {{"FileNum", "1"}}}));
    auto skipped = [](const foundation::LogCapture& capture) {
        auto lines = capture.lines();
        return std::count_if(lines.begin(), lines.end(),
            [](const std::string& line) { return line.find("skipped") != std::string::npos; });
    };
    const char* expected
        = "6 server tasks without \"CarID\" or \"CarFilesList\" and 2 server files without position or type";

    foundation::LogCapture sliced(foundation::LogCapture::Echo::No);
    auto merge = ServerTaskMerge::create(tasks, "FINISHED", "arvel", MergeRule::Always);
    merge->setSliceSeconds(0);
    size_t merged = 0;
    merge->start([] { return true; }, [&](size_t count, bool) { merged = count; });
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return merge->isDone(); }, 10));
    EXPECT_EQ(merged, 3u);
    EXPECT_EQ(skipped(sliced), 1);
    EXPECT_TRUE(sliced.contains(expected));

    foundation::LogCapture atOnce(foundation::LogCapture::Echo::No);
    EXPECT_EQ(TaskRecordUtil::mergeServerTasks(tasks, "FINISHED", "arvel", MergeRule::Always), 3u);
    EXPECT_EQ(skipped(atOnce), 1);
    EXPECT_TRUE(atOnce.contains(expected));
}
