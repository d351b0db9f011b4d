#pragma once

#include <functional>
#include <memory>
#include <string>

namespace foundation {

// A serial queue running its work in order, one block at a time, on threads of a pool shared by all
// serial queues; or the main queue, which posts to RunLoop::main(). A serial queue takes a thread
// only while it has work. Work enqueued before the queue is released still runs; releasing it does
// not wait for that work. A block must not wait for another serial queue's work: were every pool
// thread waiting so, that work would find none.
class DispatchQueue final {
public:
    static std::shared_ptr<DispatchQueue> createSerial(std::string label);
    static DispatchQueue& main();

    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    void async(std::function<void()> work);
    const std::string& label() const { return m_label; }
    bool isMain() const { return m_serial == nullptr; }
    // True inside one of this queue's blocks (on the main thread for the main queue).
    bool isCurrent() const;
    // The label of the queue running the caller: a serial queue's inside its blocks, the main
    // queue's on the main thread, empty on any other thread.
    static std::string currentLabel();

    // For tests that check which queue hands work on: called on the sending thread each time work
    // is sent to the main queue with async(), before it is queued. Empty to stop.
    static void setMainQueueObserverForTesting(std::function<void()> observer);

private:
    struct Serial;
    DispatchQueue(std::string label, bool serial);

    std::string m_label;
    std::shared_ptr<Serial> m_serial;
};

// Runs work on the process-wide concurrent queue of default priority: worker threads, one per
// hardware thread, taking work in the order it came.
void dispatchGlobalAsync(std::function<void()> work);

// Runs work on the main queue after `delay` seconds of the run loop's clock.
void dispatchAfter(double delay, std::function<void()> work);

} // namespace foundation
