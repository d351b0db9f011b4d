#include "screens/tasks/TaskRecordUtil.h"

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

std::shared_ptr<MivoTask> TaskRecordUtil::storeNewTask(const NewTaskFields& fields,
    const std::string& companyName, const std::string& createUser, int64_t userId,
    foundation::Date createTime)
{
    auto manager = IMivoDataBaseManager::sharedManager();
    auto context = manager->managedObjectContext();
    if (!context) {
        foundation::logf("--------error------@%s", "the new task could not be stored: the store is not open");
        return nullptr;
    }
    // The task and its media records go into the file in one save: a failure leaves none of them,
    // rather than a task without its shots that a later delete might fail to take out again.
    std::vector<std::shared_ptr<data::ManagedObject>> inserted;
    auto insert = [&](const char* entity, const Map& values) {
        auto object = manager->insertNewObject(entity);
        if (!object)
            return std::shared_ptr<data::ManagedObject>();
        for (const auto& [key, value] : values)
            object->setValue(key, value);
        inserted.push_back(object);
        return object;
    };
    auto task = std::static_pointer_cast<MivoTask>(insert(MivoTask::kEntityName,
        Map {
            {"applyNO", fields.applyNO},
            {"baseLocation", fields.baseLocation},
            {"ensureCompany", fields.ensureCompany},
            {"dealPrice", fields.dealPrice},
            {"productType", fields.productType},
            {"photoType", fields.photoType},
            {"createUser", createUser},
            {"creareUserid", userId},
            {"createTime", createTime},
            {"taskStatus", "PENDING"},
            {"carID", ""},
            {"oldApplyNO", ""},
        }));

    auto shots = GetCourseArrayModel::getConstantArrayByType(listTypeFor(companyName, fields.photoType));
    auto record = [&](const char* type, std::string position) {
        return Map {
            {"applyNO", fields.applyNO},
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
    bool made = task != nullptr;
    for (size_t i = 0; made && i < shots.size(); ++i)
        made = insert(MivoUploadTask::kEntityName, record("image", foundation::format("%d", int(i + 1))))
            != nullptr;
    if (made)
        made = insert(MivoUploadTask::kEntityName,
                   record("video", foundation::format("%lu", static_cast<unsigned long>(shots.size() + 1))))
            != nullptr;
    if (made && manager->saveContext())
        return task;
    foundation::logf("--------error------@%s", "the new task and its media records could not be stored");
    for (const auto& object : inserted)
        context->deleteObject(object);
    return nullptr;
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
