#include "core/store/IMivoDataBaseManager.h"

#include "platform/foundation/Log.h"

using data::Predicate;
using foundation::logf;

namespace {

template<class Record>
std::optional<std::vector<std::shared_ptr<Record>>> typed(
    std::optional<std::vector<std::shared_ptr<data::ManagedObject>>> objects)
{
    if (!objects)
        return std::nullopt;
    std::vector<std::shared_ptr<Record>> records;
    records.reserve(objects->size());
    for (auto& object : *objects)
        records.push_back(std::static_pointer_cast<Record>(std::move(object)));
    return records;
}

std::string text(const foundation::Map& values, const char* key)
{
    auto it = values.find(key);
    if (it == values.end())
        return {};
    if (it->second.isInt())
        return std::to_string(it->second.asInt());
    return it->second.asString();
}

} // namespace

std::shared_ptr<const data::ManagedObjectModel> IMivoDataBaseManager::model()
{
    static const std::shared_ptr<const data::ManagedObjectModel> zantiro = [] {
        auto model = data::ManagedObjectModel::create("Zantiro");
        auto tasks = model->addEntity(MivoTask::kEntityName, MivoTask::attributeDescriptions());
        tasks->setObjectFactory([](auto entity) { return std::make_shared<MivoTask>(std::move(entity)); });
        // What the lists, the merge and the create-task check look tasks up by.
        tasks->addIndex({"carID"});
        tasks->addIndex({"applyNO"});
        tasks->addIndex({"taskStatus", "createUser"});
        auto uploads = model->addEntity(MivoUploadTask::kEntityName, MivoUploadTask::attributeDescriptions());
        uploads->setObjectFactory(
            [](auto entity) { return std::make_shared<MivoUploadTask>(std::move(entity)); });
        // A task's records by its number or its server id; the merge matches on the id, the slot
        // and the type.
        uploads->addIndex({"applyNO"});
        uploads->addIndex({"carID", "resourceType", "taskPosition"});
        return model;
    }();
    return zantiro;
}

IMivoDataBaseManager::IMivoDataBaseManager()
    : BaseDatabaseManager(model(), "IMivoDataBaseManager")
{ }

std::optional<std::vector<std::shared_ptr<MivoTask>>> IMivoDataBaseManager::listMivoTasks(
    const std::optional<Predicate>& predicate)
{
    return typed<MivoTask>(listAllObjectsFromTable(MivoTask::kEntityName, predicate));
}

std::optional<std::vector<std::shared_ptr<MivoUploadTask>>> IMivoDataBaseManager::listMivoUploadTasks(
    const std::optional<Predicate>& predicate)
{
    return typed<MivoUploadTask>(listAllObjectsFromTable(MivoUploadTask::kEntityName, predicate));
}

std::shared_ptr<MivoTask> IMivoDataBaseManager::updateMivoTask(
    const std::shared_ptr<MivoTask>& task, const foundation::Map& values)
{
    return std::static_pointer_cast<MivoTask>(updateObject(task, values));
}

std::shared_ptr<MivoUploadTask> IMivoDataBaseManager::updateMivoUploadTask(
    const std::shared_ptr<MivoUploadTask>& record, const foundation::Map& values)
{
    return std::static_pointer_cast<MivoUploadTask>(updateObject(record, values));
}

std::shared_ptr<MivoUploadTask> IMivoDataBaseManager::getMivoUploadEntity(const std::string& entityName)
{
    if (entityName != MivoUploadTask::kEntityName) {
        logf("--------error------@getMivoUploadEntity: %s is not a media record entity", entityName.c_str());
        return nullptr;
    }
    return std::static_pointer_cast<MivoUploadTask>(insertNewObject(entityName));
}

std::shared_ptr<MivoTask> IMivoDataBaseManager::insertMivoTask(const foundation::Map& values)
{
    return std::static_pointer_cast<MivoTask>(insertObject(MivoTask::kEntityName, values));
}

std::shared_ptr<MivoUploadTask> IMivoDataBaseManager::insertMivoUploadTask(const foundation::Map& values)
{
    return std::static_pointer_cast<MivoUploadTask>(insertObject(MivoUploadTask::kEntityName, values));
}

bool IMivoDataBaseManager::insertMivoUploadTasks(const std::vector<foundation::Map>& records)
{
    auto context = managedObjectContext();
    if (!context) {
        logf("--------error------@%s: the store is not open; cannot insert media records",
            storeName().c_str());
        return false;
    }
    std::vector<std::shared_ptr<data::ManagedObject>> inserted;
    for (auto& values : records) {
        auto object = context->insertNewObject(MivoUploadTask::kEntityName);
        for (auto& [key, value] : values)
            object->setValue(key, value);
        inserted.push_back(std::move(object));
    }
    if (saveContext())
        return true;
    for (auto& object : inserted)
        context->deleteObject(object);
    return false;
}

std::shared_ptr<MivoTask> IMivoDataBaseManager::upsertMivoTask(const foundation::Map& values)
{
    std::string carID = text(values, "carID");
    if (!carID.empty()) {
        auto existing = listMivoTasks(Predicate::withFormat("carID == %@", carID));
        if (!existing)
            return nullptr;
        if (!existing->empty())
            return updateMivoTask(existing->front(), values);
    }
    return insertMivoTask(values);
}

std::shared_ptr<MivoUploadTask> IMivoDataBaseManager::upsertMivoUploadTask(
    const foundation::Map& values, MergeRule rule)
{
    // Without a server id there is nothing to match: local records of unregistered tasks have none.
    if (text(values, "carID").empty())
        return insertMivoUploadTask(values);
    auto existing = listMivoUploadTasks(
        Predicate::withFormat("carID == %@ AND taskPosition == %@ AND resourceType == %@",
            text(values, "carID"), text(values, "taskPosition"), text(values, "resourceType")));
    if (!existing)
        return nullptr;
    if (existing->empty())
        return insertMivoUploadTask(values);
    auto record = existing->front();
    // A slot shot again since the server saw it keeps its local file.
    if (rule == MergeRule::OnlyWhileUploaded && record->taskStatus() != "UPLOADED")
        return record;
    return updateMivoUploadTask(record, values);
}

bool IMivoDataBaseManager::emptyTable(const std::string& entityName)
{
    return deleteAllObjectsFromTable(entityName, std::nullopt);
}
