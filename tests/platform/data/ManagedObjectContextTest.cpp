#include "platform/data/ManagedObjectContext.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using data::AttributeType;
using data::FetchRequest;
using data::ManagedObject;
using data::ManagedObjectContext;
using data::ManagedObjectModel;
using data::Predicate;
using foundation::Value;

namespace {

std::shared_ptr<ManagedObjectModel> makeModel(bool withExtra = false)
{
    auto model = ManagedObjectModel::create("Test");
    std::vector<data::AttributeDescription> attributes = {
        {"name", AttributeType::Text},
        {"count", AttributeType::Int64},
        {"score", AttributeType::Double},
        {"done", AttributeType::Bool},
        {"created", AttributeType::Date},
    };
    if (withExtra)
        attributes.push_back({"extra", AttributeType::Text});
    model->addEntity("Item", attributes);
    model->addEntity("Other", {{"name", AttributeType::Text}});
    return model;
}

class ContextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "mivo-data-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_file = m_dir / "store.sqlite";
        m_model = makeModel();
        std::string error;
        m_context = ManagedObjectContext::open(m_model, m_file, &error);
        ASSERT_TRUE(m_context) << error;
    }
    void TearDown() override
    {
        m_context.reset();
        std::filesystem::remove_all(m_dir);
    }

    std::shared_ptr<ManagedObjectContext> freshContext()
    {
        std::string error;
        auto context = ManagedObjectContext::open(m_model, m_file, &error);
        EXPECT_TRUE(context) << error;
        return context;
    }

    std::shared_ptr<ManagedObject> insert(const std::string& name, int64_t count = 0)
    {
        auto object = m_context->insertNewObject("Item");
        object->setValue("name", name);
        object->setValue("count", count);
        return object;
    }

    std::vector<std::string> names(ManagedObjectContext& context, std::optional<Predicate> predicate = {},
        std::vector<data::SortDescriptor> sort = {})
    {
        FetchRequest request {"Item", std::move(predicate), std::move(sort)};
        std::string error;
        auto results = context.fetch(request, &error);
        EXPECT_TRUE(results) << error;
        std::vector<std::string> out;
        for (auto& object : results.value_or(std::vector<std::shared_ptr<ManagedObject>> {}))
            out.push_back(object->value("name").asString());
        return out;
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_file;
    std::shared_ptr<ManagedObjectModel> m_model;
    std::shared_ptr<ManagedObjectContext> m_context;
};

using Names = std::vector<std::string>;

TEST_F(ContextTest, RecordFetchedTwiceIsOneLiveObject)
{
    insert("a", 1);
    ASSERT_FALSE(m_context->save());
    auto first = m_context->fetch({"Item", Predicate::withFormat("name == %@", "a")});
    auto second = m_context->fetch({"Item", std::nullopt});
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->size(), 1u);
    ASSERT_EQ(second->size(), 1u);
    EXPECT_EQ(first->front().get(), second->front().get());

    first->front()->setValue("count", 7);
    EXPECT_EQ(second->front()->value("count"), Value(7));
    EXPECT_TRUE(second->front()->hasChanges());
    ASSERT_FALSE(m_context->save());
    EXPECT_FALSE(second->front()->hasChanges());
    EXPECT_EQ(freshContext()->fetch({"Item", std::nullopt})->front()->value("count"), Value(7));
}

TEST_F(ContextTest, InsertIsStoredOnlyAtTheNextSave)
{
    auto object = insert("pending");
    EXPECT_TRUE(object->isInserted());
    EXPECT_TRUE(m_context->hasChanges());
    EXPECT_EQ(names(*freshContext()), Names {});
    // The inserting context sees its own unsaved record.
    EXPECT_EQ(names(*m_context), Names {"pending"});

    ASSERT_FALSE(m_context->save());
    EXPECT_FALSE(object->isInserted());
    EXPECT_EQ(names(*freshContext()), Names {"pending"});
    auto again = m_context->fetch({"Item", std::nullopt});
    EXPECT_EQ(again->front().get(), object.get());
}

TEST_F(ContextTest, UnsortedFetchesComeInInsertionOrder)
{
    for (auto name : {"m", "c", "x", "a"})
        insert(name);
    ASSERT_FALSE(m_context->save());
    insert("b"); // unsaved inserts follow the stored rows
    EXPECT_EQ(names(*m_context), (Names {"m", "c", "x", "a", "b"}));
    ASSERT_FALSE(m_context->save());

    auto all = m_context->fetch({"Item", std::nullopt});
    m_context->deleteObject(all->at(1));
    ASSERT_FALSE(m_context->save());
    insert("z");
    ASSERT_FALSE(m_context->save());
    EXPECT_EQ(names(*freshContext()), (Names {"m", "x", "a", "b", "z"}));
    EXPECT_EQ(names(*freshContext(), std::nullopt, {{"name", true}}), (Names {"a", "b", "m", "x", "z"}));
    EXPECT_EQ(names(*m_context, std::nullopt, {{"name", false}}), (Names {"z", "x", "m", "b", "a"}));
}

