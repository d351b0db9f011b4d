#pragma once

#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/JsonList.h"
#include "platform/foundation/Value.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// Merges the "Data" of a server list into the store on the main thread in slices of a few
// milliseconds, one run-loop turn and one transaction each, so that a list of thousands of tasks
// neither freezes the screen nor costs a disk flush per record. Entries are read from the list's
// text as the slices reach them; what was skipped is logged once, at the end. A merge cut short (killed, or
// its screen gone) leaves whole tasks stored and the rest to the next fetch: upserts repeat safely, and the
// caller moves its update time only after `finished` reports everything stored.
class ServerTaskMerge final : public std::enable_shared_from_this<ServerTaskMerge> {
public:
    // Tasks merged, and whether every task and file reached the store.
    using Finished = std::function<void(size_t merged, bool allStored)>;

    static constexpr double kSliceSeconds = 0.008;

    static std::shared_ptr<ServerTaskMerge> create(foundation::JsonList tasks, std::string taskStatus,
        std::string createUser, IMivoDataBaseManager::MergeRule rule);
    static std::shared_ptr<ServerTaskMerge> create(const foundation::Value& tasks, std::string taskStatus,
        std::string createUser, IMivoDataBaseManager::MergeRule rule);

    // Runs the slices on the next run-loop turns. `keepGoing` is asked before each slice; when it
    // says no, the merge stops without calling `finished`.
    void start(std::function<bool()> keepGoing, Finished finished);
    // One slice; true when the list is done (after which `finished` has been called).
    bool runSlice();

    // Real time a slice may take; at least one task goes in each slice.
    void setSliceSeconds(double seconds) { m_sliceSeconds = seconds; }
    bool isDone() const { return m_done; }
    size_t slicesRun() const { return m_slices; }

private:
    ServerTaskMerge(foundation::JsonList tasks, std::string taskStatus, std::string createUser,
        IMivoDataBaseManager::MergeRule rule);
    void scheduleNextSlice();

    foundation::JsonList m_tasks;
    std::string m_taskStatus;
    std::string m_createUser;
    IMivoDataBaseManager::MergeRule m_rule;
    std::function<bool()> m_keepGoing;
    Finished m_finished;
    double m_sliceSeconds {kSliceSeconds};
    size_t m_next {0};
    TaskRecordUtil::MergeTally m_tally;
    size_t m_slices {0};
    bool m_done {false};
};
