#include "platform/ui/TapGestureRecognizer.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace ui {

std::shared_ptr<TapGestureRecognizer> TapGestureRecognizer::create(Action action)
{
    return std::make_shared<TapGestureRecognizer>(std::move(action));
}

TapGestureRecognizer::~TapGestureRecognizer()
{
    if (m_timer)
        m_timer->invalidate();
}

void TapGestureRecognizer::startTimer(double seconds)
{
    if (m_timer)
        m_timer->invalidate();
    std::weak_ptr<GestureRecognizer> weak = weak_from_this();
    m_timer = foundation::RunLoop::main().performAfter(seconds, [weak] {
        if (auto self = std::static_pointer_cast<TapGestureRecognizer>(weak.lock()))
            if (self->state() == GestureState::Possible && !self->isWaitingForFailures())
                self->fail();
    });
}

void TapGestureRecognizer::fail()
{
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
    setState(GestureState::Failed);
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
    startTimer(kMaxTapDuration);
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
        if (m_timer)
            m_timer->invalidate();
        m_timer.reset();
        setState(GestureState::Recognized);
        return;
    }
    startTimer(kMultiTapInterval);
}

void TapGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    fail();
}

void TapGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
    m_tapsDone = 0;
    m_maxTouches = 0;
}

} // namespace ui
