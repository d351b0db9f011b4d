#pragma once

#include <functional>
#include <memory>
#include <string>

namespace foundation {

// A serial queue running its work in order on its own thread, or the main queue, which posts to
// RunLoop::main(). Work enqueued before the queue is released still runs.
class DispatchQueue final {
public:
    static std::shared_ptr<DispatchQueue> createSerial(std::string label);
    static DispatchQueue& main();

    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    void async(std::function<void()> work);
    const std::string& label() const { return m_label; }
    bool isMain() const { return m_worker == nullptr; }
    // True on this queue's own thread (the main thread for the main queue).
    bool isCurrent() const;
    // The label of the queue running the caller: a serial queue's on its thread, the main queue's
    // on the main thread, empty on any other thread.
    static std::string currentLabel();

    // For tests that check which queue hands work on: called on the sending thread each time work
    // is sent to the main queue with async(), before it is queued. Empty to stop.
    static void setMainQueueObserverForTesting(std::function<void()> observer);

private:
    struct Worker;
    DispatchQueue(std::string label, bool serialThread);

    std::string m_label;
    std::shared_ptr<Worker> m_worker;
};

// Runs work on the process-wide concurrent queue of default priority: worker threads, one per
// hardware thread, taking work in the order it came.
void dispatchGlobalAsync(std::function<void()> work);

// Runs work on the main queue after `delay` seconds of the run loop's clock.
void dispatchAfter(double delay, std::function<void()> work);

} // namespace foundation
