#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

using data::Predicate;
using foundation::Date;
using foundation::Map;
using foundation::Value;

namespace {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { BaseDatabaseManager::resetSharedManagersForTesting(); }
    void TearDown() override { BaseDatabaseManager::resetSharedManagersForTesting(); }

    std::shared_ptr<IMivoDataBaseManager> store() { return IMivoDataBaseManager::sharedManager(); }
    // A second manager on the same file, as after a restart of the app.
    std::shared_ptr<IMivoDataBaseManager> reopened()
    {
        BaseDatabaseManager::resetSharedManagersForTesting();
        return IMivoDataBaseManager::sharedManager();
    }

    // A task with its 18 photo records and one video record, as the create-task screen stores them.
    void storeNewTask(const std::string& applyNO, int photos = 18)
    {
        ASSERT_TRUE(store()->insertMivoTask({{"applyNO", applyNO}, {"taskStatus", "PENDING"}, {"carID", ""},
            {"oldApplyNO", ""}, {"createTime", Date(1700000000)}, {"creareUserid", int64_t(9000000000)}}));
        std::vector<Map> records;
        for (int i = 1; i <= photos + 1; ++i) {
            records.push_back({{"applyNO", applyNO}, {"resourceType", i <= photos ? "image" : "video"},
                {"taskPosition", std::to_string(i)}, {"taskStatus", "DEFAULT"}, {"carID", ""},
                {"createTime", Date(1700000000)}});
        }
        ASSERT_TRUE(store()->insertMivoUploadTasks(records));
    }

    mivo::test::TempHome m_home;
};

std::vector<std::string> positions(const std::vector<std::shared_ptr<MivoUploadTask>>& records)
{
    std::vector<std::string> out;
    for (auto& record : records)
        out.push_back(record->taskPosition());
    return out;
}

TEST_F(StoreTest, OneSharedStoreInDocuments)
{
    EXPECT_EQ(store().get(), IMivoDataBaseManager::sharedManager().get());
    ASSERT_TRUE(store()->managedObjectContext());
    EXPECT_EQ(store()->managedObjectContext()->model().name(), "Zantiro");
    EXPECT_TRUE(std::filesystem::exists(foundation::Paths::documents() / "IMivoDataBaseManager.sqlite"));
}

TEST_F(StoreTest, ListsInStoreOrderEmptyWhenNoneMatch)
{
    storeNewTask("A1");
    storeNewTask("B2", 3);
    auto records = reopened()->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", "A1"));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 19u);
    std::vector<std::string> expected;
    for (int i = 1; i <= 19; ++i)
        expected.push_back(std::to_string(i));
    EXPECT_EQ(positions(*records), expected);
    EXPECT_EQ(records->back()->resourceType(), "video");

    auto none = store()->listAllObjectsFromTable("MivoTask", Predicate::withFormat("applyNO=%@", "nothing"));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    auto all = store()->listAllObjectsFromTable("MivoUploadTask", std::nullopt);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 23u);

    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    EXPECT_FALSE(store()->listAllObjectsFromTable("MivoTask", Predicate::withFormat("applyNo=%@", "A1")));
    EXPECT_FALSE(store()->listAllObjectsFromTable("NoSuchTable", std::nullopt));
    EXPECT_TRUE(capture.contains("--------error------@"));
}

TEST_F(StoreTest, RecordsAreLiveAcrossLists)
{
    storeNewTask("A1", 2);
    auto task = store()->listMivoTasks(Predicate::withFormat("applyNO=%@", "A1"))->front();
    auto again = store()->listMivoTasks(std::nullopt)->front();
    EXPECT_EQ(task.get(), again.get());
    task->setTaskStatus("TOUPLOAD");
    EXPECT_EQ(again->taskStatus(), "TOUPLOAD");
    EXPECT_FALSE(task->updateDate()); // never set: no date, not the epoch
}

