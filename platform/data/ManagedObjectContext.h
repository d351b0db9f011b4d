#pragma once

#include "platform/data/ManagedObject.h"
#include "platform/data/ManagedObjectModel.h"
#include "platform/data/Predicate.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace data {

class CompiledPredicate;

// A working set of records on one SQLite store file (one table per entity, rows in insertion
// order). Keeps one live object per stored row while anyone holds it, and keeps inserted, changed
// and deleted records until save() writes them in one transaction. Fetches see those unsaved
// changes too. Not thread-safe: the app uses its store from the main thread only.
class ManagedObjectContext final : public std::enable_shared_from_this<ManagedObjectContext> {
public:
    // Opens (creating when missing) the store file and its tables, adding columns the model has
    // gained. nullptr and an error text when the file is not a usable SQLite store.
    static std::shared_ptr<ManagedObjectContext> open(std::shared_ptr<const ManagedObjectModel> model,
        const std::filesystem::path& file, std::string* error = nullptr);
    ~ManagedObjectContext();
    ManagedObjectContext(const ManagedObjectContext&) = delete;
    ManagedObjectContext& operator=(const ManagedObjectContext&) = delete;

    const ManagedObjectModel& model() const { return *m_model; }
    const std::filesystem::path& storePath() const { return m_path; }

    // A new empty record, stored at the next save. nullptr (and a log line) for an unknown entity.
    std::shared_ptr<ManagedObject> insertNewObject(const std::string& entityName);
    // Matching records, sorted or in store order (unsaved inserts last, in insertion order).
    // nullopt and an error text for an unknown entity, a bad predicate or a store failure.
    std::optional<std::vector<std::shared_ptr<ManagedObject>>> fetch(
        const FetchRequest& request, std::string* error = nullptr);
    // Calls `visit` with each non-empty text that the named text attributes hold in the stored
    // rows of the entity (as often as it is stored), in one query and without making records: for
    // sweeping through many rows cheaply. Reads the file only, so unsaved changes are not seen.
    // False and an error text for an unknown entity or attribute, an attribute that is not text,
    // or a store failure.
    bool visitTexts(const std::string& entityName, const std::vector<std::string>& attributes,
        const std::function<void(std::string_view)>& visit, std::string* error = nullptr);
    // Marks the record for deletion at the next save (an unsaved insert is simply dropped).
    void deleteObject(const std::shared_ptr<ManagedObject>& object);
    // Takes back a deletion that no save has written yet (after a failed save, say), so that the
    // next save keeps the record; its unsaved changes stay pending. False when the record is not
    // waiting to be deleted here (a dropped insert cannot come back).
    bool cancelDeletion(const std::shared_ptr<ManagedObject>& object);

    bool hasChanges() const;
    // Writes every pending change in one transaction. nullopt on success, else the error text; on
    // failure nothing is written and the changes stay pending. Inside an open transaction (below)
    // the changes become part of it.
    std::optional<std::string> save();

    // Groups many saves into one transaction, which spares a disk flush per save: a bulk merge
    // runs in one. commitTransaction() writes them all; rollbackTransaction() (or a failed commit)
    // drops them and cuts loose the live records they wrote, whose values the file no longer has.
    // nullopt on success, else the error text. Transactions do not nest.
    std::optional<std::string> beginTransaction();
    std::optional<std::string> commitTransaction();
    void rollbackTransaction();
    bool isInTransaction() const { return m_inTransaction; }

private:
    friend class ManagedObject;
    struct EntityState;

    ManagedObjectContext(std::shared_ptr<const ManagedObjectModel> model, std::filesystem::path path);
    bool openStore(std::string& error);
    bool ensureTable(const EntityDescription& entity, std::string& error);
    bool ensureIndexes(const EntityDescription& entity, std::string& error);
    void forgetWrittenObjects();
    sqlite3_stmt* statement(const std::string& sql, std::string& error);
    std::string lastError() const;
    bool execute(const char* sql, std::string& error);
    std::shared_ptr<const CompiledPredicate> compiledPredicate(
        const EntityDescription& entity, const std::string& format, std::string& error);
    std::shared_ptr<ManagedObject> makeObject(const std::shared_ptr<const EntityDescription>& entity);
    void registerObject(const std::shared_ptr<ManagedObject>& object);
    void objectDidChange(const std::shared_ptr<ManagedObject>& object);
    bool writeInsert(ManagedObject& object, std::string& error);
    bool writeUpdate(ManagedObject& object, std::string& error);
    bool writeDelete(ManagedObject& object, std::string& error);

    std::shared_ptr<const ManagedObjectModel> m_model;
    std::filesystem::path m_path;
    sqlite3* m_db {nullptr};
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
    std::vector<std::unique_ptr<EntityState>> m_entities;
    std::vector<std::shared_ptr<ManagedObject>> m_inserted;
    std::unordered_map<ManagedObject*, std::shared_ptr<ManagedObject>> m_updated;
    std::vector<std::shared_ptr<ManagedObject>> m_deleted;
    uint64_t m_nextInsertSequence {1};
    bool m_inTransaction {false};
    std::vector<std::weak_ptr<ManagedObject>> m_writtenInTransaction;
};

} // namespace data
