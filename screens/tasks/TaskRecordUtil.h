#pragma once

#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The values of a new task, as the create-task screen collects them.
struct NewTaskFields {
    std::string applyNO;
    std::string baseLocation;
    std::string ensureCompany;
    std::string dealPrice;
    std::string productType;
    std::string photoType; // the shooting plan's text
};

// Task and media records as the task screens write and read them.
class TaskRecordUtil final {
public:
    static constexpr const char* kPlanRemoveSeal = "拆密封条-方案1";
    static constexpr const char* kPlanKeepSeal = "不拆密封条-方案2";

    // The shot list a task follows: company "Arvel" 0 for the plan "拆密封条-方案1" else 1,
    // "Kestro" 1, any other company 2.
    static int listTypeFor(const std::string& companyName, const std::string& photoType);

    // Whether a non-deleted task has that application number, of any user: its media records are
    // found by the number alone, so a second task would share them. StoreFailed when the store
    // cannot answer, which is no reason to tell the user the number is taken.
    enum class ApplyNOState { Free, Taken, StoreFailed };
    static ApplyNOState applyNOState(const std::string& applyNO);

    // The fields as the task's attributes ("applyNO", "baseLocation", ... "photoType").
    static foundation::Map valuesOf(const NewTaskFields& fields);

    // Stores the task in "PENDING" and one "DEFAULT" media record per shot of its list, then the
    // video record, all with one creation time. nullptr when the store fails (nothing half-written
    // is left behind).
    static std::shared_ptr<MivoTask> storeNewTask(const NewTaskFields& fields, const std::string& companyName,
        const std::string& createUser, int64_t userId, foundation::Date createTime);

    // Sets `values` on the task and, when they change its number, the new number on every media
    // record of the task, all in one save: the file holds either the old number everywhere or the
    // new one everywhere. A task without a server id owns the records of its number that have none;
    // one with a server id owns the records of that id. False (logged) when the store refused the
    // save; the records then keep their stored values.
    static bool updateTask(const std::shared_ptr<MivoTask>& task, const foundation::Map& values);
    // The media records of a task, as updateTask finds them; nullopt when the store fails.
    static std::optional<std::vector<std::shared_ptr<MivoUploadTask>>> mediaRecordsOf(const MivoTask& task);
    // Whether a shot of the task is taken (a media record of it is no longer "DEFAULT") or may be
    // on its way into one (a camera save in flight); nullopt when the store fails.
    static std::optional<bool> hasTakenShot(const MivoTask& task);

    enum class ReplanResult { Stored, ShotTaken, StoreFailed };
    // updateTask for a new shooting plan (values["photoType"]): in the same save the task's media
    // records are made anew for the plan, as storeNewTask makes them (with the task's creation
    // time), so the file holds the old shot list or the new one, never half. Refused with nothing
    // changed once a shot of the task is taken, which a new list would lose.
    static ReplanResult replanTask(
        const std::shared_ptr<MivoTask>& task, const foundation::Map& values, const std::string& companyName);

    // Tasks of the user in a state, in store order.
    static std::vector<std::shared_ptr<MivoTask>> tasksWithStatus(
        const std::string& taskStatus, const std::string& createUser);

    // What a merge of a server list did.
    struct MergeTally {
        size_t merged = 0;
        // False when the store refused a task or a file, which the next fetch must then bring again.
        bool allStored = true;
        size_t skippedTasks = 0; // entries that are no object, or lack "CarID" or a "CarFilesList" list
        size_t skippedFiles = 0; // files without position or type
    };

    // Merges the "Data" of a server list into the store: each task as `taskStatus` ("FINISHED" or
    // "REJECTED"), each of its files as an "UPLOADED" media record matched on carID, taskPosition
    // and resourceType. Entries that are not objects, carry no "CarID" or no "CarFilesList" list
    // are skipped, and so are files without position or type (one log line counts them). A field
    // the entry lacks, or holds as neither text nor number, leaves the stored value as it is.
    // Returns the number of tasks merged; `allStored` (when given) becomes false when the store
    // refused a task or a file, which the next fetch must then bring again.
    // The whole list goes to the file in one transaction.
    static size_t mergeServerTasks(const foundation::Value& tasks, const std::string& taskStatus,
        const std::string& createUser, IMivoDataBaseManager::MergeRule rule, bool* allStored = nullptr);
    // One entry of such a list, counted in `tally`; nothing is logged.
    static void mergeServerTask(const foundation::Value& entry, const std::string& taskStatus,
        const std::string& createUser, IMivoDataBaseManager::MergeRule rule, MergeTally& tally);
    // The one line for what a merge skipped, when it skipped anything.
    static void logSkipped(const MergeTally& tally);

    // What the finished grid is handed: the task's image records sorted by taskPosition as
    // integers, then its video records in store order.
    static std::vector<std::shared_ptr<MivoUploadTask>> finishedUploads(const std::string& carID);

private:
    // updateTask, and with a list type the media records made anew for it (replanTask).
    static ReplanResult editTask(
        const std::shared_ptr<MivoTask>& task, const foundation::Map& values, std::optional<int> newListType);
};
