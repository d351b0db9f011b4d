#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace foundation {

class RunLoop;

// A one-shot or repeating timer on the main run loop. While valid, the run loop keeps the timer,
// and so its block and whatever the block captures, alive; invalidate() releases both.
class Timer final : public std::enable_shared_from_this<Timer> {
public:
    using Block = std::function<void(Timer&)>;

    // Creates a timer and schedules it on RunLoop::main(), first firing after `interval` seconds.
    static std::shared_ptr<Timer> scheduled(double interval, bool repeats, Block block);
    // Creates a timer that is not scheduled yet (RunLoop::addTimer schedules it).
    static std::shared_ptr<Timer> create(double interval, bool repeats, Block block);

    Timer(double interval, bool repeats, Block block);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void invalidate();
    // Runs the block now; a one-shot timer is invalidated by it, a repeating one keeps its schedule.
    void fire();
    bool isValid() const;
    double interval() const { return m_interval; }
    bool repeats() const { return m_repeats; }
    // Clock time of the next scheduled firing.
    double fireTime() const;
    void setFireTime(double time);

private:
    friend class RunLoop;

    const double m_interval;
    const bool m_repeats;
    mutable std::mutex m_mutex;
    std::shared_ptr<Block> m_block;
    RunLoop* m_runLoop {nullptr};
    double m_fireTime {0};
    uint64_t m_sequence {0};
    bool m_valid {true};
};

} // namespace foundation