TEST_F(ContextTest, ValuesWithQuotesAndPercentSignsAreBoundNotParsed)
{
    const std::string tricky[] = {"O'Brien \"quoted\"", "100% %@ %d", "'); DROP TABLE Item; --", "a\\b"};
    for (auto& name : tricky)
        insert(name);
    insert("plain");
    ASSERT_FALSE(m_context->save());
    for (auto& name : tricky)
        EXPECT_EQ(names(*freshContext(), Predicate::withFormat("name == %@", name)), Names {name}) << name;
    // A placeholder inside quotes is plain text.
    EXPECT_EQ(names(*m_context, Predicate("name == '100% %@ %d'")), Names {"100% %@ %d"});
    EXPECT_EQ(
        names(*m_context, Predicate("name == \"O'Brien \\\"quoted\\\"\"")), Names {"O'Brien \"quoted\""});
    EXPECT_EQ(names(*freshContext()).size(), 5u);
}

TEST_F(ContextTest, PredicateOperatorsAndTypes)
{
    auto a = insert("a", 1);
    a->setValue("done", true);
    a->setValue("created", foundation::Date(1000));
    auto b = insert("b", 5);
    b->setValue("score", 2.5);
    insert("c", 10)->setValue("created", foundation::Date(3000));
    ASSERT_FALSE(m_context->save());
    auto check = [&](ManagedObjectContext& context) {
        EXPECT_EQ(names(context, Predicate::withFormat("count > %d", 1)), (Names {"b", "c"}));
        EXPECT_EQ(names(context, Predicate::withFormat("count >= %lld AND count <= %d", 5, 10)),
            (Names {"b", "c"}));
        EXPECT_EQ(
            names(context, Predicate("count == 1 or (name = 'c' AND NOT count < 5)")), (Names {"a", "c"}));
        EXPECT_EQ(names(context, Predicate("name != 'b' && !(count == 10)")), Names {"a"});
        EXPECT_EQ(names(context, Predicate("10 > count")), (Names {"a", "b"}));
        EXPECT_EQ(names(context, Predicate("done == YES")), Names {"a"});
        // Unset is nil: equal to nil, unequal to any value, never ordered.
        EXPECT_EQ(names(context, Predicate("done == nil")), (Names {"b", "c"}));
        EXPECT_EQ(names(context, Predicate("done != TRUE")), (Names {"b", "c"}));
        EXPECT_EQ(names(context, Predicate("score < 3")), Names {"b"});
        EXPECT_EQ(names(context, Predicate("NOT score < 3")), (Names {"a", "c"}));
        EXPECT_EQ(names(context, Predicate::withFormat("created > %@", foundation::Date(2000))), Names {"c"});
        // Arguments are converted to the attribute's type.
        EXPECT_EQ(names(context, Predicate::withFormat("count == %@", "5")), Names {"b"});
        EXPECT_EQ(names(context, Predicate("TRUEPREDICATE")).size(), 3u);
    };
    check(*m_context);
    // Unsaved changes are matched in memory with the same rules.
    auto all = m_context->fetch({"Item", std::nullopt});
    all->at(0)->setValue("score", 1.0);
    all->at(0)->setValue("score", Value());
    check(*m_context);
}

TEST_F(ContextTest, UnsavedChangesDecideWhatAFetchMatches)
{
    insert("a", 1);
    insert("b", 2);
    ASSERT_FALSE(m_context->save());
    auto all = m_context->fetch({"Item", std::nullopt});
    all->at(0)->setValue("count", 2);
    all->at(1)->setValue("count", 3);
    EXPECT_EQ(names(*m_context, Predicate("count == 2")), Names {"a"});
    EXPECT_EQ(names(*freshContext(), Predicate("count == 2")), Names {"b"});
    m_context->deleteObject(all->at(0));
    EXPECT_EQ(names(*m_context), Names {"b"});
    ASSERT_FALSE(m_context->save());
    EXPECT_TRUE(all->at(0)->isDeleted());
    EXPECT_EQ(names(*freshContext()), Names {"b"});
}

