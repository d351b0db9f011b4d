#include "screens/tasks/TaskRecordUtil.h"

#include "core/media/CommonUtil.h"
#include "core/store/GetCourseArrayModel.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <charconv>

using data::Predicate;
using foundation::Map;
using foundation::Value;

namespace {

// Server fields may come as text or as numbers; the store keeps them as text. Nothing when the
// field is missing or neither, so that what is stored stays as it is.
std::optional<std::string> fieldText(const Value& value)
{
    if (value.isString())
        return value.asString();
    if (value.isInt())
        return std::to_string(value.asInt());
    if (value.isDouble())
        return foundation::format("%g", value.asDouble());
    return std::nullopt;
}

std::string textOf(const Value& value)
{
    return fieldText(value).value_or(std::string());
}

int64_t positionOf(const std::string& text)
{
    int64_t value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0;
}

// Changes to live records that go to the file in one save. When the save fails, nothing of them
// is left pending on the records: changed ones get back what the file still holds, inserts are
// dropped, deletions taken back (a later save must not write half of them after all).
class PendingEdit {
public:
    explicit PendingEdit(IMivoDataBaseManager& manager)
        : m_manager(manager)
    { }

    void set(const std::shared_ptr<data::ManagedObject>& object, const Map& changes)
    {
        Map old;
        for (const auto& [key, value] : changes) {
            old[key] = object->value(key);
            object->setValue(key, value);
        }
        m_previous.emplace_back(object, std::move(old));
    }

    std::shared_ptr<data::ManagedObject> insert(const char* entity, const Map& values)
    {
        auto object = m_manager.insertNewObject(entity);
        if (!object)
            return nullptr;
        for (const auto& [key, value] : values)
            object->setValue(key, value);
        m_inserted.push_back(object);
        return object;
    }

    void remove(const std::shared_ptr<data::ManagedObject>& object)
    {
        if (auto context = m_manager.managedObjectContext()) {
            context->deleteObject(object);
            m_removed.push_back(object);
        }
    }

    bool save()
    {
        if (m_manager.saveContext())
            return true;
        undo();
        return false;
    }

    void undo()
    {
        auto context = m_manager.managedObjectContext();
        for (auto& [object, old] : m_previous) {
            for (const auto& [key, value] : old)
                object->setValue(key, value);
        }
        if (!context)
            return;
        for (const auto& object : m_inserted)
            context->deleteObject(object);
        for (const auto& object : m_removed)
            context->cancelDeletion(object);
    }

private:
    IMivoDataBaseManager& m_manager;
    std::vector<std::pair<std::shared_ptr<data::ManagedObject>, Map>> m_previous;
    std::vector<std::shared_ptr<data::ManagedObject>> m_inserted;
    std::vector<std::shared_ptr<data::ManagedObject>> m_removed;
};

// The media records of a new task: one "DEFAULT" record per shot of the list in shot order, then
// the video record, all with the number and one creation time. False when the store refused one.
bool insertShotRecords(
    PendingEdit& edit, const std::string& applyNO, int listType, foundation::Date createTime)
{
    auto shots = GetCourseArrayModel::getConstantArrayByType(listType);
    auto record = [&](const char* type, std::string position) {
        return Map {
            {"applyNO", applyNO},
            {"createTime", createTime},
            {"resourceType", type},
            {"taskPosition", std::move(position)},
            {"taskStatus", "DEFAULT"},
            {"carID", ""},
            {"resourceName", ""},
            {"resourceFilePath", ""},
            {"screenshotName", ""},
            {"screenshotPath", ""},
        };
    };
    for (size_t i = 0; i < shots.size(); ++i) {
        if (!edit.insert(MivoUploadTask::kEntityName, record("image", foundation::format("%d", int(i + 1)))))
            return false;
    }
    return edit.insert(MivoUploadTask::kEntityName,
               record("video", foundation::format("%lu", static_cast<unsigned long>(shots.size() + 1))))
        != nullptr;
}

// A shot saved from the camera is in flight until its record is written: it may be this task's.
bool anyShotTaken(const std::vector<std::shared_ptr<MivoUploadTask>>& records)
{
    return CommonUtil::savesInFlight() > 0
        || std::any_of(records.begin(), records.end(),
            [](const auto& record) { return record->taskStatus() != "DEFAULT"; });
}

} // namespace

int TaskRecordUtil::listTypeFor(const std::string& companyName, const std::string& photoType)
{
    if (companyName == "Arvel")
        return photoType == kPlanRemoveSeal ? 0 : 1;
    if (companyName == "Kestro")
        return 1;
    return 2;
}

TaskRecordUtil::ApplyNOState TaskRecordUtil::applyNOState(const std::string& applyNO)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    auto tasks
        = manager->listMivoTasks(Predicate::withFormat("applyNO=%@ and taskStatus!=%@", applyNO, "DELETE"));
    if (!tasks)
        return ApplyNOState::StoreFailed;
    return tasks->empty() ? ApplyNOState::Free : ApplyNOState::Taken;
}

