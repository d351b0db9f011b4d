#include "platform/data/ManagedObjectContext.h"

#include "platform/data/CompiledPredicate.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RegularFile.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace data {

using foundation::Value;

namespace {

constexpr const char* kPrimaryKey = "Z_PK";
constexpr size_t kPredicateCacheLimit = 128;
constexpr size_t kSweepInterval = 256;

std::string quoted(const std::string& identifier)
{
    // Identifiers come from a checked model (letters, digits, underscores), never from values.
    return "\"" + identifier + "\"";
}

const char* columnType(AttributeType type)
{
    switch (type) {
    case AttributeType::Text:
        return "TEXT";
    case AttributeType::Int64:
    case AttributeType::Bool:
        return "INTEGER";
    case AttributeType::Double:
    case AttributeType::Date:
        return "REAL";
    }
    return "";
}

int bindValue(sqlite3_stmt* statement, int index, const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null:
        return sqlite3_bind_null(statement, index);
    case Value::Type::Bool:
        return sqlite3_bind_int64(statement, index, value.asBool() ? 1 : 0);
    case Value::Type::Int:
        return sqlite3_bind_int64(statement, index, value.asInt());
    case Value::Type::Double:
        return sqlite3_bind_double(statement, index, value.asDouble());
    case Value::Type::Date:
        return sqlite3_bind_double(statement, index, value.asDate().secondsSince1970());
    case Value::Type::String: {
        const std::string& text = value.asString();
        return sqlite3_bind_text(
            statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    default:
        return sqlite3_bind_null(statement, index);
    }
}

Value columnValue(sqlite3_stmt* statement, int column, AttributeType type)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return Value();
    switch (type) {
    case AttributeType::Text: {
        auto text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        int bytes = sqlite3_column_bytes(statement, column);
        return Value(std::string(text ? text : "", static_cast<size_t>(bytes)));
    }
    case AttributeType::Int64:
        return Value(static_cast<int64_t>(sqlite3_column_int64(statement, column)));
    case AttributeType::Double:
        return Value(sqlite3_column_double(statement, column));
    case AttributeType::Bool:
        return Value(sqlite3_column_int64(statement, column) != 0);
    case AttributeType::Date:
        return Value(foundation::Date(sqlite3_column_double(statement, column)));
    }
    return Value();
}

// Resets a cached statement when the scope ends, so it can be reused.
class StatementScope {
public:
    explicit StatementScope(sqlite3_stmt* statement)
        : m_statement(statement)
    { }
    ~StatementScope()
    {
        if (m_statement) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }
    StatementScope(const StatementScope&) = delete;
    StatementScope& operator=(const StatementScope&) = delete;

private:
    sqlite3_stmt* m_statement;
};

} // namespace

struct ManagedObjectContext::EntityState {
    std::shared_ptr<const EntityDescription> entity;
    std::string selectPrefix;
    std::string insertSql;
    std::string deleteSql;
    sqlite3_stmt* insertStatement {nullptr}; // owned by the statement cache
    std::unordered_map<int64_t, std::weak_ptr<ManagedObject>> registered;
    std::unordered_map<std::string, std::shared_ptr<const CompiledPredicate>> predicates;
    // UPDATE statements by the set of changed columns.
    std::unordered_map<uint64_t, std::string> updateSql;
    // SELECT statements (owned by the statement cache) by the shape of the fetch.
    std::unordered_map<std::string, sqlite3_stmt*> fetchStatements;
    size_t registrationsSinceSweep {0};
};

std::shared_ptr<ManagedObjectContext> ManagedObjectContext::open(
    std::shared_ptr<const ManagedObjectModel> model, const std::filesystem::path& file, std::string* error)
{
    std::shared_ptr<ManagedObjectContext> context(new ManagedObjectContext(std::move(model), file));
    std::string message;
    if (!context->openStore(message)) {
        if (error)
            *error = "cannot open store " + file.string() + ": " + message;
        return nullptr;
    }
    return context;
}

