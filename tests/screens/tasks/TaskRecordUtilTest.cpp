#include "screens/tasks/TaskRecordUtil.h"

#include "core/store/GetCourseArrayModel.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Paths.h"
#include "tests/screens/tasks/ServerLists.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

using data::Predicate;
using foundation::Array;
using foundation::Map;
using foundation::Value;
using MergeRule = IMivoDataBaseManager::MergeRule;
using ApplyNOState = TaskRecordUtil::ApplyNOState;
using mivo::test::serverFile;
using mivo::test::serverTask;

namespace {

class TaskRecordUtilTest : public ::testing::Test {
protected:
    void SetUp() override { BaseDatabaseManager::resetSharedManagersForTesting(); }
    void TearDown() override { BaseDatabaseManager::resetSharedManagersForTesting(); }

    static std::vector<std::shared_ptr<MivoUploadTask>> records(
        const std::string& predicate, const Value& argument)
    {
        auto list
            = IMivoDataBaseManager::sharedManager()->listMivoUploadTasks(Predicate(predicate, {argument}));
        return list ? *list : std::vector<std::shared_ptr<MivoUploadTask>> {};
    }

    static NewTaskFields fields(const std::string& applyNO, const std::string& plan)
    {
        return {applyNO, "上海浦东仓", "平安保险", "86000", "常规产品", plan};
    }

    // Runs SQL on the store file through a connection of its own (the store's stays open).
    static bool storeSql(const char* sql)
    {
        sqlite3* db = nullptr;
        bool ok = sqlite3_open((foundation::Paths::documents() / "IMivoDataBaseManager.sqlite").c_str(), &db)
                == SQLITE_OK
            && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return ok;
    }

    mivo::test::TempHome m_home;
};

} // namespace

TEST(TaskRecordUtilListTypeTest, FollowsCompanyAndPlan)
{
    EXPECT_EQ(TaskRecordUtil::listTypeFor("Arvel", "拆密封条-方案1"), 0);
    EXPECT_EQ(TaskRecordUtil::listTypeFor("Arvel", "不拆密封条-方案2"), 1);
    EXPECT_EQ(TaskRecordUtil::listTypeFor("Arvel", ""), 1);
    EXPECT_EQ(TaskRecordUtil::listTypeFor("Kestro", "拆密封条-方案1"), 1);
    EXPECT_EQ(TaskRecordUtil::listTypeFor("Kestro", "不拆密封条-方案2"), 1);
    EXPECT_EQ(TaskRecordUtil::listTypeFor("Ombry Motors", "拆密封条-方案1"), 2);
    EXPECT_EQ(TaskRecordUtil::listTypeFor("arvel", "拆密封条-方案1"), 2)
        << "company names are compared exactly";
}

TEST_F(TaskRecordUtilTest, NewTaskStoresOneDefaultRecordPerShotThenTheVideo)
{
    struct Case {
        const char* company;
        const char* plan;
        size_t shots;
    } cases[] = {
        {"Arvel", "拆密封条-方案1", 13},
        {"Arvel", "不拆密封条-方案2", 14},
        {"Kestro", "不拆密封条-方案2", 14},
        {"Ombry Motors", "拍摄方案", 18},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.company) + " " + c.plan);
        std::string applyNO = "A" + std::to_string(++n);
        foundation::Date created(1'700'000'000.0 + n);
        auto task = TaskRecordUtil::storeNewTask(fields(applyNO, c.plan), c.company, "arvel", 1001, created);
        ASSERT_TRUE(task);
        EXPECT_EQ(task->taskStatus(), "PENDING");
        EXPECT_EQ(task->carID(), "");
        EXPECT_EQ(task->oldApplyNO(), "");
        EXPECT_TRUE(task->value("carID").isString()) << "carID is the empty text, not unset";
        EXPECT_EQ(task->photoType(), c.plan);
        EXPECT_EQ(task->createUser(), "arvel");
        EXPECT_EQ(task->creareUserid(), 1001);

        ASSERT_EQ(GetCourseArrayModel::getConstantArrayByType(TaskRecordUtil::listTypeFor(c.company, c.plan))
                      .size(),
            c.shots);
        auto all = records("applyNO=%@", applyNO);
        ASSERT_EQ(all.size(), c.shots + 1);
        for (size_t i = 0; i < all.size(); ++i) {
            const auto& record = all[i];
            bool isVideo = i == c.shots;
            EXPECT_EQ(record->resourceType(), isVideo ? "video" : "image");
            EXPECT_EQ(record->taskPosition(), std::to_string(i + 1)) << "store order is shot order";
            EXPECT_EQ(record->taskStatus(), "DEFAULT");
            EXPECT_EQ(record->createTime(), created) << "one creation time for all";
            for (const char* empty :
                {"carID", "resourceName", "resourceFilePath", "screenshotName", "screenshotPath"}) {
                EXPECT_TRUE(record->value(empty).isString()) << empty;
                EXPECT_EQ(record->value(empty).asString(), "") << empty;
            }
        }
    }
}