Map TaskRecordUtil::valuesOf(const NewTaskFields& fields)
{
    return {
        {"applyNO", fields.applyNO},
        {"baseLocation", fields.baseLocation},
        {"ensureCompany", fields.ensureCompany},
        {"dealPrice", fields.dealPrice},
        {"productType", fields.productType},
        {"photoType", fields.photoType},
    };
}

std::shared_ptr<MivoTask> TaskRecordUtil::storeNewTask(const NewTaskFields& fields,
    const std::string& companyName, const std::string& createUser, int64_t userId,
    foundation::Date createTime)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    if (!manager->managedObjectContext()) {
        foundation::logf("--------error------@%s", "the new task could not be stored: the store is not open");
        return nullptr;
    }
    // The task and its media records go into the file in one save: a failure leaves none of them,
    // rather than a task without its shots that a later delete might fail to take out again.
    PendingEdit edit(*manager);
    Map values = valuesOf(fields);
    values.insert({
        {"createUser", createUser},
        {"creareUserid", userId},
        {"createTime", createTime},
        {"taskStatus", "PENDING"},
        {"carID", ""},
        {"oldApplyNO", ""},
    });
    auto task = std::static_pointer_cast<MivoTask>(edit.insert(MivoTask::kEntityName, values));
    bool made = task
        && insertShotRecords(edit, fields.applyNO, listTypeFor(companyName, fields.photoType), createTime);
    if (!made)
        edit.undo();
    if (made && edit.save())
        return task;
    foundation::logf("--------error------@%s", "the new task and its media records could not be stored");
    return nullptr;
}

std::optional<std::vector<std::shared_ptr<MivoUploadTask>>> TaskRecordUtil::mediaRecordsOf(
    const MivoTask& task)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    if (!task.carID().empty())
        return manager->listMivoUploadTasks(Predicate::withFormat("carID=%@", task.carID()));
    auto records = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", task.applyNO()));
    // A server task of the same number keeps its own records.
    if (records)
        std::erase_if(*records, [](const auto& record) { return !record->carID().empty(); });
    return records;
}

std::optional<bool> TaskRecordUtil::hasTakenShot(const MivoTask& task)
{
    auto records = mediaRecordsOf(task);
    if (!records)
        return std::nullopt;
    return anyShotTaken(*records);
}

bool TaskRecordUtil::updateTask(const std::shared_ptr<MivoTask>& task, const Map& values)
{
    return editTask(task, values, std::nullopt) == ReplanResult::Stored;
}

TaskRecordUtil::ReplanResult TaskRecordUtil::replanTask(
    const std::shared_ptr<MivoTask>& task, const Map& values, const std::string& companyName)
{
    auto plan = values.find("photoType");
    std::string photoType = plan != values.end() ? plan->second.asString() : task->photoType();
    return editTask(task, values, listTypeFor(companyName, photoType));
}

TaskRecordUtil::ReplanResult TaskRecordUtil::editTask(
    const std::shared_ptr<MivoTask>& task, const Map& values, std::optional<int> newListType)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    PendingEdit edit(*manager);
    auto renamed = values.find("applyNO");
    std::string applyNO = renamed != values.end() ? renamed->second.asString() : task->applyNO();
    if (applyNO != task->applyNO() || newListType) {
        auto records = mediaRecordsOf(*task);
        if (!records) {
            foundation::logf("--------error------@%s", "the task's media records could not be read");
            return ReplanResult::StoreFailed;
        }
        if (newListType && anyShotTaken(*records)) {
            foundation::logf("--------error------@%s", "the shooting plan of a task with shots is kept");
            return ReplanResult::ShotTaken;
        }
        for (const auto& record : *records) {
            if (newListType)
                edit.remove(record);
            else
                edit.set(record, Map {{"applyNO", applyNO}});
        }
        if (newListType
            && !insertShotRecords(
                edit, applyNO, *newListType, task->createTime().value_or(foundation::Date::now()))) {
            edit.undo();
            return ReplanResult::StoreFailed;
        }
    }
    edit.set(task, values);
    if (edit.save())
        return ReplanResult::Stored;
    foundation::logf("--------error------@%s", "the task's changes could not be stored");
    return ReplanResult::StoreFailed;
}

std::vector<std::shared_ptr<MivoTask>> TaskRecordUtil::tasksWithStatus(
    const std::string& taskStatus, const std::string& createUser)
{
    auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
        Predicate::withFormat("taskStatus=%@ and createUser=%@", taskStatus, createUser));
    return tasks ? std::move(*tasks) : std::vector<std::shared_ptr<MivoTask>> {};
}

