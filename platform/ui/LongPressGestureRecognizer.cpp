#include "platform/ui/LongPressGestureRecognizer.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/Touch.h"

#include <cmath>

namespace ui {

std::shared_ptr<LongPressGestureRecognizer> LongPressGestureRecognizer::create(Action action)
{
    return std::make_shared<LongPressGestureRecognizer>(std::move(action));
}

LongPressGestureRecognizer::~LongPressGestureRecognizer()
{
    if (m_timer)
        m_timer->invalidate();
}

void LongPressGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&)
{
    size_t live = liveTouches().size();
    if (live > size_t(m_touchesRequired)) {
        if (isActive())
            setState(GestureState::Cancelled);
        else
            setState(GestureState::Failed);
        return;
    }
    if (live < size_t(m_touchesRequired))
        return;
    m_start = touches.front()->locationInWindow();
    if (m_timer)
        m_timer->invalidate();
    std::weak_ptr<GestureRecognizer> weak = weak_from_this();
    m_timer = foundation::RunLoop::main().performAfter(m_minimumDuration, [weak] {
        if (auto self = weak.lock())
            if (self->state() == GestureState::Possible && !self->isWaitingForFailures())
                static_cast<LongPressGestureRecognizer&>(*self).setState(GestureState::Began);
    });
}

void LongPressGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&)
{
    if (isActive()) {
        setState(GestureState::Changed);
        return;
    }
    graphics::Point p = touches.front()->locationInWindow();
    if (std::hypot(p.x - m_start.x, p.y - m_start.y) > m_allowableMovement) {
        if (m_timer)
            m_timer->invalidate();
        setState(GestureState::Failed);
    }
}

void LongPressGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (!liveTouches().empty())
        return;
    if (m_timer)
        m_timer->invalidate();
    setState(isActive() ? GestureState::Ended : GestureState::Failed);
}

void LongPressGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    if (m_timer)
        m_timer->invalidate();
    setState(isActive() ? GestureState::Cancelled : GestureState::Failed);
}

void LongPressGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
}

} // namespace ui