TEST_F(TaskRecordUtilTest, ANewTaskIsStoredWholeOrNotAtAll)
{
    ASSERT_TRUE(TaskRecordUtil::storeNewTask(
        fields("M0", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(1)));
    // The media records cannot be written, and neither can a task be taken out again.
    ASSERT_TRUE(storeSql(
        "CREATE TRIGGER refuseRecords BEFORE INSERT ON MivoUploadTask BEGIN SELECT RAISE(ABORT, 'full'); END;"
        "CREATE TRIGGER refuseDelete BEFORE DELETE ON MivoTask BEGIN SELECT RAISE(ABORT, 'full'); END"));
    EXPECT_FALSE(TaskRecordUtil::storeNewTask(
        fields("M1", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(2)));
    EXPECT_EQ(TaskRecordUtil::applyNOState("M1"), ApplyNOState::Free);

    // What the next start of the app finds in the file.
    BaseDatabaseManager::resetSharedManagersForTesting();
    auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(std::nullopt);
    ASSERT_TRUE(tasks);
    ASSERT_EQ(tasks->size(), 1u) << "no task without its media records";
    EXPECT_EQ(tasks->front()->applyNO(), "M0");
}

TEST_F(TaskRecordUtilTest, TakenNumbersIgnoreDeletedTasks)
{
    EXPECT_EQ(TaskRecordUtil::applyNOState("B1"), ApplyNOState::Free);
    auto task = TaskRecordUtil::storeNewTask(
        fields("B1", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(1));
    ASSERT_TRUE(task);
    EXPECT_EQ(TaskRecordUtil::applyNOState("B1"), ApplyNOState::Taken);
    EXPECT_EQ(TaskRecordUtil::applyNOState("B2"), ApplyNOState::Free);
    IMivoDataBaseManager::sharedManager()->updateMivoTask(task, Map {{"taskStatus", "DELETE"}});
    EXPECT_EQ(TaskRecordUtil::applyNOState("B1"), ApplyNOState::Free);
}

TEST_F(TaskRecordUtilTest, ListsShowOnlyTheUsersTasksOfTheState)
{
    TaskRecordUtil::storeNewTask(fields("C1", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(1));
    TaskRecordUtil::storeNewTask(fields("C2", "拆密封条-方案1"), "Arvel", "other", 1009, foundation::Date(2));
    auto c3 = TaskRecordUtil::storeNewTask(
        fields("C3", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(3));
    IMivoDataBaseManager::sharedManager()->updateMivoTask(c3, Map {{"taskStatus", "TOUPLOAD"}});
    auto pending = TaskRecordUtil::tasksWithStatus("PENDING", "arvel");
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0]->applyNO(), "C1");
    ASSERT_EQ(TaskRecordUtil::tasksWithStatus("TOUPLOAD", "arvel").size(), 1u);
    EXPECT_TRUE(TaskRecordUtil::tasksWithStatus("PENDING", "nobody").empty());
}

TEST_F(TaskRecordUtilTest, ServerTasksMergeIntoTasksAndUploadedRecords)
{
    Value list = Array {serverTask("77", "D1",
        Array {serverFile("77", "1", "image"), serverFile("77", "2", "image"),
            serverFile("77", "14", "video")})};
    EXPECT_EQ(TaskRecordUtil::mergeServerTasks(list, "REJECTED", "arvel", MergeRule::OnlyWhileUploaded), 1u);

    auto tasks = TaskRecordUtil::tasksWithStatus("REJECTED", "arvel");
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->carID(), "77");
    EXPECT_EQ(tasks[0]->photoType(), "0") << "the server's plan code";
    EXPECT_EQ(tasks[0]->applyNO(), "D1") << "without the order prefix, as local tasks keep it";
    EXPECT_EQ(tasks[0]->rejectedReason(), "照片不清晰");

    auto files = records("carID=%@", "77");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0]->taskPosition(), "1");
    EXPECT_EQ(files[0]->taskStatus(), "UPLOADED");
    EXPECT_EQ(files[0]->resourceName(), "f1.jpg");
    EXPECT_EQ(files[0]->fileUrl(), "/media/77/f1.jpg");
    EXPECT_EQ(files[0]->thumbnail(), "/media/77/t1.jpg");
    EXPECT_EQ(files[0]->applyNO(), "D1");
    EXPECT_EQ(files[2]->resourceType(), "video");

    // The same list again updates instead of adding.
    TaskRecordUtil::mergeServerTasks(list, "REJECTED", "arvel", MergeRule::OnlyWhileUploaded);
    EXPECT_EQ(TaskRecordUtil::tasksWithStatus("REJECTED", "arvel").size(), 1u);
    EXPECT_EQ(records("carID=%@", "77").size(), 3u);
}

