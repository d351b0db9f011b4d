#include "platform/foundation/DispatchQueue.h"

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <deque>
#include <mutex>
#include <utility>

namespace foundation {

namespace {

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

// The threads serial queues run on, one per hardware thread. A pool apart from the global queue's,
// so a serial block waiting for global work never holds the thread that work needs. Never
// destroyed: work may still be queued when the process ends.
OperationQueue& serialPool()
{
    static auto* pool = new std::shared_ptr<OperationQueue>(OperationQueue::create());
    return **pool;
}

// Blocks a drain runs before it lets the other queues' drains have its thread.
constexpr int kDrainBatch = 64;

} // namespace

// What a serial queue's work needs, held by its drain so that work queued before the queue is
// released still runs.
struct DispatchQueue::Serial {
    std::string label;
    std::mutex mutex;
    std::deque<std::function<void()>> pending;
    // A drain is on the pool or running: it will see whatever is added.
    bool draining {false};

    // The queue whose block this thread runs.
    static thread_local const Serial* current;

    static void add(std::shared_ptr<Serial> serial, std::function<void()> work)
    {
        bool start;
        {
            std::lock_guard lock(serial->mutex);
            serial->pending.push_back(std::move(work));
            start = !std::exchange(serial->draining, true);
        }
        if (start)
            schedule(std::move(serial));
    }

    static void schedule(std::shared_ptr<Serial> serial)
    {
        serialPool().addOperation([serial = std::move(serial)] { drain(serial); });
    }

    // Runs the blocks in order until the queue is empty; after a batch it goes to the back of the
    // pool, still draining, so a busy queue cannot keep the others waiting.
    static void drain(const std::shared_ptr<Serial>& serial)
    {
        for (int ran = 0; ran < kDrainBatch; ++ran) {
            std::function<void()> work;
            {
                std::lock_guard lock(serial->mutex);
                if (serial->pending.empty()) {
                    serial->draining = false;
                    return;
                }
                work = std::move(serial->pending.front());
                serial->pending.pop_front();
            }
            const Serial* outer = std::exchange(current, serial.get());
            work();
            work = nullptr;
            current = outer;
        }
        schedule(serial);
    }
};

thread_local const DispatchQueue::Serial* DispatchQueue::Serial::current = nullptr;

std::shared_ptr<DispatchQueue> DispatchQueue::createSerial(std::string label)
{
    return std::shared_ptr<DispatchQueue>(new DispatchQueue(std::move(label), true));
}

DispatchQueue& DispatchQueue::main()
{
    static DispatchQueue queue("main", false);
    return queue;
}

DispatchQueue::DispatchQueue(std::string label, bool serial)
    : m_label(std::move(label))
{
    if (!serial)
        return;
    m_serial = std::make_shared<Serial>();
    m_serial->label = m_label;
}

DispatchQueue::~DispatchQueue() = default;

void DispatchQueue::async(std::function<void()> work)
{
    if (m_serial) {
        // The block may release this queue before we return: touch only our own reference.
        Serial::add(m_serial, std::move(work));
        return;
    }
    std::function<void()> observer;
    {
        auto& shared = mainQueueObserver();
        std::lock_guard lock(shared.mutex);
        observer = shared.observer;
    }
    if (observer)
        observer();
    RunLoop::main().post(std::move(work));
}

bool DispatchQueue::isCurrent() const
{
    if (!m_serial)
        return RunLoop::main().isMainThread();
    return Serial::current == m_serial.get();
}

std::string DispatchQueue::currentLabel()
{
    if (Serial::current)
        return Serial::current->label;
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