ManagedObjectContext::ManagedObjectContext(
    std::shared_ptr<const ManagedObjectModel> model, std::filesystem::path path)
    : m_model(std::move(model))
    , m_path(std::move(path))
{
    for (auto& entity : m_model->entities()) {
        auto state = std::make_unique<EntityState>();
        state->entity = entity;
        std::string columns = quoted(kPrimaryKey);
        std::string insertColumns;
        std::string insertParameters;
        for (auto& attribute : entity->attributes()) {
            columns += ", " + quoted(attribute.name);
            if (!insertColumns.empty()) {
                insertColumns += ", ";
                insertParameters += ", ";
            }
            insertColumns += quoted(attribute.name);
            insertParameters += "?";
        }
        state->selectPrefix = "SELECT " + columns + " FROM " + quoted(entity->name());
        if (entity->attributes().empty())
            state->insertSql = "INSERT INTO " + quoted(entity->name()) + " DEFAULT VALUES";
        else
            state->insertSql = "INSERT INTO " + quoted(entity->name()) + " (" + insertColumns + ") VALUES ("
                + insertParameters + ")";
        state->deleteSql = "DELETE FROM " + quoted(entity->name()) + " WHERE " + quoted(kPrimaryKey) + " = ?";
        m_entities.push_back(std::move(state));
    }
}

ManagedObjectContext::~ManagedObjectContext()
{
    rollbackTransaction();
    for (auto& [sql, statement] : m_statements)
        sqlite3_finalize(statement);
    if (m_db)
        sqlite3_close_v2(m_db);
}

std::string ManagedObjectContext::lastError() const
{
    return m_db ? sqlite3_errmsg(m_db) : "no database";
}

bool ManagedObjectContext::execute(const char* sql, std::string& error)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : lastError();
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool ManagedObjectContext::openStore(std::string& error)
{
    if (m_path.has_parent_path())
        foundation::createDirectories(m_path.parent_path());
    // SQLite opens its files blocking and reads whatever they are: a FIFO would hold the thread for
    // good. The store and its companions must be regular files, or not be there yet.
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        std::filesystem::path file = m_path;
        file += suffix;
        if (auto why = foundation::whyNotRegularFile(file)) {
            error = file.filename().string() + ": " + *why;
            return false;
        }
    }
    if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        error = lastError();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 2000);
    // Reading the journal mode is the first access to the file: a file that is not a database
    // fails here.
    if (!execute("PRAGMA journal_mode=WAL", error) || !execute("PRAGMA synchronous=FULL", error))
        return false;
    for (auto& entity : m_model->entities()) {
        if (!ensureTable(*entity, error) || !ensureIndexes(*entity, error))
            return false;
    }
    return true;
}

bool ManagedObjectContext::ensureIndexes(const EntityDescription& entity, std::string& error)
{
    for (auto& columns : entity.indexes()) {
        std::string name = entity.name();
        std::string list;
        for (const std::string& column : columns) {
            name += "_" + column;
            list += (list.empty() ? "" : ", ") + quoted(column);
        }
        const std::string indexName = name;
        std::string sql = "CREATE INDEX IF NOT EXISTS " + quoted(indexName) + " ON " + quoted(entity.name())
            + " (" + list + ")";
        if (!execute(sql.c_str(), error))
            return false;
    }
    return true;
}

bool ManagedObjectContext::ensureTable(const EntityDescription& entity, std::string& error)
{
    std::set<std::string> existing;
    {
        std::string sql = "PRAGMA table_info(" + quoted(entity.name()) + ")";
        sqlite3_stmt* info = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &info, nullptr) != SQLITE_OK) {
            error = lastError();
            return false;
        }
        int rc;
        while ((rc = sqlite3_step(info)) == SQLITE_ROW)
            existing.insert(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
        sqlite3_finalize(info);
        if (rc != SQLITE_DONE) {
            error = lastError();
            return false;
        }
    }
    if (existing.empty()) {
        std::string sql = "CREATE TABLE " + quoted(entity.name()) + " (" + quoted(kPrimaryKey)
            + " INTEGER PRIMARY KEY AUTOINCREMENT";
        for (auto& attribute : entity.attributes())
            sql += ", " + quoted(attribute.name) + " " + columnType(attribute.type);
        sql += ")";
        return execute(sql.c_str(), error);
    }
    for (auto& attribute : entity.attributes()) {
        if (existing.count(attribute.name))
            continue;
        std::string sql = "ALTER TABLE " + quoted(entity.name()) + " ADD COLUMN " + quoted(attribute.name)
            + " " + columnType(attribute.type);
        if (!execute(sql.c_str(), error))
            return false;
    }
    return true;
}

