#include "platform/foundation/RunLoop.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/Timer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace foundation {

namespace {
// Bounds how often one instant may be re-run when work keeps scheduling more work for "now".
constexpr int kMaxSettlePasses = 1000;
} // namespace

RunLoop& RunLoop::main()
{
    // Never destroyed: workers of queues that live to the end of the process (the global queue's
    // among them) may still post to it while static objects are being destroyed at exit.
    static RunLoop* loop = new RunLoop;
    return *loop;
}

RunLoop::RunLoop()
    : m_clock(std::make_shared<RealClock>())
    , m_mainThread(std::this_thread::get_id())
{ }

RunLoop::~RunLoop()
{
    // Timers may outlive the loop (held by objects destroyed later); they must not call back.
    std::lock_guard lock(m_mutex);
    for (const auto& timer : m_timers) {
        std::lock_guard timerLock(timer->m_mutex);
        timer->m_runLoop = nullptr;
    }
}

void RunLoop::setClock(std::shared_ptr<Clock> clock)
{
    std::lock_guard lock(m_mutex);
    m_clock = clock ? std::move(clock) : std::make_shared<RealClock>();
}

std::shared_ptr<Clock> RunLoop::clock() const
{
    std::lock_guard lock(m_mutex);
    return m_clock;
}

double RunLoop::now() const
{
    return clock()->now();
}

void RunLoop::post(std::function<void()> work)
{
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(work));
    }
    m_wake.notify_all();
}

std::shared_ptr<Timer> RunLoop::performAfter(double delay, std::function<void()> work)
{
    auto timer = Timer::create(delay, false, [work = std::move(work)](Timer&) { work(); });
    addTimer(timer);
    return timer;
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer)
{
    {
        std::lock_guard timerLock(timer->m_mutex);
        if (!timer->m_valid)
            return;
        timer->m_runLoop = this;
    }
    double fireTime = now() + timer->interval();
    timer->setFireTime(fireTime);
    {
        std::lock_guard lock(m_mutex);
        if (std::find(m_timers.begin(), m_timers.end(), timer) == m_timers.end()) {
            timer->m_sequence = m_nextTimerSequence++;
            m_timers.push_back(timer);
        }
        m_wakeRequested = true;
    }
    m_wake.notify_all();
}

void RunLoop::removeTimer(const Timer& timer)
{
    std::vector<std::shared_ptr<Timer>> removed;
    {
        std::lock_guard lock(m_mutex);
        auto it = std::stable_partition(
            m_timers.begin(), m_timers.end(), [&](const auto& t) { return t.get() != &timer; });
        removed.assign(std::make_move_iterator(it), std::make_move_iterator(m_timers.end()));
        m_timers.erase(it, m_timers.end());
    }
}

std::optional<double> RunLoop::nextTimerFireTime() const
{
    std::lock_guard lock(m_mutex);
    std::optional<double> next;
    for (const auto& timer : m_timers) {
        double time = timer->fireTime();
        if (!next || time < *next)
            next = time;
    }
    return next;
}

uint64_t RunLoop::addFrameCallback(std::function<void(double now)> callback)
{
    uint64_t id;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextFrameCallbackId++;
        m_frameCallbacks.emplace(id, std::make_shared<std::function<void(double)>>(std::move(callback)));
        m_wakeRequested = true;
    }
    m_wake.notify_all();
    return id;
}

void RunLoop::removeFrameCallback(uint64_t id)
{
    std::shared_ptr<std::function<void(double)>> removed;
    std::lock_guard lock(m_mutex);
    auto it = m_frameCallbacks.find(id);
    if (it != m_frameCallbacks.end()) {
        removed = std::move(it->second);
        m_frameCallbacks.erase(it);
    }
}

bool RunLoop::hasFrameCallbacks() const
{
    std::lock_guard lock(m_mutex);
    return !m_frameCallbacks.empty();
}

bool RunLoop::drainPosted()
{
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(m_mutex);
        batch.swap(m_posted);
    }
    // Work posted while this batch runs waits for the next pass, so a block that re-posts itself
    // cannot starve timers.
    for (auto& work : batch)
        work();
    return !batch.empty();
}

