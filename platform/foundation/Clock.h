#pragma once

#include <atomic>

namespace foundation {

// A monotonic time source in seconds. Everything timed reads the run loop's clock, so tests can
// swap in a ManualClock and step time deterministically.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    // A manual clock only moves when told to; the run loop advances it itself in runFor().
    virtual bool isManual() const { return false; }
};

class RealClock final : public Clock {
public:
    double now() const override;
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 0)
        : m_now(start)
    { }
    double now() const override { return m_now.load(); }
    bool isManual() const override { return true; }
    void advance(double seconds) { m_now.store(m_now.load() + seconds); }
    void setNow(double seconds) { m_now.store(seconds); }

private:
    std::atomic<double> m_now;
};

} // namespace foundation