TEST_F(ContextTest, ACancelledDeletionKeepsTheRecordAndItsChanges)
{
    insert("a", 1);
    insert("b", 2);
    ASSERT_FALSE(m_context->save());
    auto all = m_context->fetch({"Item", std::nullopt});
    all->at(0)->setValue("count", 5);
    m_context->deleteObject(all->at(0));
    m_context->deleteObject(all->at(1));
    EXPECT_TRUE(m_context->cancelDeletion(all->at(0)));
    EXPECT_FALSE(m_context->cancelDeletion(all->at(0))) << "no longer waiting to be deleted";
    EXPECT_FALSE(all->at(0)->isDeleted());
    EXPECT_EQ(names(*m_context), Names {"a"});
    ASSERT_FALSE(m_context->save());
    EXPECT_EQ(names(*freshContext(), Predicate("count == 5")), Names {"a"}) << "its change is written";
    EXPECT_EQ(names(*freshContext()), Names {"a"});

    auto dropped = insert("c");
    m_context->deleteObject(dropped);
    EXPECT_FALSE(m_context->cancelDeletion(dropped)) << "an insert never saved is gone";
    EXPECT_FALSE(m_context->hasChanges());
}

TEST_F(ContextTest, BadPredicatesAreRefusedWithAClearError)
{
    insert("a");
    ASSERT_FALSE(m_context->save());
    auto error = [&](std::string entity, std::optional<Predicate> predicate,
                     std::vector<data::SortDescriptor> sort = {}) {
        std::string message;
        auto results = m_context->fetch({std::move(entity), std::move(predicate), std::move(sort)}, &message);
        EXPECT_FALSE(results);
        return message;
    };
    EXPECT_NE(error("Item", Predicate::withFormat("bogus == %@", "x")).find("unknown attribute 'bogus'"),
        std::string::npos);
    EXPECT_NE(error("Item", Predicate("name == 'open")).find("unterminated"), std::string::npos);
    EXPECT_NE(error("Item", Predicate::withFormat("name == %@ AND count == %d", "a")).find("2 placeholders"),
        std::string::npos);
    EXPECT_NE(error("Item", Predicate("name = %s")).find("placeholder"), std::string::npos);
    EXPECT_FALSE(error("Item", Predicate("name")).empty());
    EXPECT_FALSE(error("Item", Predicate("name == count")).empty());
    EXPECT_FALSE(error("Item", Predicate("'a' == 'a'")).empty());
    EXPECT_FALSE(error("Item", Predicate("(name == 'a'")).empty());
    EXPECT_FALSE(error("Item", Predicate("name == 'a' extra")).empty());
    EXPECT_FALSE(error("Item", Predicate("")).empty());
    EXPECT_NE(
        error("Item", Predicate::withFormat("count == %@", "many")).find("does not fit"), std::string::npos);
    EXPECT_NE(error("Item", std::nullopt, {{"nope", true}}).find("nope"), std::string::npos);
    EXPECT_NE(error("Missing", std::nullopt).find("Missing"), std::string::npos);
    // The table is untouched by all of that.
    EXPECT_EQ(names(*freshContext()), Names {"a"});
}

TEST_F(ContextTest, VisitTextsReadsTheStoredRowsOnly)
{
    insert("a.jpg");
    insert("b.jpg");
    insert("a.jpg");
    insert("");
    m_context->insertNewObject("Item");
    ASSERT_FALSE(m_context->save());
    insert("unsaved.jpg");
    std::string error;
    std::vector<std::string> texts;
    auto collect = [&](std::string_view text) { texts.emplace_back(text); };
    ASSERT_TRUE(m_context->visitTexts("Item", {"name"}, collect, &error)) << error;
    EXPECT_EQ(texts, (std::vector<std::string> {"a.jpg", "b.jpg", "a.jpg"}));

    EXPECT_FALSE(m_context->visitTexts("Item", {"name", "count"}, collect, &error));
    EXPECT_NE(error.find("count"), std::string::npos);
    EXPECT_FALSE(m_context->visitTexts("Item", {"name\" OR 1=1 --"}, collect, &error));
    EXPECT_FALSE(m_context->visitTexts("Nothing", {"name"}, collect, &error));
    EXPECT_EQ(texts.size(), 3u);
}

