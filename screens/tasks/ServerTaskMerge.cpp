#include "screens/tasks/ServerTaskMerge.h"

#include "platform/foundation/RunLoop.h"

#include <chrono>

std::shared_ptr<ServerTaskMerge> ServerTaskMerge::create(foundation::JsonList tasks, std::string taskStatus,
    std::string createUser, IMivoDataBaseManager::MergeRule rule)
{
    return std::shared_ptr<ServerTaskMerge>(
        new ServerTaskMerge(std::move(tasks), std::move(taskStatus), std::move(createUser), rule));
}

std::shared_ptr<ServerTaskMerge> ServerTaskMerge::create(const foundation::Value& tasks,
    std::string taskStatus, std::string createUser, IMivoDataBaseManager::MergeRule rule)
{
    return create(foundation::JsonList(tasks), std::move(taskStatus), std::move(createUser), rule);
}

ServerTaskMerge::ServerTaskMerge(foundation::JsonList tasks, std::string taskStatus, std::string createUser,
    IMivoDataBaseManager::MergeRule rule)
    : m_tasks(std::move(tasks))
    , m_taskStatus(std::move(taskStatus))
    , m_createUser(std::move(createUser))
    , m_rule(rule)
{ }

void ServerTaskMerge::start(std::function<bool()> keepGoing, Finished finished)
{
    m_keepGoing = std::move(keepGoing);
    m_finished = std::move(finished);
    scheduleNextSlice();
}

void ServerTaskMerge::scheduleNextSlice()
{
    foundation::RunLoop::main().post([self = shared_from_this()] {
        if (self->m_keepGoing && !self->m_keepGoing())
            return;
        if (!self->runSlice())
            self->scheduleNextSlice();
    });
}

bool ServerTaskMerge::runSlice()
{
    if (m_done)
        return true;
    ++m_slices;
    auto manager = IMivoDataBaseManager::sharedManager();
    bool transaction = manager->beginTransaction();
    TaskRecordUtil::MergeTally slice;
    // The budget is real time on purpose: it keeps the screen's turns short, whatever clock the
    // run loop shows.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(m_sliceSeconds);
    do {
        if (m_next >= m_tasks.size())
            break;
        // What is no object is no task: counted without being read.
        if (m_tasks.isMapAt(m_next))
            TaskRecordUtil::mergeServerTask(m_tasks.at(m_next), m_taskStatus, m_createUser, m_rule, slice);
        else
            ++slice.skippedTasks;
        ++m_next;
    } while (std::chrono::steady_clock::now() < deadline);
    if (transaction && !manager->commitTransaction()) {
        slice.merged = 0;
        slice.allStored = false;
    }
    m_tally.merged += slice.merged;
    m_tally.allStored = m_tally.allStored && slice.allStored;
    m_tally.skippedTasks += slice.skippedTasks;
    m_tally.skippedFiles += slice.skippedFiles;
    if (m_next < m_tasks.size())
        return false;
    m_done = true;
    TaskRecordUtil::logSkipped(m_tally);
    if (auto finished = std::move(m_finished))
        finished(m_tally.merged, m_tally.allStored);
    return true;
}