sqlite3_stmt* ManagedObjectContext::statement(const std::string& sql, std::string& error)
{
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return it->second;
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr)
        != SQLITE_OK) {
        error = lastError();
        return nullptr;
    }
    m_statements.emplace(sql, prepared);
    return prepared;
}

std::shared_ptr<const CompiledPredicate> ManagedObjectContext::compiledPredicate(
    const EntityDescription& entity, const std::string& format, std::string& error)
{
    auto& cache = m_entities[entity.index()]->predicates;
    auto it = cache.find(format);
    if (it != cache.end())
        return it->second;
    auto compiled = CompiledPredicate::compile(format, entity, &error);
    if (!compiled)
        return nullptr;
    if (cache.size() >= kPredicateCacheLimit)
        cache.clear();
    cache.emplace(format, compiled);
    return compiled;
}

std::shared_ptr<ManagedObject> ManagedObjectContext::makeObject(
    const std::shared_ptr<const EntityDescription>& entity)
{
    std::shared_ptr<ManagedObject> object;
    if (entity->objectFactory())
        object = entity->objectFactory()(entity);
    if (!object)
        object = std::make_shared<ManagedObject>(entity);
    object->m_context = weak_from_this();
    return object;
}

void ManagedObjectContext::registerObject(const std::shared_ptr<ManagedObject>& object)
{
    auto& state = *m_entities[object->entity().index()];
    state.registered[object->m_rowId] = object;
    if (++state.registrationsSinceSweep >= kSweepInterval) {
        state.registrationsSinceSweep = 0;
        std::erase_if(state.registered, [](const auto& entry) { return entry.second.expired(); });
    }
}

std::shared_ptr<ManagedObject> ManagedObjectContext::insertNewObject(const std::string& entityName)
{
    auto entity = m_model->entity(entityName);
    if (!entity) {
        foundation::logf("ManagedObjectContext: no entity named '%s' in model %s", entityName.c_str(),
            m_model->name().c_str());
        return nullptr;
    }
    auto object = makeObject(entity);
    object->m_inserted = true;
    object->m_insertSequence = m_nextInsertSequence++;
    m_inserted.push_back(object);
    return object;
}

void ManagedObjectContext::objectDidChange(const std::shared_ptr<ManagedObject>& object)
{
    if (object->m_rowId != 0 && !object->m_inserted && !object->m_deleted)
        m_updated.emplace(object.get(), object);
}

void ManagedObjectContext::deleteObject(const std::shared_ptr<ManagedObject>& object)
{
    if (!object || object->m_deleted || object->m_context.lock().get() != this)
        return;
    object->m_deleted = true;
    if (object->m_inserted) {
        object->m_inserted = false;
        std::erase(m_inserted, object);
        object->m_context.reset();
        return;
    }
    m_updated.erase(object.get());
    m_deleted.push_back(object);
}

bool ManagedObjectContext::cancelDeletion(const std::shared_ptr<ManagedObject>& object)
{
    auto pending = std::find(m_deleted.begin(), m_deleted.end(), object);
    if (!object || pending == m_deleted.end())
        return false;
    m_deleted.erase(pending);
    object->m_deleted = false;
    if (object->m_changedMask != 0)
        m_updated.emplace(object.get(), object);
    return true;
}

bool ManagedObjectContext::hasChanges() const
{
    return !m_inserted.empty() || !m_updated.empty() || !m_deleted.empty();
}

