#include "platform/ui/PanGestureRecognizer.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Event.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <cmath>

namespace ui {

std::shared_ptr<PanGestureRecognizer> PanGestureRecognizer::create(Action action)
{
    return std::make_shared<PanGestureRecognizer>(std::move(action));
}

namespace {

std::shared_ptr<Window> windowOf(const GestureRecognizer& r)
{
    for (const auto& touch : r.trackedTouches())
        if (auto window = touch->window())
            return window;
    return nullptr;
}

graphics::Point toView(graphics::Point p, const GestureRecognizer& r, const View* view)
{
    if (!view)
        return p;
    return view->convertPointFromView(p, windowOf(r).get());
}

} // namespace

void PanGestureRecognizer::addSample(double time)
{
    m_samples.push_back({time, locationInView(nullptr)});
    while (m_samples.size() > 2 && time - m_samples.front().time > kVelocityWindow)
        m_samples.pop_front();
}

void PanGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event)
{
    if (isActive())
        return;
    if (liveTouches().size() > size_t(m_maxTouches)) {
        setState(GestureState::Failed);
        return;
    }
    m_start = locationInView(nullptr);
    m_samples.clear();
    addSample(event.timestamp());
    if (m_edge == Edge::Left && touches.front()->locationInWindow().x > kEdgeWidth)
        setState(GestureState::Failed);
}

void PanGestureRecognizer::touchesMoved(const TouchSet&, const Event& event)
{
    addSample(event.timestamp());
    if (isActive()) {
        setState(GestureState::Changed);
        return;
    }
    if (liveTouches().size() < size_t(m_minTouches))
        return;
    graphics::Point p = locationInView(nullptr);
    double dx = p.x - m_start.x, dy = p.y - m_start.y;
    if (std::hypot(dx, dy) < kHysteresis)
        return;
    if (m_edge == Edge::Left && !(dx > 0 && std::abs(dx) >= std::abs(dy))) {
        setState(GestureState::Failed);
        return;
    }
    setState(GestureState::Began);
}

void PanGestureRecognizer::touchesEnded(const TouchSet&, const Event& event)
{
    addSample(event.timestamp());
    if (!liveTouches().empty())
        return;
    setState(isActive() ? GestureState::Ended : GestureState::Failed);
}

void PanGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(isActive() ? GestureState::Cancelled : GestureState::Failed);
}

void PanGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    m_samples.clear();
    m_start = {};
}

graphics::Point PanGestureRecognizer::translationInView(const View* view) const
{
    graphics::Point current = locationInView(nullptr);
    return toView(current, *this, view) - toView(m_start, *this, view);
}

void PanGestureRecognizer::setTranslation(graphics::Point translation, const View* view)
{
    graphics::Point current = locationInView(nullptr);
    if (!view) {
        m_start = current - translation;
        return;
    }
    auto window = windowOf(*this);
    graphics::Point startInView = view->convertPointFromView(current, window.get()) - translation;
    m_start = view->convertPointToView(startInView, window.get());
}

graphics::Point PanGestureRecognizer::windowVelocity() const
{
    if (m_samples.size() < 2)
        return {};
    const Sample& first = m_samples.front();
    const Sample& last = m_samples.back();
    double dt = last.time - first.time;
    if (dt <= 0)
        return {};
    return (last.location - first.location) * (1.0 / dt);
}

graphics::Point PanGestureRecognizer::velocityInView(const View* view) const
{
    graphics::Point v = windowVelocity();
    return toView(v, *this, view) - toView({0, 0}, *this, view);
}

} // namespace ui