bool RunLoop::fireDueTimers()
{
    bool fired = false;
    uint64_t sequenceLimit;
    {
        std::lock_guard lock(m_mutex);
        sequenceLimit = m_nextTimerSequence;
    }
    for (;;) {
        std::shared_ptr<Timer> due;
        {
            std::lock_guard lock(m_mutex);
            const double now = m_clock->now();
            double best = std::numeric_limits<double>::infinity();
            for (const auto& timer : m_timers) {
                double time = timer->fireTime();
                if (timer->m_sequence >= sequenceLimit || time > now)
                    continue;
                if (time < best || (time == best && timer->m_sequence < due->m_sequence)) {
                    best = time;
                    due = timer;
                }
            }
            if (!due)
                break;
            if (due->repeats()) {
                // Keep the period: the next fire is on the original grid, skipping missed beats.
                double next = best + due->interval();
                if (next <= now)
                    next += std::ceil((now - next) / due->interval() + 1e-9) * due->interval();
                if (next <= now)
                    next += due->interval();
                std::lock_guard timerLock(due->m_mutex);
                due->m_fireTime = next;
            } else {
                m_timers.erase(std::find(m_timers.begin(), m_timers.end(), due));
            }
        }
        due->fire();
        fired = true;
    }
    return fired;
}

void RunLoop::stepFrameCallbacks()
{
    std::vector<uint64_t> ids;
    double now;
    {
        std::lock_guard lock(m_mutex);
        now = m_clock->now();
        for (const auto& entry : m_frameCallbacks)
            ids.push_back(entry.first);
    }
    for (uint64_t id : ids) {
        std::shared_ptr<std::function<void(double)>> callback;
        {
            std::lock_guard lock(m_mutex);
            auto it = m_frameCallbacks.find(id);
            if (it == m_frameCallbacks.end())
                continue;
            callback = it->second;
        }
        (*callback)(now);
    }
}

void RunLoop::settle()
{
    for (int pass = 0; pass < kMaxSettlePasses; ++pass) {
        bool didWork = drainPosted();
        didWork |= fireDueTimers();
        if (!didWork)
            break;
    }
}

void RunLoop::runOnce()
{
    drainPosted();
    fireDueTimers();
    stepFrameCallbacks();
}

void RunLoop::wakeUp()
{
    {
        std::lock_guard lock(m_mutex);
        m_wakeRequested = true;
    }
    m_wake.notify_all();
}

void RunLoop::waitForNextEvent(double maxSeconds)
{
    std::unique_lock lock(m_mutex);
    double wait = maxSeconds;
    if (!m_frameCallbacks.empty())
        wait = std::min(wait, kFrameInterval);
    if (!m_clock->isManual()) {
        const double now = m_clock->now();
        for (const auto& timer : m_timers)
            wait = std::min(wait, timer->fireTime() - now);
    }
    if (wait > 0 && m_posted.empty() && !m_wakeRequested) {
        m_wake.wait_for(
            lock, std::chrono::duration<double>(wait), [&] { return !m_posted.empty() || m_wakeRequested; });
    }
    m_wakeRequested = false;
}

void RunLoop::runFor(double seconds)
{
    auto manual = std::dynamic_pointer_cast<ManualClock>(clock());
    if (!manual) {
        const double end = now() + seconds;
        for (;;) {
            runOnce();
            const double remaining = end - now();
            if (remaining <= 0)
                break;
            waitForNextEvent(remaining);
        }
        return;
    }

    const double end = manual->now() + seconds;
    for (;;) {
        settle();
        if (hasFrameCallbacks()) {
            stepFrameCallbacks();
            settle();
        }
        const double current = manual->now();
        if (current >= end)
            break;
        double next = end;
        if (auto timerTime = nextTimerFireTime())
            next = std::min(next, *timerTime);
        if (hasFrameCallbacks())
            next = std::min(next, current + kFrameInterval);
        manual->setNow(std::max(next, current));
    }
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, double realTimeoutSeconds)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now()
        + duration_cast<steady_clock::duration>(duration<double>(std::max(realTimeoutSeconds, 0.0)));
    for (;;) {
        if (predicate())
            return true;
        runOnce();
        if (predicate())
            return true;
        const double remaining = duration<double>(deadline - steady_clock::now()).count();
        if (remaining <= 0)
            return false;
        // Re-check now and then: the predicate may watch state that changes without a post.
        waitForNextEvent(std::min(remaining, 0.01));
    }
}

bool RunLoop::isMainThread() const
{
    std::lock_guard lock(m_mutex);
    return std::this_thread::get_id() == m_mainThread;
}

void RunLoop::setMainThread(std::thread::id id)
{
    std::lock_guard lock(m_mutex);
    m_mainThread = id;
}

void RunLoop::reset()
{
    std::deque<std::function<void()>> posted;
    std::vector<std::shared_ptr<Timer>> timers;
    std::map<uint64_t, std::shared_ptr<std::function<void(double)>>> frameCallbacks;
    {
        std::lock_guard lock(m_mutex);
        posted.swap(m_posted);
        timers.swap(m_timers);
        frameCallbacks.swap(m_frameCallbacks);
        m_clock = std::make_shared<RealClock>();
        m_mainThread = std::this_thread::get_id();
        m_wakeRequested = false;
    }
    for (const auto& timer : timers)
        timer->invalidate();
}

} // namespace foundation
