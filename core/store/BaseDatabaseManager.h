#pragma once

#include "platform/data/ManagedObject.h"
#include "platform/data/ManagedObjectContext.h"
#include "platform/data/ManagedObjectModel.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Value.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

// The generic part of a store object: one model, one store file "<class name>.sqlite" in the
// Documents folder, and one shared context on it. Each subclass has one shared instance, made on
// first use. When the store cannot be opened (for example a damaged file) every operation logs and
// reports failure instead of crashing.
class BaseDatabaseManager : public std::enable_shared_from_this<BaseDatabaseManager> {
public:
    virtual ~BaseDatabaseManager() = default;
    BaseDatabaseManager(const BaseDatabaseManager&) = delete;
    BaseDatabaseManager& operator=(const BaseDatabaseManager&) = delete;

    template<class Manager> static std::shared_ptr<Manager> sharedManager()
    {
        std::lock_guard lock(registryMutex());
        auto& slot = registry()[typeid(Manager)];
        if (!slot) {
            auto manager = std::shared_ptr<Manager>(new Manager());
            manager->openStore();
            slot = manager;
        }
        return std::static_pointer_cast<Manager>(slot);
    }
    // Tests: forget every shared instance so the next sharedManager() opens the store of the
    // current home folder.
    static void resetSharedManagersForTesting();

    const std::string& storeName() const { return m_storeName; }
    // nullptr when the store could not be opened.
    std::shared_ptr<data::ManagedObjectContext> managedObjectContext() const { return m_context; }

    // Every matching record of a table in store order (or all with nullopt); an empty vector when
    // none match; nullopt when the fetch fails (logged).
    std::optional<std::vector<std::shared_ptr<data::ManagedObject>>> listAllObjectsFromTable(
        const std::string& entityName, const std::optional<data::Predicate>& predicate);
    // A new record, stored at the next save; nullptr when the store is unusable.
    std::shared_ptr<data::ManagedObject> insertNewObject(const std::string& entityName);
    // Inserts a record with the values of a dictionary keyed by attribute name and saves.
    std::shared_ptr<data::ManagedObject> insertObject(
        const std::string& entityName, const foundation::Map& values);
    // Sets each value (other attributes unchanged) and saves; a save error is logged, not returned.
    std::shared_ptr<data::ManagedObject> updateObject(
        const std::shared_ptr<data::ManagedObject>& object, const foundation::Map& values);
    bool deleteObject(const std::shared_ptr<data::ManagedObject>& object);
    // Deletes every matching record (all with nullopt) and saves.
    bool deleteAllObjectsFromTable(
        const std::string& entityName, const std::optional<data::Predicate>& predicate);
    // Saves the shared context; false (and a log line) on failure.
    bool saveContext();
    // Saves between these two go to the file in one transaction (see ManagedObjectContext); false
    // (and a log line) on failure, when a failed commit has dropped them all.
    bool beginTransaction();
    bool commitTransaction();

protected:
    BaseDatabaseManager(std::shared_ptr<const data::ManagedObjectModel> model, std::string storeName);

private:
    void openStore();
    static std::mutex& registryMutex();
    static std::map<std::type_index, std::shared_ptr<BaseDatabaseManager>>& registry();

    std::shared_ptr<const data::ManagedObjectModel> m_model;
    std::string m_storeName;
    std::shared_ptr<data::ManagedObjectContext> m_context;
};
