#include "core/store/BaseDatabaseManager.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

using foundation::logf;

BaseDatabaseManager::BaseDatabaseManager(
    std::shared_ptr<const data::ManagedObjectModel> model, std::string storeName)
    : m_model(std::move(model))
    , m_storeName(std::move(storeName))
{ }

std::mutex& BaseDatabaseManager::registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::type_index, std::shared_ptr<BaseDatabaseManager>>& BaseDatabaseManager::registry()
{
    static std::map<std::type_index, std::shared_ptr<BaseDatabaseManager>> managers;
    return managers;
}

void BaseDatabaseManager::resetSharedManagersForTesting()
{
    std::lock_guard lock(registryMutex());
    registry().clear();
}

void BaseDatabaseManager::openStore()
{
    auto file = foundation::Paths::documents() / (m_storeName + ".sqlite");
    // A link planted in the home must not put the store elsewhere.
    if (!foundation::isBelowWithoutLinks(foundation::Paths::home(), file)) {
        logf("--------error------@%s: a symbolic link leads %s out of the home; not opened",
            m_storeName.c_str(), file.c_str());
        return;
    }
    std::string error;
    m_context = data::ManagedObjectContext::open(m_model, file, &error);
    if (!m_context)
        logf("--------error------@%s", error.c_str());
}

std::optional<std::vector<std::shared_ptr<data::ManagedObject>>> BaseDatabaseManager::listAllObjectsFromTable(
    const std::string& entityName, const std::optional<data::Predicate>& predicate)
{
    if (!m_context) {
        logf("--------error------@%s: the store is not open; cannot list %s", m_storeName.c_str(),
            entityName.c_str());
        return std::nullopt;
    }
    data::FetchRequest request;
    request.entityName = entityName;
    request.predicate = predicate;
    std::string error;
    auto results = m_context->fetch(request, &error);
    if (!results)
        logf("--------error------@%s", error.c_str());
    return results;
}

std::shared_ptr<data::ManagedObject> BaseDatabaseManager::insertNewObject(const std::string& entityName)
{
    if (!m_context) {
        logf("--------error------@%s: the store is not open; cannot insert %s", m_storeName.c_str(),
            entityName.c_str());
        return nullptr;
    }
    return m_context->insertNewObject(entityName);
}

std::shared_ptr<data::ManagedObject> BaseDatabaseManager::insertObject(
    const std::string& entityName, const foundation::Map& values)
{
    auto object = insertNewObject(entityName);
    if (!object)
        return nullptr;
    for (auto& [key, value] : values)
        object->setValue(key, value);
    if (!saveContext()) {
        // Leave nothing half-made behind for a later save to pick up.
        m_context->deleteObject(object);
        return nullptr;
    }
    return object;
}

std::shared_ptr<data::ManagedObject> BaseDatabaseManager::updateObject(
    const std::shared_ptr<data::ManagedObject>& object, const foundation::Map& values)
{
    if (!object)
        return nullptr;
    for (auto& [key, value] : values)
        object->setValue(key, value);
    saveContext();
    return object;
}

bool BaseDatabaseManager::deleteObject(const std::shared_ptr<data::ManagedObject>& object)
{
    if (!m_context || !object)
        return false;
    m_context->deleteObject(object);
    return saveContext();
}

bool BaseDatabaseManager::deleteAllObjectsFromTable(
    const std::string& entityName, const std::optional<data::Predicate>& predicate)
{
    auto objects = listAllObjectsFromTable(entityName, predicate);
    if (!objects)
        return false;
    for (auto& object : *objects)
        m_context->deleteObject(object);
    return saveContext();
}

bool BaseDatabaseManager::saveContext()
{
    if (!m_context)
        return false;
    if (auto error = m_context->save()) {
        logf("--------error------@%s", error->c_str());
        return false;
    }
    return true;
}

bool BaseDatabaseManager::beginTransaction()
{
    if (!m_context)
        return false;
    if (auto error = m_context->beginTransaction()) {
        logf("--------error------@%s", error->c_str());
        return false;
    }
    return true;
}

bool BaseDatabaseManager::commitTransaction()
{
    if (!m_context)
        return false;
    if (auto error = m_context->commitTransaction()) {
        logf("--------error------@%s", error->c_str());
        return false;
    }
    return true;
}
