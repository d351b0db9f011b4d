#include "platform/foundation/OperationQueue.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace foundation {

struct OperationQueue::State {
    mutable std::mutex mutex;
    std::condition_variable workAvailable;
    std::condition_variable idle;
    std::deque<std::function<void()>> pending;
    std::vector<std::thread> threads;
    size_t running {0};
    int maxCount {kDefaultMaxConcurrentOperationCount};
    bool stopping {false};

    size_t limit() const
    {
        if (maxCount < 0)
            return std::max(1u, std::thread::hardware_concurrency());
        // A queue that may never run anything would only hang its waiters.
        return std::max(1, maxCount);
    }

    bool canStart() const { return !pending.empty() && running < limit(); }

    // Threads are started lazily, never more than the limit or than there is work for.
    void spawnThreadsIfNeeded(const std::shared_ptr<State>& self)
    {
        while (threads.size() < limit() && threads.size() < running + pending.size())
            threads.emplace_back([self] { self->work(); });
    }

    void work()
    {
        for (;;) {
            std::function<void()> operation;
            {
                std::unique_lock lock(mutex);
                workAvailable.wait(lock, [&] { return canStart() || (stopping && pending.empty()); });
                if (pending.empty())
                    return;
                operation = std::move(pending.front());
                pending.pop_front();
                ++running;
            }
            operation();
            operation = nullptr;
            {
                std::lock_guard lock(mutex);
                --running;
            }
            workAvailable.notify_all();
            idle.notify_all();
        }
    }
};

std::shared_ptr<OperationQueue> OperationQueue::create()
{
    return std::make_shared<OperationQueue>();
}

OperationQueue::OperationQueue()
    : m_state(std::make_shared<State>())
{ }

OperationQueue::~OperationQueue()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        threads.swap(m_state->threads);
    }
    m_state->workAvailable.notify_all();
    for (auto& thread : threads) {
        if (thread.get_id() == std::this_thread::get_id())
            thread.detach();
        else
            thread.join();
    }
}

void OperationQueue::releaseOnMainThread(std::shared_ptr<void> object)
{
    RunLoop::main().post([object = std::move(object)] {});
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->maxCount = count;
        m_state->spawnThreadsIfNeeded(m_state);
    }
    m_state->workAvailable.notify_all();
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->maxCount;
}

void OperationQueue::addOperation(std::function<void()> operation)
{
    // The operation may release this queue before we return: touch only our own reference.
    auto state = m_state;
    {
        std::lock_guard lock(state->mutex);
        state->pending.push_back(std::move(operation));
        state->spawnThreadsIfNeeded(state);
    }
    state->workAvailable.notify_all();
}

void OperationQueue::cancelAllOperations()
{
    std::deque<std::function<void()>> cancelled;
    {
        std::lock_guard lock(m_state->mutex);
        cancelled.swap(m_state->pending);
    }
    m_state->idle.notify_all();
}

size_t OperationQueue::operationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->pending.size() + m_state->running;
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(m_state->mutex);
    m_state->idle.wait(lock, [&] { return m_state->pending.empty() && m_state->running == 0; });
}

} // namespace foundation
