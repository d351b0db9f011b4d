#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace foundation {

class Clock;
class Timer;

// The main thread's loop: a thread-safe FIFO of posted work, timers and per-frame callbacks for
// animations. Hosts drive it with runOnce() + waitForNextEvent(); tests with runFor()/runUntil().
class RunLoop final {
public:
    // The main loop, made on first use and never destroyed, so any thread may post to it up to
    // the process's end.
    static RunLoop& main();

    RunLoop();
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    void setClock(std::shared_ptr<Clock> clock);
    std::shared_ptr<Clock> clock() const;
    double now() const;

    // Thread-safe; runs on the main thread in posting order.
    void post(std::function<void()> work);
    // A one-shot timer; invalidate it to cancel.
    std::shared_ptr<Timer> performAfter(double delay, std::function<void()> work);

    void addTimer(const std::shared_ptr<Timer>& timer);
    void removeTimer(const Timer& timer);
    std::optional<double> nextTimerFireTime() const;

    // Called with the clock time on every iteration while registered.
    uint64_t addFrameCallback(std::function<void(double now)> callback);
    void removeFrameCallback(uint64_t id);
    bool hasFrameCallbacks() const;

    // One iteration: drains posted work, fires due timers, steps frame callbacks. Never blocks.
    void runOnce();
    // Blocks until work is posted, the next timer is due (real clock), a frame is due, or
    // maxSeconds of real time pass.
    void waitForNextEvent(double maxSeconds);
    // Interrupts waitForNextEvent() from any thread.
    void wakeUp();

    // Manual clock: advances the clock itself to each due timer's exact fire time (and in steps of
    // at most 1/60 s while frame callbacks exist) up to now + seconds. Real clock: runs that long.
    void runFor(double seconds);
    // Runs until the predicate holds or realTimeoutSeconds of real time pass. A manual clock is not
    // advanced here (use runFor for virtual time); work posted from other threads is waited for.
    bool runUntil(const std::function<bool()>& predicate, double realTimeoutSeconds);

    // The main thread is the one that first called main(), or the one set here.
    bool isMainThread() const;
    void setMainThread(std::thread::id id);

    // For tests: drops queued work, timers and frame callbacks, restores a real clock and makes
    // the calling thread the main thread.
    void reset();

    static constexpr double kFrameInterval = 1.0 / 60.0;

private:
    bool drainPosted();
    bool fireDueTimers();
    void stepFrameCallbacks();
    void settle();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<Clock> m_clock;
    std::deque<std::function<void()>> m_posted;
    std::vector<std::shared_ptr<Timer>> m_timers;
    std::map<uint64_t, std::shared_ptr<std::function<void(double)>>> m_frameCallbacks;
    uint64_t m_nextFrameCallbackId {1};
    uint64_t m_nextTimerSequence {1};
    std::thread::id m_mainThread;
    bool m_wakeRequested {false};
};

} // namespace foundation