TEST_F(TaskRecordUtilTest, RejectedListKeepsASlotShotAgainFinishedListDoesNot)
{
    Value first = Array {
        serverTask("80", "E1", Array {serverFile("80", "1", "image"), serverFile("80", "2", "image")})};
    TaskRecordUtil::mergeServerTasks(first, "REJECTED", "arvel", MergeRule::OnlyWhileUploaded);
    auto manager = IMivoDataBaseManager::sharedManager();
    auto slot = records("carID=%@", "80")[0];
    manager->updateMivoUploadTask(slot, Map {{"taskStatus", "PENDING"}, {"resourceName", "local.jpg"}});

    Value again = Array {
        serverTask("80", "E1", Array {serverFile("80", "1", "image"), serverFile("80", "2", "image")})};
    again.mutableArray()[0].set("RejectReason", "第二次驳回");
    TaskRecordUtil::mergeServerTasks(again, "REJECTED", "arvel", MergeRule::OnlyWhileUploaded);
    EXPECT_EQ(slot->taskStatus(), "PENDING");
    EXPECT_EQ(slot->resourceName(), "local.jpg");
    EXPECT_EQ(TaskRecordUtil::tasksWithStatus("REJECTED", "arvel")[0]->rejectedReason(), "第二次驳回");

    TaskRecordUtil::mergeServerTasks(again, "FINISHED", "arvel", MergeRule::Always);
    EXPECT_EQ(slot->taskStatus(), "UPLOADED");
    EXPECT_EQ(slot->resourceName(), "f1.jpg");
    EXPECT_TRUE(TaskRecordUtil::tasksWithStatus("REJECTED", "arvel").empty()) << "the task itself moved on";
    EXPECT_EQ(TaskRecordUtil::tasksWithStatus("FINISHED", "arvel").size(), 1u);
}