TEST_F(ContextTest, ValuesAreTypedOnSet)
{
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    auto object = insert("a");
    EXPECT_TRUE(object->setValue("count", "42"));
    EXPECT_EQ(object->value("count"), Value(42));
    EXPECT_TRUE(object->setValue("name", 7));
    EXPECT_EQ(object->value("name"), Value("7"));
    EXPECT_TRUE(object->setValue("created", "2024-05-06 07:08:09"));
    EXPECT_EQ(object->value("created").asDate().formatLocal("yyyy-MM-dd HH:mm:ss"), "2024-05-06 07:08:09");
    EXPECT_FALSE(object->setValue("count", "lots"));
    EXPECT_EQ(object->value("count"), Value(42));
    EXPECT_FALSE(object->setValue("nonsense", 1));
    EXPECT_TRUE(capture.contains("no attribute 'nonsense'"));
    EXPECT_TRUE(object->value("nonsense").isNull());
    ASSERT_FALSE(m_context->save());
    auto stored = freshContext()->fetch({"Item", std::nullopt})->front();
    EXPECT_EQ(stored->dictionary(), object->dictionary());
}

TEST_F(ContextTest, FailedSaveWritesNothingAndKeepsTheChanges)
{
    auto stored = insert("stored", 1);
    ASSERT_FALSE(m_context->save());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(m_file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other,
            "CREATE TRIGGER refuse BEFORE UPDATE ON Item BEGIN SELECT RAISE(ABORT, 'disk on fire'); END",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    insert("new");
    stored->setValue("count", 2);
    auto error = m_context->save();
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("disk on fire"), std::string::npos);
    EXPECT_EQ(names(*freshContext()), Names {"stored"});
    EXPECT_TRUE(m_context->hasChanges());
    EXPECT_TRUE(stored->hasChanges());

    ASSERT_EQ(sqlite3_exec(other, "DROP TRIGGER refuse", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    EXPECT_FALSE(m_context->save());
    EXPECT_EQ(names(*freshContext()), (Names {"stored", "new"}));
    EXPECT_EQ(freshContext()->fetch({"Item", Predicate("count == 2")})->size(), 1u);
}

TEST_F(ContextTest, GarbageFileIsNotAStore)
{
    auto garbage = m_dir / "garbage.sqlite";
    std::ofstream(garbage) << std::string(4096, '\x5a') << "definitely not SQLite";
    std::string error;
    EXPECT_FALSE(ManagedObjectContext::open(m_model, garbage, &error));
    EXPECT_NE(error.find("garbage.sqlite"), std::string::npos);
}

TEST_F(ContextTest, AStoreOrCompanionThatIsNoRegularFileIsRefusedWithoutWaiting)
{
    // SQLite would read a FIFO in the store's place, or as its journal, for good.
    mivo::test::TimeLimit limit(30);
    namespace fs = std::filesystem;
    const struct {
        const char* suffix;
        const char* kind;
    } cases[] = {{"", "FIFO"}, {"", "folder"}, {"", "link"}, {"-wal", "FIFO"}, {"-journal", "FIFO"},
        {"-shm", "folder"}};
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " at " + c.suffix);
        fs::path store = m_dir / ("odd" + std::to_string(round++) + ".sqlite");
        fs::path item = store;
        item += c.suffix;
        if (c.kind == std::string("FIFO"))
            ASSERT_EQ(::mkfifo(item.c_str(), 0600), 0);
        else if (c.kind == std::string("folder"))
            fs::create_directory(item);
        else
            fs::create_symlink(m_file, item);
        std::string error;
        EXPECT_FALSE(ManagedObjectContext::open(m_model, store, &error));
        EXPECT_EQ(error,
            "cannot open store " + store.string() + ": " + item.filename().string() + ": it is a "
                + (c.kind == std::string("link") ? "symbolic link" : c.kind));
    }
    EXPECT_TRUE(freshContext()) << "a store of regular files opens";
}

TEST_F(ContextTest, NewAttributesAreAddedToAnExistingStore)
{
    insert("old", 3);
    ASSERT_FALSE(m_context->save());
    m_context.reset();
    std::string error;
    auto context = ManagedObjectContext::open(makeModel(true), m_file, &error);
    ASSERT_TRUE(context) << error;
    auto old = context->fetch({"Item", std::nullopt})->front();
    EXPECT_EQ(old->value("count"), Value(3));
    EXPECT_TRUE(old->value("extra").isNull());
    old->setValue("extra", "x");
    EXPECT_FALSE(context->save());
    EXPECT_EQ(context->fetch({"Item", Predicate("extra == 'x'")})->size(), 1u);
}

TEST_F(ContextTest, ModelRefusesBadNames)
{
    auto model = ManagedObjectModel::create("Bad");
    EXPECT_THROW(model->addEntity("Drop Table", {}), foundation::Exception);
    EXPECT_THROW(model->addEntity("T", {{"a\"b", AttributeType::Text}}), foundation::Exception);
    EXPECT_THROW(model->addEntity("U", {{"x", AttributeType::Text}, {"x", AttributeType::Int64}}),
        foundation::Exception);
}

} // namespace