bool ManagedObjectContext::visitTexts(const std::string& entityName,
    const std::vector<std::string>& attributes, const std::function<void(std::string_view)>& visit,
    std::string* error)
{
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        return false;
    };
    auto entity = m_model->entity(entityName);
    if (!entity)
        return fail("no entity named '" + entityName + "' in model " + m_model->name());
    std::string columns;
    for (const auto& name : attributes) {
        auto index = entity->indexOfAttribute(name);
        if (!index || entity->attributes()[*index].type != AttributeType::Text)
            return fail("'" + name + "' is no text attribute of entity " + entity->name());
        columns += (columns.empty() ? "" : ", ") + quoted(name);
    }
    if (columns.empty())
        return true;
    // One pass over the table, however many columns: the rows are read once.
    std::string sql = "SELECT " + columns + " FROM " + quoted(entity->name());
    sqlite3_stmt* select = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &select, nullptr) != SQLITE_OK)
        return fail(lastError());
    const int count = int(attributes.size());
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        for (int column = 0; column < count; ++column) {
            auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, column));
            int size = sqlite3_column_bytes(select, column);
            if (text && size > 0)
                visit(std::string_view(text, size_t(size)));
        }
    }
    sqlite3_finalize(select);
    if (rc != SQLITE_DONE)
        return fail(lastError());
    return true;
}

std::optional<std::vector<std::shared_ptr<ManagedObject>>> ManagedObjectContext::fetch(
    const FetchRequest& request, std::string* error)
{
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    auto entity = m_model->entity(request.entityName);
    if (!entity)
        return fail("no entity named '" + request.entityName + "' in model " + m_model->name());
    auto& state = *m_entities[entity->index()];

    std::string message;
    std::shared_ptr<const CompiledPredicate> predicate;
    std::vector<Value> bound;
    if (request.predicate) {
        predicate = compiledPredicate(*entity, request.predicate->format(), message);
        if (!predicate)
            return fail(message);
        auto values = predicate->bind(request.predicate->arguments(), &message);
        if (!values)
            return fail("predicate \"" + request.predicate->format() + "\": " + message);
        bound = std::move(*values);
    }
    std::vector<size_t> sortColumns;
    for (auto& descriptor : request.sortDescriptors) {
        auto index = entity->indexOfAttribute(descriptor.key);
        if (!index)
            return fail(
                "cannot sort by unknown attribute '" + descriptor.key + "' of entity " + entity->name());
        sortColumns.push_back(*index);
    }

    bool hasPending = !m_inserted.empty() || !m_updated.empty() || !m_deleted.empty();
    // The statement is found by what shapes it (the predicate's text, the sort, the limit): a
    // merge fetches thousands of times with one shape, and the full SQL is long to build and hash.
    std::string shape = request.predicate ? request.predicate->format() : std::string();
    shape += '\x1f';
    for (size_t i = 0; i < sortColumns.size(); ++i)
        shape += std::to_string(sortColumns[i]) + (request.sortDescriptors[i].ascending ? "+" : "-");
    if (request.fetchLimit > 0 && !hasPending)
        shape += "#" + std::to_string(request.fetchLimit);
    auto cached = state.fetchStatements.find(shape);
    sqlite3_stmt* select = cached != state.fetchStatements.end() ? cached->second : nullptr;
    if (!select) {
        std::string sql = state.selectPrefix;
        if (predicate)
            sql += " WHERE " + predicate->sql();
        sql += " ORDER BY ";
        for (size_t i = 0; i < sortColumns.size(); ++i)
            sql += quoted(entity->attributes()[sortColumns[i]].name)
                + (request.sortDescriptors[i].ascending ? " ASC, " : " DESC, ");
        sql += quoted(kPrimaryKey);
        if (request.fetchLimit > 0 && !hasPending)
            sql += foundation::format(" LIMIT %zu", request.fetchLimit);
        select = statement(sql, message);
        if (!select)
            return fail(message);
        if (state.fetchStatements.size() >= kPredicateCacheLimit)
            state.fetchStatements.clear();
        state.fetchStatements.emplace(std::move(shape), select);
    }
    StatementScope scope(select);
    for (size_t i = 0; i < bound.size(); ++i)
        bindValue(select, static_cast<int>(i + 1), bound[i]);

    std::vector<std::shared_ptr<ManagedObject>> results;
    const auto& attributes = entity->attributes();
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        int64_t rowId = sqlite3_column_int64(select, 0);
        auto& slot = state.registered[rowId];
        if (auto live = slot.lock()) {
            // Records with unsaved changes are matched against their current values below.
            if (live->m_changedMask == 0 && !live->m_deleted)
                results.push_back(std::move(live));
            continue;
        }
        auto object = makeObject(entity);
        object->m_rowId = rowId;
        for (size_t i = 0; i < attributes.size(); ++i)
            object->m_values[i] = columnValue(select, static_cast<int>(i + 1), attributes[i].type);
        slot = object;
        if (++state.registrationsSinceSweep >= kSweepInterval) {
            state.registrationsSinceSweep = 0;
            std::erase_if(state.registered, [](const auto& entry) { return entry.second.expired(); });
        }
        results.push_back(std::move(object));
    }
    if (rc != SQLITE_DONE)
        return fail("fetch from " + entity->name() + " failed: " + lastError());
    if (!hasPending)
        return results;

    auto matches = [&](const ManagedObject& object) {
        return &object.entity() == entity.get()
            && (!predicate || predicate->evaluate(bound, object.m_values));
    };
    bool merged = false;
    for (auto& [raw, object] : m_updated) {
        if (matches(*object)) {
            results.push_back(object);
            merged = true;
        }
    }
    for (auto& object : m_inserted) {
        if (matches(*object)) {
            results.push_back(object);
            merged = true;
        }
    }
    if (merged) {
        std::stable_sort(results.begin(), results.end(), [&](const auto& a, const auto& b) {
            for (size_t i = 0; i < sortColumns.size(); ++i) {
                const Value& x = a->m_values[sortColumns[i]];
                const Value& y = b->m_values[sortColumns[i]];
                int order;
                if (x.isNull() || y.isNull())
                    order = x.isNull() == y.isNull() ? 0 : (x.isNull() ? -1 : 1);
                else
                    order = CompiledPredicate::compareValues(x, y).value_or(0);
                if (!request.sortDescriptors[i].ascending)
                    order = -order;
                if (order != 0)
                    return order < 0;
            }
            // Store order: saved rows by key, then unsaved inserts in insertion order.
            if (a->m_inserted != b->m_inserted)
                return !a->m_inserted;
            if (a->m_inserted)
                return a->m_insertSequence < b->m_insertSequence;
            return a->m_rowId < b->m_rowId;
        });
    }
    if (request.fetchLimit > 0 && results.size() > request.fetchLimit)
        results.resize(request.fetchLimit);
    return results;
}