TEST_F(TaskRecordUtilTest, MatchingNeedsCarIdPositionAndType)
{
    // A local task's records have no server id: a server file never lands on them.
    TaskRecordUtil::storeNewTask(fields("F1", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(1));
    Value list = Array {
        serverTask("90", "F1", Array {serverFile("90", "14", "image"), serverFile("90", "14", "video")})};
    TaskRecordUtil::mergeServerTasks(list, "FINISHED", "arvel", MergeRule::Always);
    auto local = records("carID=%@", "");
    EXPECT_EQ(local.size(), 14u);
    for (const auto& record : local)
        EXPECT_EQ(record->taskStatus(), "DEFAULT");
    EXPECT_EQ(records("carID=%@", "90").size(), 2u) << "same position, different type: two records";
}

TEST_F(TaskRecordUtilTest, MalformedServerEntriesAreSkipped)
{
    Value list = Array {Value("not a task"), Map {{"ApplyNo", "X"}},
        Map {{"CarID", "93"}, {"CarFilesList", "none"}}, Map {{"CarID", "94"}},
        serverTask("91", "G1",
            Array {Value(1), Map {{"FileType", "image"}}, serverFile("91", "3", "audio"),
                serverFile("91", "3", "image")})};
    EXPECT_EQ(TaskRecordUtil::mergeServerTasks(list, "FINISHED", "arvel", MergeRule::Always), 1u);
    EXPECT_EQ(records("carID=%@", "91").size(), 1u);
    EXPECT_EQ(TaskRecordUtil::tasksWithStatus("FINISHED", "arvel").size(), 1u) << "no file list, no task";
    EXPECT_EQ(TaskRecordUtil::mergeServerTasks(Value("oops"), "FINISHED", "arvel", MergeRule::Always), 0u);
}

TEST_F(TaskRecordUtilTest, AFieldTheReplyLacksLeavesTheStoredValue)
{
    struct Case {
        std::vector<const char*> fields; // all given, changed, left out or emptied together
        bool onFile;
        const char* changed;
        std::function<std::string(const MivoTask&, const MivoUploadTask&)> stored;
        bool emptyKeeps; // an empty value keeps the stored one rather than writing ""
    };
    auto date = [](std::optional<foundation::Date> d) {
        return d ? d->formatLocal("yyyy-MM-dd HH:mm:ss") : std::string("(none)");
    };
    const Case cases[] = {
        {{"ApplyNoWithoutPrefix", "ApplyNo"}, false, "N9",
            [](auto& t, auto& f) { return t.applyNO() + "/" + f.applyNO(); }, true},
        {{"carSource"}, false, "1", [](auto& t, auto&) { return t.photoType(); }, false},
        {{"StockArea"}, false, "广州仓", [](auto& t, auto&) { return t.baseLocation(); }, false},
        {{"UndertakeCompany"}, false, "太平", [](auto& t, auto&) { return t.ensureCompany(); }, false},
        {{"SecondhandPrice"}, false, "70000", [](auto& t, auto&) { return t.dealPrice(); }, false},
        {{"RejectReason"}, false, "缺少照片", [](auto& t, auto&) { return t.rejectedReason(); }, false},
        {{"AssessPrice"}, false, "65000", [](auto& t, auto&) { return t.assessPrice(); }, false},
        {{"UpdateDate"}, false, "2027-01-02 03:04:05", [&](auto& t, auto&) { return date(t.updateDate()); },
            true},
        {{"CreateTime"}, false, "2027-01-02 03:04:05", [&](auto& t, auto&) { return date(t.createTime()); },
            true},
        {{"FileName"}, true, "g1.jpg", [](auto&, auto& f) { return f.resourceName(); }, false},
        {{"FileUrl"}, true, "/media/70/g1.jpg", [](auto&, auto& f) { return f.fileUrl(); }, false},
        {{"Thumbnail"}, true, "/media/70/h1.jpg", [](auto&, auto& f) { return f.thumbnail(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields[0]);
        BaseDatabaseManager::resetSharedManagersForTesting();
        enum class Field { AsIs, Set, Lacking };
        auto merge = [&](Field how, Value value = Value()) {
            Value task = serverTask("70", "N1", Array {});
            task.set("AssessPrice", "80000").set("CreateTime", "2026-12-01 09:00:00");
            Value file = serverFile("70", "1", "image");
            Value& holder = c.onFile ? file : task;
            for (const char* field : c.fields) {
                if (how == Field::Lacking)
                    holder.mutableMap().erase(field);
                else if (how == Field::Set)
                    holder.set(field, value);
            }
            task.set("CarFilesList", Array {file});
            TaskRecordUtil::mergeServerTasks(Array {task}, "FINISHED", "arvel", MergeRule::Always);
            auto tasks = TaskRecordUtil::tasksWithStatus("FINISHED", "arvel");
            auto files = records("carID=%@", "70");
            EXPECT_EQ(tasks.size(), 1u);
            EXPECT_EQ(files.size(), 1u);
            return tasks.size() == 1 && files.size() == 1 ? c.stored(*tasks[0], *files[0]) : std::string();
        };
        std::string original = merge(Field::AsIs);
        std::string changed = merge(Field::Set, c.changed);
        EXPECT_NE(changed, original) << "the reply's value is written";
        EXPECT_EQ(merge(Field::Lacking), changed) << "lacking it keeps what is stored";
        EXPECT_EQ(merge(Field::Set, Value()), changed) << "null is no value either";
        EXPECT_EQ(merge(Field::Set, Array {}), changed) << "nor is a list";
        EXPECT_EQ(merge(Field::Set, ""), c.emptyKeeps ? changed : std::string()) << "given empty";
    }
}

TEST_F(TaskRecordUtilTest, AMinimalListKeepsTheInspectorsNumberForTheListsAndGrids)
{
    // A task registered and uploaded here, then listed by a server that sends only what the lists
    // are bound to.
    TaskRecordUtil::storeNewTask(fields("P1", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(1));
    auto manager = IMivoDataBaseManager::sharedManager();
    auto local = records("applyNO=%@", "P1");
    ASSERT_EQ(local.size(), 14u);
    manager->updateMivoTask(TaskRecordUtil::tasksWithStatus("PENDING", "arvel")[0],
        Map {{"carID", "71"}, {"taskStatus", "TOUPLOAD"}});
    Array files;
    for (const auto& record : local) {
        manager->updateMivoUploadTask(record, Map {{"carID", "71"}, {"taskStatus", "UPLOADED"}});
        files.push_back(Map {{"FileNum", record->taskPosition()}, {"FileType", record->resourceType()},
            {"FileUrl", "/m/" + record->taskPosition()}});
    }
    Value list = Array {Map {{"CarID", 71}, {"carSource", "0"}, {"CarFilesList", files}}};
    ASSERT_EQ(TaskRecordUtil::mergeServerTasks(list, "FINISHED", "arvel", MergeRule::Always), 1u);

    auto finished = TaskRecordUtil::tasksWithStatus("FINISHED", "arvel");
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0]->applyNO(), "P1");
    EXPECT_EQ(finished[0]->baseLocation(), "上海浦东仓");
    auto byNumber = records("applyNO=%@", "P1");
    EXPECT_EQ(byNumber.size(), 14u) << "the grids and the upload screen find them by the number";
    auto uploads = TaskRecordUtil::finishedUploads("71");
    ASSERT_EQ(uploads.size(), 14u);
    for (const auto& record : uploads) {
        EXPECT_EQ(record->applyNO(), "P1");
        EXPECT_EQ(record->fileUrl(), "/m/" + record->taskPosition());
    }
}

TEST_F(TaskRecordUtilTest, ATaskNewHereThatComesWithoutANumberIsFoundByTheEmptyOne)
{
    Value list = Array {
        Map {{"CarID", "72"}, {"carSource", "2"}, {"CarFilesList", Array {serverFile("72", "1", "image")}}}};
    TaskRecordUtil::mergeServerTasks(list, "REJECTED", "arvel", MergeRule::OnlyWhileUploaded);
    auto tasks
        = IMivoDataBaseManager::sharedManager()->listMivoTasks(Predicate::withFormat("applyNO=%@", ""));
    ASSERT_TRUE(tasks);
    ASSERT_EQ(tasks->size(), 1u);
    EXPECT_EQ(tasks->front()->carID(), "72");
    EXPECT_EQ(records("applyNO=%@", "").size(), 1u);
}

TEST_F(TaskRecordUtilTest, NumericServerFieldsAreStoredAsText)
{
    Value task = serverTask("0", "H1", Array {});
    task.set("CarID", 92);
    Map file {{"carTaskId", 92}, {"FileNum", 3}, {"FileType", "image"}, {"FileName", "a.jpg"},
        {"FileUrl", "/u"}, {"Thumbnail", "/t"}};
    task.set("CarFilesList", Array {file});
    TaskRecordUtil::mergeServerTasks(Array {task}, "FINISHED", "arvel", MergeRule::Always);
    auto stored = records("carID=%@", "92");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->taskPosition(), "3");
}

TEST_F(TaskRecordUtilTest, FinishedGridGetsImagesByNumberThenVideos)
{
    Value list = Array {serverTask("95", "J1",
        Array {serverFile("95", "10", "image"), serverFile("95", "14", "video"),
            serverFile("95", "9", "image"), serverFile("95", "2", "image")})};
    TaskRecordUtil::mergeServerTasks(list, "FINISHED", "arvel", MergeRule::Always);
    auto uploads = TaskRecordUtil::finishedUploads("95");
    ASSERT_EQ(uploads.size(), 4u);
    EXPECT_EQ(uploads[0]->taskPosition(), "2");
    EXPECT_EQ(uploads[1]->taskPosition(), "9");
    EXPECT_EQ(uploads[2]->taskPosition(), "10") << "positions compare as numbers, not as text";
    EXPECT_EQ(uploads[3]->resourceType(), "video");
    EXPECT_TRUE(TaskRecordUtil::finishedUploads("nothing").empty());
}

TEST_F(TaskRecordUtilTest, AMergeSaysWhenTheStoreRefusedAFile)
{
    Value list = Array {serverTask("96", "K1", Array {serverFile("96", "1", "image")})};
    bool allStored = false;
    TaskRecordUtil::mergeServerTasks(list, "REJECTED", "arvel", MergeRule::OnlyWhileUploaded, &allStored);
    EXPECT_TRUE(allStored);

    ASSERT_TRUE(storeSql(
        "CREATE TRIGGER refuse BEFORE INSERT ON MivoUploadTask BEGIN SELECT RAISE(ABORT, 'full'); END"));
    list = Array {
        serverTask("96", "K1", Array {serverFile("96", "1", "image"), serverFile("96", "2", "image")})};
    EXPECT_EQ(
        TaskRecordUtil::mergeServerTasks(list, "REJECTED", "arvel", MergeRule::OnlyWhileUploaded, &allStored),
        1u);
    EXPECT_FALSE(allStored) << "the second file is not in the store";
    EXPECT_EQ(records("carID=%@", "96").size(), 1u);
}

TEST_F(TaskRecordUtilTest, ARenameReachesEveryRecordOfTheTaskInOneSave)
{
    auto local = TaskRecordUtil::storeNewTask(
        fields("R1", "拆密封条-方案1"), "Arvel", "arvel", 1001, foundation::Date(1));
    ASSERT_TRUE(local);
    size_t localRecords = records("applyNO=%@", "R1").size();
    // A server task that happens to carry the same number keeps its own records.
    TaskRecordUtil::mergeServerTasks(Array {serverTask("88", "R1", Array {serverFile("88", "1", "image")})},
        "FINISHED", "arvel", MergeRule::Always);

    ASSERT_TRUE(TaskRecordUtil::updateTask(local, Map {{"applyNO", "R2"}, {"baseLocation", "北京仓"}}));
    BaseDatabaseManager::resetSharedManagersForTesting();
    EXPECT_EQ(records("applyNO=%@", "R2").size(), localRecords);
    EXPECT_EQ(records("applyNO=%@", "R1").size(), 1u) << "the server task's record";
    EXPECT_EQ(TaskRecordUtil::applyNOState("R2"), ApplyNOState::Taken);

    // The server task is renamed through its id, not its number.
    auto server = TaskRecordUtil::tasksWithStatus("FINISHED", "arvel");
    ASSERT_EQ(server.size(), 1u);
    ASSERT_TRUE(TaskRecordUtil::updateTask(server[0], Map {{"applyNO", "S9"}}));
    EXPECT_EQ(records("carID=%@", "88")[0]->applyNO(), "S9");
    EXPECT_EQ(records("applyNO=%@", "R2").size(), localRecords);

    // A refused save changes nothing, in the file or on the live records.
    ASSERT_TRUE(storeSql("CREATE TRIGGER refuseRename BEFORE UPDATE ON MivoUploadTask BEGIN SELECT "
                         "RAISE(ABORT, 'full'); END"));
    auto task = TaskRecordUtil::tasksWithStatus("PENDING", "arvel").at(0);
    EXPECT_FALSE(TaskRecordUtil::updateTask(task, Map {{"applyNO", "R3"}}));
    EXPECT_EQ(task->applyNO(), "R2");
    EXPECT_EQ(records("applyNO=%@", "R2").size(), localRecords);
    BaseDatabaseManager::resetSharedManagersForTesting();
    EXPECT_EQ(TaskRecordUtil::tasksWithStatus("PENDING", "arvel").at(0)->applyNO(), "R2");
    EXPECT_TRUE(records("applyNO=%@", "R3").empty());
}

TEST_F(TaskRecordUtilTest, ANewPlanMakesTheShotListAnewInOneSaveOrNotAtAll)
{
    foundation::Date created(1'700'000'000);
    auto task
        = TaskRecordUtil::storeNewTask(fields("P1", "不拆密封条-方案2"), "Arvel", "arvel", 1001, created);
    ASSERT_TRUE(task);
    ASSERT_EQ(records("applyNO=%@", "P1").size(), 15u);

    // Refused by the store: the old list stays, also through the next save of something else.
    ASSERT_TRUE(storeSql("CREATE TRIGGER refuseRecords BEFORE INSERT ON MivoUploadTask BEGIN SELECT "
                         "RAISE(ABORT, 'full'); END"));
    EXPECT_EQ(TaskRecordUtil::replanTask(task, Map {{"photoType", "拆密封条-方案1"}}, "Arvel"),
        TaskRecordUtil::ReplanResult::StoreFailed);
    EXPECT_EQ(task->photoType(), "不拆密封条-方案2");
    ASSERT_TRUE(TaskRecordUtil::updateTask(task, Map {{"baseLocation", "北京仓"}}));
    BaseDatabaseManager::resetSharedManagersForTesting();
    EXPECT_EQ(records("applyNO=%@", "P1").size(), 15u);

    // Stored: renamed and replanned together, the records as a new task of the plan has them.
    ASSERT_TRUE(storeSql("DROP TRIGGER refuseRecords"));
    task = TaskRecordUtil::tasksWithStatus("PENDING", "arvel").at(0);
    EXPECT_EQ(
        TaskRecordUtil::replanTask(task, Map {{"applyNO", "P2"}, {"photoType", "拆密封条-方案1"}}, "Arvel"),
        TaskRecordUtil::ReplanResult::Stored);
    BaseDatabaseManager::resetSharedManagersForTesting();
    EXPECT_TRUE(records("applyNO=%@", "P1").empty());
    auto made = records("applyNO=%@", "P2");
    ASSERT_EQ(made.size(), 14u);
    for (size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(made[i]->resourceType(), i + 1 == made.size() ? "video" : "image");
        EXPECT_EQ(made[i]->taskPosition(), std::to_string(i + 1));
        EXPECT_EQ(made[i]->taskStatus(), "DEFAULT");
        EXPECT_EQ(made[i]->createTime(), created) << "the task's creation time";
    }

    // Once a shot is taken the plan stays.
    auto store = IMivoDataBaseManager::sharedManager();
    store->updateMivoUploadTask(made.back(), Map {{"taskStatus", "PENDING"}});
    task = TaskRecordUtil::tasksWithStatus("PENDING", "arvel").at(0);
    EXPECT_EQ(TaskRecordUtil::hasTakenShot(*task), true);
    EXPECT_EQ(TaskRecordUtil::replanTask(task, Map {{"photoType", "不拆密封条-方案2"}}, "Arvel"),
        TaskRecordUtil::ReplanResult::ShotTaken);
    EXPECT_EQ(records("applyNO=%@", "P2").size(), 14u);
    EXPECT_EQ(task->photoType(), "拆密封条-方案1");
}