TEST_F(StoreTest, UpdateKeepsOtherAttributes)
{
    storeNewTask("A1", 2);
    auto record
        = store()
              ->listMivoUploadTasks(Predicate::withFormat("applyNO=%@ and taskPosition=%@", "A1", "2"))
              ->front();
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    auto result = store()->updateMivoUploadTask(record,
        {{"taskStatus", "PENDING"}, {"resourceName", "1700000000000000.jpg"}, {"noSuchAttribute", "x"}});
    EXPECT_EQ(result.get(), record.get());
    EXPECT_FALSE(record->hasChanges());

    auto stored
        = reopened()->listMivoUploadTasks(Predicate::withFormat("applyNO=%@ and taskPosition=%@", "A1", "2"));
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_EQ(stored->front()->taskStatus(), "PENDING");
    EXPECT_EQ(stored->front()->resourceName(), "1700000000000000.jpg");
    EXPECT_EQ(stored->front()->resourceType(), "image");
    EXPECT_EQ(stored->front()->createTime(), Date(1700000000));

    auto task = store()->listMivoTasks(std::nullopt)->front();
    store()->updateMivoTask(task, {{"taskStatus", "TOUPLOAD"}, {"carID", "C-9"}});
    auto reread = reopened()->listMivoTasks(std::nullopt)->front();
    EXPECT_EQ(reread->taskStatus(), "TOUPLOAD");
    EXPECT_EQ(reread->carID(), "C-9");
    EXPECT_EQ(reread->applyNO(), "A1");
    EXPECT_EQ(reread->creareUserid(), int64_t(9000000000));
}

TEST_F(StoreTest, SaveErrorIsLoggedAndTheRecordReturned)
{
    storeNewTask("A1", 1);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((foundation::Paths::documents() / "IMivoDataBaseManager.sqlite").c_str(), &other),
        SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other,
            "CREATE TRIGGER refuse BEFORE UPDATE ON MivoTask BEGIN SELECT RAISE(ABORT, 'read-only'); END",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(other);
    auto task = store()->listMivoTasks(std::nullopt)->front();
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    auto result = store()->updateMivoTask(task, {{"taskStatus", "TOUPLOAD"}});
    EXPECT_EQ(result.get(), task.get());
    EXPECT_EQ(task->taskStatus(), "TOUPLOAD");
    EXPECT_TRUE(capture.contains("--------error------@save failed: read-only"));
    EXPECT_EQ(reopened()->listMivoTasks(std::nullopt)->front()->taskStatus(), "PENDING");
}

TEST_F(StoreTest, NewMediaEntityIsStoredAtTheNextSave)
{
    storeNewTask("A1", 1);
    auto record = store()->getMivoUploadEntity("MivoUploadTask");
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->isInserted());
    {
        // Another connection to the file does not see it yet.
        std::string error;
        auto other = data::ManagedObjectContext::open(IMivoDataBaseManager::model(),
            foundation::Paths::documents() / "IMivoDataBaseManager.sqlite", &error);
        ASSERT_TRUE(other) << error;
        EXPECT_EQ(other->fetch({"MivoUploadTask"})->size(), 2u);
    }
    store()->updateMivoUploadTask(record, {{"applyNO", "A1"}, {"carID", "C1"}, {"taskPosition", "3"}});
    auto stored = reopened()->listMivoUploadTasks(
        Predicate::withFormat("carID == %@ AND taskPosition == %@", "C1", "3"));
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_EQ(reopened()->listMivoUploadTasks(std::nullopt)->size(), 3u);

    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    EXPECT_FALSE(store()->getMivoUploadEntity("MivoTask"));
}

