#include "screens/tasks/ServerTaskMerge.h"

#include "platform/foundation/RunLoop.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <chrono>

std::shared_ptr<ServerTaskMerge> ServerTaskMerge::create(foundation::Value tasks, std::string taskStatus,
    std::string createUser, IMivoDataBaseManager::MergeRule rule)
{
    return std::shared_ptr<ServerTaskMerge>(
        new ServerTaskMerge(std::move(tasks), std::move(taskStatus), std::move(createUser), rule));
}

ServerTaskMerge::ServerTaskMerge(foundation::Value tasks, std::string taskStatus, std::string createUser,
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
    const auto& tasks = m_tasks.asArray();
    auto manager = IMivoDataBaseManager::sharedManager();
    bool transaction = manager->beginTransaction();
    bool sliceStored = true;
    size_t sliceMerged = 0;
    // The budget is real time on purpose: it keeps the screen's turns short, whatever clock the
    // run loop shows.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(m_sliceSeconds);
    do {
        if (m_next >= tasks.size())
            break;
        if (TaskRecordUtil::mergeServerTask(tasks[m_next++], m_taskStatus, m_createUser, m_rule, sliceStored))
            ++sliceMerged;
    } while (std::chrono::steady_clock::now() < deadline);
    if (transaction && !manager->commitTransaction()) {
        sliceMerged = 0;
        sliceStored = false;
    }
    m_merged += sliceMerged;
    m_allStored = m_allStored && sliceStored;
    if (m_next < tasks.size())
        return false;
    m_done = true;
    if (auto finished = std::move(m_finished))
        finished(m_merged, m_allStored);
    return true;
}
