#include "platform/foundation/Timer.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>

namespace foundation {

namespace {
// A repeating timer with no period would spin the loop forever.
constexpr double kMinimumRepeatInterval = 0.0001;
} // namespace

std::shared_ptr<Timer> Timer::create(double interval, bool repeats, Block block)
{
    return std::make_shared<Timer>(interval, repeats, std::move(block));
}

std::shared_ptr<Timer> Timer::scheduled(double interval, bool repeats, Block block)
{
    auto timer = create(interval, repeats, std::move(block));
    RunLoop::main().addTimer(timer);
    return timer;
}

Timer::Timer(double interval, bool repeats, Block block)
    : m_interval(repeats ? std::max(interval, kMinimumRepeatInterval) : std::max(interval, 0.0))
    , m_repeats(repeats)
    , m_block(std::make_shared<Block>(std::move(block)))
{ }

void Timer::invalidate()
{
    auto self = weak_from_this().lock();
    std::shared_ptr<Block> released;
    RunLoop* runLoop = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (!m_valid)
            return;
        m_valid = false;
        released = std::move(m_block);
        runLoop = m_runLoop;
    }
    if (runLoop)
        runLoop->removeTimer(*this);
    // `released` goes last, outside the lock: the captures' destructors may touch this timer.
}

void Timer::fire()
{
    auto self = weak_from_this().lock();
    std::shared_ptr<Block> block;
    {
        std::lock_guard lock(m_mutex);
        if (!m_valid)
            return;
        block = m_block;
    }
    (*block)(*this);
    if (!m_repeats)
        invalidate();
}

bool Timer::isValid() const
{
    std::lock_guard lock(m_mutex);
    return m_valid;
}

double Timer::fireTime() const
{
    std::lock_guard lock(m_mutex);
    return m_fireTime;
}

void Timer::setFireTime(double time)
{
    RunLoop* runLoop = nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_fireTime = time;
        runLoop = m_runLoop;
    }
    if (runLoop)
        runLoop->wakeUp();
}

} // namespace foundation
