#pragma once

#include "core/store/BaseDatabaseManager.h"
#include "core/store/MivoTask.h"
#include "core/store/MivoUploadTask.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The app's task store: model "Zantiro" with the tables MivoTask and MivoUploadTask, kept in
// Documents/IMivoDataBaseManager.sqlite. Used from the main thread only. Records come out as live
// MivoTask / MivoUploadTask objects and go in as dictionaries keyed by attribute name.
class IMivoDataBaseManager final : public BaseDatabaseManager {
public:
    static std::shared_ptr<IMivoDataBaseManager> sharedManager()
    {
        return BaseDatabaseManager::sharedManager<IMivoDataBaseManager>();
    }
    static std::shared_ptr<const data::ManagedObjectModel> model();

    // How an upsert treats a matching media record.
    enum class MergeRule {
        Always, // update it
        OnlyWhileUploaded, // update it only while its taskStatus is "UPLOADED"; else keep it as it is
    };

    // Typed forms of listAllObjectsFromTable(), same results.
    std::optional<std::vector<std::shared_ptr<MivoTask>>> listMivoTasks(
        const std::optional<data::Predicate>& predicate);
    std::optional<std::vector<std::shared_ptr<MivoUploadTask>>> listMivoUploadTasks(
        const std::optional<data::Predicate>& predicate);

    // Sets each value of the dictionary, saves (a save error is logged and ignored) and returns the
    // record; attributes not in the dictionary stay unchanged.
    std::shared_ptr<MivoTask> updateMivoTask(
        const std::shared_ptr<MivoTask>& task, const foundation::Map& values);
    std::shared_ptr<MivoUploadTask> updateMivoUploadTask(
        const std::shared_ptr<MivoUploadTask>& record, const foundation::Map& values);
    // A new empty record of "MivoUploadTask", not saved; the next save stores it.
    std::shared_ptr<MivoUploadTask> getMivoUploadEntity(const std::string& entityName);

    // Insert records from dictionaries and save; nullptr / false when the store fails.
    std::shared_ptr<MivoTask> insertMivoTask(const foundation::Map& values);
    std::shared_ptr<MivoUploadTask> insertMivoUploadTask(const foundation::Map& values);
    // All records in one save, in the given order.
    bool insertMivoUploadTasks(const std::vector<foundation::Map>& records);

    // A task from a server list: updates the stored task with the same non-empty carID, else inserts.
    std::shared_ptr<MivoTask> upsertMivoTask(const foundation::Map& values);
    // A media record from a server list: matched on carID, taskPosition and resourceType; a match
    // is updated as the rule says, else a new record is inserted. Returns the stored record.
    std::shared_ptr<MivoUploadTask> upsertMivoUploadTask(const foundation::Map& values, MergeRule rule);

    // Empties a table; false when the store fails.
    bool emptyTable(const std::string& entityName);

private:
    friend class BaseDatabaseManager;
    IMivoDataBaseManager();
};