TEST_F(StoreTest, ServerListsMergeIntoTheStore)
{
    using Rule = IMivoDataBaseManager::MergeRule;
    auto file = [](const char* position, const char* type, const char* status, const char* url) {
        return Map {{"carID", "C7"}, {"taskPosition", position}, {"resourceType", type},
            {"taskStatus", status}, {"fileUrl", url}};
    };
    ASSERT_TRUE(store()->upsertMivoUploadTask(file("1", "image", "UPLOADED", "/m/1.jpg"), Rule::Always));
    ASSERT_TRUE(store()->upsertMivoUploadTask(file("2", "image", "UPLOADED", "/m/2.jpg"), Rule::Always));
    // The inspector shot slot 2 again: its record is PENDING with a local file.
    auto slot2
        = store()
              ->listMivoUploadTasks(Predicate::withFormat("carID == %@ AND taskPosition == %@", "C7", "2"))
              ->front();
    store()->updateMivoUploadTask(slot2, {{"taskStatus", "PENDING"}, {"resourceName", "local.jpg"}});

    store()->upsertMivoUploadTask(file("1", "image", "UPLOADED", "/m/1b.jpg"), Rule::OnlyWhileUploaded);
    auto kept
        = store()->upsertMivoUploadTask(file("2", "image", "UPLOADED", "/m/2b.jpg"), Rule::OnlyWhileUploaded);
    store()->upsertMivoUploadTask(file("2", "video", "UPLOADED", "/m/v.mp4"), Rule::OnlyWhileUploaded);
    EXPECT_EQ(kept.get(), slot2.get());

    auto all = reopened()->listMivoUploadTasks(std::nullopt);
    ASSERT_EQ(all->size(), 3u);
    EXPECT_EQ(all->at(0)->fileUrl(), "/m/1b.jpg");
    EXPECT_EQ(all->at(1)->taskStatus(), "PENDING");
    EXPECT_EQ(all->at(1)->resourceName(), "local.jpg");
    EXPECT_EQ(all->at(1)->fileUrl(), "/m/2.jpg");
    EXPECT_EQ(all->at(2)->resourceType(), "video");

    // The finished list updates whatever it finds.
    store()->upsertMivoUploadTask(file("2", "image", "UPLOADED", "/m/2c.jpg"), Rule::Always);
    EXPECT_EQ(reopened()->listMivoUploadTasks(std::nullopt)->at(1)->taskStatus(), "UPLOADED");

    // Tasks match on their server id; a number from a reply is stored as text.
    store()->upsertMivoTask({{"carID", "C7"}, {"taskStatus", "REJECTED"}, {"applyNO", "X"}});
    store()->upsertMivoTask({{"carID", "C7"}, {"taskStatus", "FINISHED"}});
    store()->upsertMivoTask({{"carID", 8}, {"taskStatus", "FINISHED"}});
    auto tasks = reopened()->listMivoTasks(std::nullopt);
    ASSERT_EQ(tasks->size(), 2u);
    EXPECT_EQ(tasks->at(0)->taskStatus(), "FINISHED");
    EXPECT_EQ(tasks->at(0)->applyNO(), "X");
    EXPECT_EQ(tasks->at(1)->carID(), "8");
}

TEST_F(StoreTest, EmptyAndDelete)
{
    storeNewTask("A1", 2);
    storeNewTask("B1", 2);
    EXPECT_TRUE(
        store()->deleteAllObjectsFromTable("MivoUploadTask", Predicate::withFormat("applyNO=%@", "A1")));
    EXPECT_EQ(reopened()->listMivoUploadTasks(std::nullopt)->size(), 3u);
    EXPECT_TRUE(store()->deleteObject(store()->listMivoTasks(std::nullopt)->front()));
    EXPECT_TRUE(store()->emptyTable("MivoUploadTask"));
    EXPECT_TRUE(reopened()->listMivoUploadTasks(std::nullopt)->empty());
    EXPECT_EQ(store()->listMivoTasks(std::nullopt)->size(), 1u);
}

TEST_F(StoreTest, BrokenStoreFileFailsQuietly)
{
    auto path = foundation::Paths::documents() / "IMivoDataBaseManager.sqlite";
    std::ofstream(path, std::ios::binary) << std::string(8192, '\x17') << "garbage";
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    auto manager = IMivoDataBaseManager::sharedManager();
    EXPECT_FALSE(manager->managedObjectContext());
    EXPECT_FALSE(manager->listAllObjectsFromTable("MivoTask", std::nullopt));
    EXPECT_FALSE(manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", "A")));
    EXPECT_FALSE(manager->getMivoUploadEntity("MivoUploadTask"));
    EXPECT_FALSE(manager->insertMivoTask({{"applyNO", "A"}}));
    EXPECT_FALSE(manager->insertMivoUploadTasks({{{"applyNO", "A"}}}));
    EXPECT_FALSE(manager->upsertMivoUploadTask({{"carID", "C"}}, IMivoDataBaseManager::MergeRule::Always));
    EXPECT_FALSE(manager->emptyTable("MivoTask"));
    EXPECT_FALSE(manager->updateMivoTask(nullptr, {}));
    EXPECT_TRUE(capture.contains("--------error------@"));
    // The damaged file is left for inspection, not overwritten.
    EXPECT_EQ(std::filesystem::file_size(path), 8192u + 7u);
}

} // namespace
