// Indexes and bulk transactions of the record store: what keeps lookups flat as the store grows
// and a merge of thousands of records from costing a disk flush each.
#include "platform/data/ManagedObjectContext.h"
#include "platform/foundation/Exception.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>

using data::AttributeType;
using data::FetchRequest;
using data::ManagedObjectContext;
using data::ManagedObjectModel;
using data::Predicate;

namespace {

std::shared_ptr<ManagedObjectModel> makeModel(bool indexed)
{
    auto model = ManagedObjectModel::create("Scale");
    auto entity = model->addEntity("Record",
        {{"owner", AttributeType::Text}, {"slot", AttributeType::Text}, {"kind", AttributeType::Text}});
    if (indexed) {
        entity->addIndex({"slot"});
        entity->addIndex({"owner", "kind", "slot"});
    }
    return model;
}

class StoreScaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "mivo-scale-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_file = m_dir / "store.sqlite";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::shared_ptr<ManagedObjectContext> open(bool indexed)
    {
        std::string error;
        auto context = ManagedObjectContext::open(makeModel(indexed), m_file, &error);
        EXPECT_TRUE(context) << error;
        return context;
    }

    // What SQLite plans for a query, read on a second connection.
    std::string plan(const std::string& where)
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(m_file.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        std::string sql = "EXPLAIN QUERY PLAN SELECT * FROM Record WHERE " + where;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        std::string text;
        while (sqlite3_step(statement) == SQLITE_ROW)
            text += reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)) + std::string("; ");
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return text;
    }

    size_t countOnOtherConnection()
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(m_file.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Record", -1, &statement, nullptr);
        size_t count = sqlite3_step(statement) == SQLITE_ROW ? size_t(sqlite3_column_int64(statement, 0)) : 0;
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return count;
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_file;
};

} // namespace

TEST_F(StoreScaleTest, LookupsUseTheIndexesAlsoInAFileMadeWithoutThem)
{
    {
        auto old = open(false);
        for (int i = 0; i < 3; ++i) {
            auto record = old->insertNewObject("Record");
            record->setValue("owner", "T" + std::to_string(i));
            record->setValue("slot", "1");
            record->setValue("kind", "image");
        }
        ASSERT_FALSE(old->save());
    }
    EXPECT_NE(plan("owner = 'T1'").find("SCAN"), std::string::npos) << "no index yet";

    auto context = open(true);
    struct Case {
        const char* where;
        const char* index;
    };
    for (const Case& c : {Case {"slot = '1'", "Record_slot"}, Case {"owner = 'T1'", "Record_owner_kind_slot"},
             Case {"owner = 'T1' AND slot = '1' AND kind = 'image'", "Record_owner_kind_slot"},
             Case {"kind = 'image' AND owner = 'T1'", "Record_owner_kind_slot"}}) {
        std::string text = plan(c.where);
        EXPECT_EQ(text.find("SCAN"), std::string::npos) << c.where << ": " << text;
        EXPECT_NE(text.find(std::string("INDEX ") + c.index + " ("), std::string::npos)
            << c.where << ": " << text;
    }
    auto found = context->fetch({"Record", Predicate::withFormat("owner == %@ AND slot == %@", "T2", "1")});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), 1u) << "the migrated file keeps its rows";
    // Opening again finds the indexes made.
    context.reset();
    EXPECT_TRUE(open(true));
}

TEST_F(StoreScaleTest, ModelRefusesAnIndexOnAnUnknownColumn)
{
    auto model = ManagedObjectModel::create("Bad");
    auto entity = model->addEntity("Record", {{"owner", AttributeType::Text}});
    EXPECT_THROW(entity->addIndex({"owner", "ownr"}), foundation::Exception);
    EXPECT_THROW(entity->addIndex({}), foundation::Exception);
}

TEST_F(StoreScaleTest, SavesInATransactionReachTheFileTogetherAtCommit)
{
    auto context = open(true);
    ASSERT_FALSE(context->beginTransaction());
    EXPECT_TRUE(context->beginTransaction()) << "transactions do not nest";
    for (int i = 0; i < 5; ++i) {
        auto record = context->insertNewObject("Record");
        record->setValue("owner", "T" + std::to_string(i));
        ASSERT_FALSE(context->save());
    }
    EXPECT_EQ(countOnOtherConnection(), 0u) << "nothing is visible before the commit";
    EXPECT_EQ(context->fetch({"Record", std::nullopt})->size(), 5u) << "the context sees its own saves";
    ASSERT_FALSE(context->commitTransaction());
    EXPECT_EQ(countOnOtherConnection(), 5u);
    EXPECT_TRUE(context->commitTransaction()) << "no transaction is open any more";
}

TEST_F(StoreScaleTest, ARolledBackTransactionLeavesNoTraceInTheFileOrTheLiveRecords)
{
    auto context = open(true);
    auto kept = context->insertNewObject("Record");
    kept->setValue("owner", "kept");
    ASSERT_FALSE(context->save());

    ASSERT_FALSE(context->beginTransaction());
    kept->setValue("owner", "changed");
    ASSERT_FALSE(context->save());
    auto dropped = context->insertNewObject("Record");
    dropped->setValue("owner", "dropped");
    ASSERT_FALSE(context->save());
    context->rollbackTransaction();
    EXPECT_FALSE(context->isInTransaction());

    auto all = context->fetch({"Record", std::nullopt});
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 1u);
    EXPECT_EQ(all->front()->value("owner").asString(), "kept") << "read from the file, not the stale object";
    EXPECT_NE(all->front(), kept);
    // The cut-loose record writes nothing later.
    kept->setValue("owner", "late");
    EXPECT_FALSE(context->hasChanges());
    EXPECT_FALSE(context->save());
    EXPECT_EQ(countOnOtherConnection(), 1u);
}

TEST_F(StoreScaleTest, AFailedSaveInsideATransactionUndoesOnlyItself)
{
    auto context = open(true);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m_file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE UNIQUE INDEX oneSlot ON Record (slot)", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    ASSERT_FALSE(context->beginTransaction());
    auto a = context->insertNewObject("Record");
    a->setValue("owner", "a");
    a->setValue("slot", "1");
    ASSERT_FALSE(context->save());
    auto b = context->insertNewObject("Record");
    b->setValue("owner", "b");
    b->setValue("slot", "2");
    auto c = context->insertNewObject("Record");
    c->setValue("owner", "c");
    c->setValue("slot", "1"); // breaks the unique slot
    EXPECT_TRUE(context->save());
    EXPECT_TRUE(context->isInTransaction());
    context->deleteObject(c);
    ASSERT_FALSE(context->save()) << "b alone now goes in";
    ASSERT_FALSE(context->commitTransaction());
    EXPECT_EQ(countOnOtherConnection(), 2u) << "a and b, not c";
}
