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
