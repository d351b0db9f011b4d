#include "platform/foundation/DispatchQueue.h"

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace foundation {

namespace {

// The label of the serial queue whose thread this is.
thread_local const std::string* t_queueLabel = nullptr;

struct MainQueueObserver {
    std::mutex mutex;
    std::function<void()> observer;
};

// Never destroyed: workers may send to the main queue while statics are destroyed at exit.
MainQueueObserver& mainQueueObserver()
{
    static auto* observer = new MainQueueObserver;
    return *observer;
}

} // namespace

struct DispatchQueue::Worker {
    std::string label;
    std::mutex mutex;
    std::condition_variable available;
    std::deque<std::function<void()>> queue;
    bool stopping {false};
    std::thread thread;

    void run()
    {
        t_queueLabel = &label;
        for (;;) {
            std::function<void()> work;
            {
                std::unique_lock lock(mutex);
                available.wait(lock, [&] { return stopping || !queue.empty(); });
                if (queue.empty())
                    return;
                work = std::move(queue.front());
                queue.pop_front();
            }
            work();
        }
    }
};

std::shared_ptr<DispatchQueue> DispatchQueue::createSerial(std::string label)
{
    return std::shared_ptr<DispatchQueue>(new DispatchQueue(std::move(label), true));
}

DispatchQueue& DispatchQueue::main()
{
    static DispatchQueue queue("main", false);
    return queue;
}

DispatchQueue::DispatchQueue(std::string label, bool serialThread)
    : m_label(std::move(label))
{
    if (!serialThread)
        return;
    m_worker = std::make_shared<Worker>();
    m_worker->label = m_label;
    // The thread shares the worker so it can finish queued work even if it outlives this object.
    m_worker->thread = std::thread([worker = m_worker] { worker->run(); });
    // Thread names are limited to 15 characters.
    pthread_setname_np(m_worker->thread.native_handle(), m_label.substr(0, 15).c_str());
}

DispatchQueue::~DispatchQueue()
{
    if (!m_worker)
        return;
    {
        std::lock_guard lock(m_worker->mutex);
        m_worker->stopping = true;
    }
    m_worker->available.notify_all();
    // Released by its own last block: the thread cannot join itself, so it finishes on its own.
    if (m_worker->thread.get_id() == std::this_thread::get_id())
        m_worker->thread.detach();
    else
        m_worker->thread.join();
}

void DispatchQueue::async(std::function<void()> work)
{
    if (!m_worker) {
        std::function<void()> observer;
        {
            auto& shared = mainQueueObserver();
            std::lock_guard lock(shared.mutex);
            observer = shared.observer;
        }
        if (observer)
            observer();
        RunLoop::main().post(std::move(work));
        return;
    }
    // The block may release this queue before we return: touch only our own reference.
    auto worker = m_worker;
    {
        std::lock_guard lock(worker->mutex);
        worker->queue.push_back(std::move(work));
    }
    worker->available.notify_one();
}

bool DispatchQueue::isCurrent() const
{
    if (!m_worker)
        return RunLoop::main().isMainThread();
    return m_worker->thread.get_id() == std::this_thread::get_id();
}

std::string DispatchQueue::currentLabel()
{
    if (t_queueLabel)
        return *t_queueLabel;
    return RunLoop::main().isMainThread() ? main().label() : std::string();
}

void DispatchQueue::setMainQueueObserverForTesting(std::function<void()> observer)
{
    auto& shared = mainQueueObserver();
    std::lock_guard lock(shared.mutex);
    shared.observer = std::move(observer);
}

void dispatchGlobalAsync(std::function<void()> work)
{
    // Never destroyed: work may still be queued when the process ends.
    static auto* queue = new std::shared_ptr<OperationQueue>(OperationQueue::create());
    (*queue)->addOperation(std::move(work));
}

void dispatchAfter(double delay, std::function<void()> work)
{
    RunLoop::main().performAfter(delay, std::move(work));
}

} // namespace foundation
