#include "platform/ui/TapGestureRecognizer.h"

#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace ui {

std::shared_ptr<TapGestureRecognizer> TapGestureRecognizer::create(Action action)
{
    return std::make_shared<TapGestureRecognizer>(std::move(action));
}

void TapGestureRecognizer::fail()
{
    cancelTimer();
    setState(GestureState::Failed);
}

void TapGestureRecognizer::failLater(double seconds)
{
    scheduleTimer(seconds, [](GestureRecognizer& self) { static_cast<TapGestureRecognizer&>(self).fail(); });
}

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&)
{
    size_t live = liveTouches().size();
    if (live == touches.size()) {
        // A new tap of the sequence.
        m_start = touches.front()->locationInWindow();
        m_maxTouches = 0;
    }
    m_maxTouches = std::max(m_maxTouches, live);
    if (live > size_t(m_touchesRequired)) {
        fail();
        return;
    }
    failLater(kMaxTapDuration);
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&)
{
    graphics::Point p = touches.front()->locationInWindow();
    if (std::hypot(p.x - m_start.x, p.y - m_start.y) > kAllowableMovement)
        fail();
}

void TapGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (!liveTouches().empty())
        return;
    if (m_maxTouches != size_t(m_touchesRequired)) {
        fail();
        return;
    }
    ++m_tapsDone;
    if (m_tapsDone >= m_tapsRequired) {
        cancelTimer();
        setState(GestureState::Recognized);
        return;
    }
    failLater(kMultiTapInterval);
}

void TapGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    fail();
}

void TapGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    m_tapsDone = 0;
    m_maxTouches = 0;
}

} // namespace ui