bool ManagedObjectContext::writeInsert(ManagedObject& object, std::string& error)
{
    auto& state = *m_entities[object.entity().index()];
    if (!state.insertStatement)
        state.insertStatement = statement(state.insertSql, error);
    sqlite3_stmt* insert = state.insertStatement;
    if (!insert)
        return false;
    StatementScope scope(insert);
    for (size_t i = 0; i < object.m_values.size(); ++i)
        bindValue(insert, static_cast<int>(i + 1), object.m_values[i]);
    if (sqlite3_step(insert) != SQLITE_DONE) {
        error = lastError();
        return false;
    }
    object.m_rowId = sqlite3_last_insert_rowid(m_db);
    return true;
}

bool ManagedObjectContext::writeUpdate(ManagedObject& object, std::string& error)
{
    const auto& attributes = object.entity().attributes();
    auto& state = *m_entities[object.entity().index()];
    auto& sql = state.updateSql[object.m_changedMask];
    if (sql.empty()) {
        sql = "UPDATE " + quoted(object.entityName()) + " SET ";
        bool first = true;
        for (size_t i = 0; i < attributes.size(); ++i) {
            if (!(object.m_changedMask & (uint64_t(1) << i)))
                continue;
            if (!first)
                sql += ", ";
            first = false;
            sql += quoted(attributes[i].name) + " = ?";
        }
        sql += " WHERE " + quoted(kPrimaryKey) + " = ?";
    }
    sqlite3_stmt* update = statement(sql, error);
    if (!update)
        return false;
    StatementScope scope(update);
    int parameter = 1;
    for (size_t i = 0; i < attributes.size(); ++i) {
        if (object.m_changedMask & (uint64_t(1) << i))
            bindValue(update, parameter++, object.m_values[i]);
    }
    sqlite3_bind_int64(update, parameter, object.m_rowId);
    if (sqlite3_step(update) != SQLITE_DONE) {
        error = lastError();
        return false;
    }
    return true;
}

