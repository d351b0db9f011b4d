#include "platform/ui/PinchGestureRecognizer.h"

#include "platform/ui/Event.h"
#include "platform/ui/Touch.h"

#include <cmath>

namespace ui {

std::shared_ptr<PinchGestureRecognizer> PinchGestureRecognizer::create(Action action)
{
    return std::make_shared<PinchGestureRecognizer>(std::move(action));
}

double PinchGestureRecognizer::fingerDistance() const
{
    auto touches = liveTouches();
    if (touches.size() < 2)
        return 0;
    auto a = touches[0]->locationInWindow(), b = touches[1]->locationInWindow();
    return std::hypot(b.x - a.x, b.y - a.y);
}

double PinchGestureRecognizer::scale() const
{
    double distance = fingerDistance();
    if (distance <= 0 || m_referenceDistance <= 0)
        return m_lastScale;
    return m_scaleBase * distance / m_referenceDistance;
}

void PinchGestureRecognizer::setScale(double scale)
{
    m_scaleBase = scale;
    m_lastScale = scale;
    if (double distance = fingerDistance(); distance > 0)
        m_referenceDistance = distance;
}

void PinchGestureRecognizer::touchesBegan(const TouchSet&, const Event& event)
{
    if (isActive())
        return;
    if (liveTouches().size() > 2) {
        setState(GestureState::Failed);
        return;
    }
    m_startDistance = m_referenceDistance = fingerDistance();
    m_lastTime = event.timestamp();
}

void PinchGestureRecognizer::touchesMoved(const TouchSet&, const Event& event)
{
    double distance = fingerDistance();
    if (distance <= 0 || m_referenceDistance <= 0)
        return;
    double now = event.timestamp();
    double current = scale();
    if (now > m_lastTime)
        m_velocity = (current - m_lastScale) / (now - m_lastTime);
    m_lastScale = current;
    m_lastTime = now;
    if (isActive()) {
        setState(GestureState::Changed);
        return;
    }
    if (std::abs(distance - m_startDistance) >= kHysteresis)
        setState(GestureState::Began);
}

void PinchGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (isActive()) {
        if (liveTouches().size() < 2)
            setState(GestureState::Ended);
        return;
    }
    if (liveTouches().empty())
        setState(GestureState::Failed);
}

void PinchGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(isActive() ? GestureState::Cancelled : GestureState::Failed);
}

void PinchGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    m_startDistance = m_referenceDistance = 0;
    m_scaleBase = m_lastScale = 1;
    m_velocity = 0;
}

} // namespace ui
