#include "platform/ui/LongPressGestureRecognizer.h"

#include "platform/ui/Touch.h"

#include <cmath>

namespace ui {

std::shared_ptr<LongPressGestureRecognizer> LongPressGestureRecognizer::create(Action action)
{
    return std::make_shared<LongPressGestureRecognizer>(std::move(action));
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
    scheduleTimer(m_minimumDuration, [](GestureRecognizer& self) {
        static_cast<LongPressGestureRecognizer&>(self).setState(GestureState::Began);
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
        cancelTimer();
        setState(GestureState::Failed);
    }
}

void LongPressGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (!liveTouches().empty())
        return;
    cancelTimer();
    setState(isActive() ? GestureState::Ended : GestureState::Failed);
}

void LongPressGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    cancelTimer();
    setState(isActive() ? GestureState::Cancelled : GestureState::Failed);
}

} // namespace ui