bool ManagedObjectContext::writeDelete(ManagedObject& object, std::string& error)
{
    sqlite3_stmt* remove = statement(m_entities[object.entity().index()]->deleteSql, error);
    if (!remove)
        return false;
    StatementScope scope(remove);
    sqlite3_bind_int64(remove, 1, object.m_rowId);
    if (sqlite3_step(remove) != SQLITE_DONE) {
        error = lastError();
        return false;
    }
    return true;
}

std::optional<std::string> ManagedObjectContext::beginTransaction()
{
    if (m_inTransaction)
        return "a transaction is already open";
    std::string error;
    if (!execute("BEGIN IMMEDIATE", error))
        return "cannot begin a transaction: " + error;
    m_inTransaction = true;
    return std::nullopt;
}

std::optional<std::string> ManagedObjectContext::commitTransaction()
{
    if (!m_inTransaction)
        return "no transaction is open";
    std::string error;
    if (!execute("COMMIT", error)) {
        rollbackTransaction();
        return "commit failed: " + error;
    }
    m_inTransaction = false;
    m_writtenInTransaction.clear();
    return std::nullopt;
}

void ManagedObjectContext::rollbackTransaction()
{
    if (!m_inTransaction)
        return;
    std::string ignored;
    execute("ROLLBACK", ignored);
    m_inTransaction = false;
    forgetWrittenObjects();
}

void ManagedObjectContext::forgetWrittenObjects()
{
    // Records saved inside the dropped transaction hold values and keys the file no longer has:
    // cut them loose so later fetches read the file, and later changes to them write nothing.
    // Records the transaction did not write stay as they are.
    for (auto& weak : m_writtenInTransaction) {
        auto object = weak.lock();
        if (!object || object->m_context.lock().get() != this)
            continue;
        auto& registered = m_entities[object->entity().index()]->registered;
        if (auto it = registered.find(object->m_rowId); it != registered.end() && it->second.lock() == object)
            registered.erase(it);
        m_updated.erase(object.get());
        object->m_context.reset();
        object->m_changedMask = 0;
    }
    m_writtenInTransaction.clear();
}

std::optional<std::string> ManagedObjectContext::save()
{
    if (!hasChanges())
        return std::nullopt;
    std::string error;
    // One statement is atomic on its own; more go in one transaction, or in a savepoint of the
    // open one, so that a failed save leaves the rest of that transaction as it was.
    bool transaction = m_inserted.size() + m_updated.size() + m_deleted.size() > 1;
    const char* begin = m_inTransaction ? "SAVEPOINT save" : "BEGIN IMMEDIATE";
    const char* commit = m_inTransaction ? "RELEASE save" : "COMMIT";
    const char* rollback = m_inTransaction ? "ROLLBACK TO save; RELEASE save" : "ROLLBACK";
    if (transaction && !execute(begin, error))
        return "save failed: " + error;
    bool ok = true;
    size_t insertedCount = 0;
    for (auto& object : m_inserted) {
        if (!(ok = writeInsert(*object, error)))
            break;
        ++insertedCount;
    }
    if (ok) {
        for (auto& [raw, object] : m_updated) {
            if (!(ok = writeUpdate(*object, error)))
                break;
        }
    }
    if (ok) {
        for (auto& object : m_deleted) {
            if (!(ok = writeDelete(*object, error)))
                break;
        }
    }
    if (ok && transaction)
        ok = execute(commit, error);
    if (!ok) {
        std::string ignored;
        if (transaction)
            execute(rollback, ignored);
        for (size_t i = 0; i < insertedCount; ++i)
            m_inserted[i]->m_rowId = 0;
        return "save failed: " + error;
    }

    for (auto& object : m_inserted) {
        object->m_inserted = false;
        object->m_changedMask = 0;
        registerObject(object);
        if (m_inTransaction)
            m_writtenInTransaction.push_back(object);
    }
    for (auto& [raw, object] : m_updated) {
        object->m_changedMask = 0;
        if (m_inTransaction)
            m_writtenInTransaction.push_back(object);
    }
    for (auto& object : m_deleted) {
        m_entities[object->entity().index()]->registered.erase(object->m_rowId);
        object->m_rowId = 0;
        object->m_changedMask = 0;
        object->m_context.reset();
    }
    m_inserted.clear();
    m_updated.clear();
    m_deleted.clear();
    return std::nullopt;
}

} // namespace data