size_t TaskRecordUtil::mergeServerTasks(const Value& tasks, const std::string& taskStatus,
    const std::string& createUser, IMivoDataBaseManager::MergeRule rule, bool* allStored)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    bool transaction = manager->beginTransaction();
    MergeTally tally;
    for (const Value& entry : tasks.asArray())
        mergeServerTask(entry, taskStatus, createUser, rule, tally);
    if (transaction && !manager->commitTransaction()) {
        tally.merged = 0;
        tally.allStored = false;
    }
    logSkipped(tally);
    if (allStored)
        *allStored = tally.allStored;
    return tally.merged;
}

void TaskRecordUtil::logSkipped(const MergeTally& tally)
{
    if (tally.skippedTasks == 0 && tally.skippedFiles == 0)
        return;
    foundation::logf("--------error------@%s",
        foundation::format("%zu server tasks without \"CarID\" or \"CarFilesList\" and %zu server files "
                           "without position or type were skipped",
            tally.skippedTasks, tally.skippedFiles)
            .c_str());
}

void TaskRecordUtil::mergeServerTask(const Value& entry, const std::string& taskStatus,
    const std::string& createUser, IMivoDataBaseManager::MergeRule rule, MergeTally& tally)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    std::string carID = textOf(entry["CarID"]);
    if (!entry.isMap() || carID.empty() || !entry["CarFilesList"].isArray()) {
        ++tally.skippedTasks;
        return;
    }
    // Only what the reply carries is written: a server that names or leaves out the other fields
    // must not blank what the task already holds.
    Map values {{"carID", carID}, {"taskStatus", taskStatus}, {"createUser", createUser}};
    auto copy = [](Map& into, const char* attribute, const Value& field) {
        if (auto text = fieldText(field))
            into[attribute] = std::move(*text);
    };
    // The number as the inspector typed it: what the grids and the upload screen look records up
    // by. An empty one is no number and never replaces the stored one.
    std::string applyNO = textOf(entry["ApplyNoWithoutPrefix"]);
    if (applyNO.empty())
        applyNO = textOf(entry["ApplyNo"]);
    if (!applyNO.empty())
        values["applyNO"] = applyNO;
    copy(values, "photoType", entry["carSource"]);
    copy(values, "baseLocation", entry["StockArea"]);
    copy(values, "ensureCompany", entry["UndertakeCompany"]);
    copy(values, "dealPrice", entry["SecondhandPrice"]);
    copy(values, "rejectedReason", entry["RejectReason"]);
    copy(values, "assessPrice", entry["AssessPrice"]);
    if (auto date = foundation::Date::parseLocal(textOf(entry["UpdateDate"]), "yyyy-MM-dd HH:mm:ss"))
        values["updateDate"] = *date;
    if (auto date = foundation::Date::parseLocal(textOf(entry["CreateTime"]), "yyyy-MM-dd HH:mm:ss"))
        values["createTime"] = *date;
    auto task = manager->upsertMivoTask(values);
    if (!task) {
        tally.allStored = false;
        return;
    }
    // Files the task did not have yet join it under its number. A task new here that the list
    // gives no number gets the empty one, as an unnumbered task has, so that a lookup by number
    // still finds it together with its records.
    if (applyNO.empty()) {
        applyNO = task->applyNO();
        if (applyNO.empty())
            manager->updateMivoTask(task, Map {{"applyNO", applyNO}});
    }

    for (const Value& file : entry["CarFilesList"].asArray()) {
        std::string type = textOf(file["FileType"]);
        std::string position = textOf(file["FileNum"]);
        if (!file.isMap() || position.empty() || (type != "image" && type != "video")) {
            ++tally.skippedFiles;
            continue;
        }
        std::string fileCarID = textOf(file["carTaskId"]);
        Map record {
            {"carID", fileCarID.empty() ? carID : fileCarID},
            {"applyNO", applyNO},
            {"taskPosition", position},
            {"resourceType", type},
            {"taskStatus", "UPLOADED"},
        };
        copy(record, "resourceName", file["FileName"]);
        copy(record, "fileUrl", file["FileUrl"]);
        copy(record, "thumbnail", file["Thumbnail"]);
        if (!manager->upsertMivoUploadTask(record, rule))
            tally.allStored = false;
    }
    ++tally.merged;
}

std::vector<std::shared_ptr<MivoUploadTask>> TaskRecordUtil::finishedUploads(const std::string& carID)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    auto images
        = manager->listMivoUploadTasks(Predicate::withFormat("carID=%@ and resourceType=%@", carID, "image"));
    auto videos
        = manager->listMivoUploadTasks(Predicate::withFormat("carID=%@ and resourceType=%@", carID, "video"));
    std::vector<std::shared_ptr<MivoUploadTask>> result = images ? std::move(*images) : decltype(result) {};
    std::stable_sort(result.begin(), result.end(), [](const auto& a, const auto& b) {
        return positionOf(a->taskPosition()) < positionOf(b->taskPosition());
    });
    if (videos)
        result.insert(result.end(), videos->begin(), videos->end());
    return result;
}
