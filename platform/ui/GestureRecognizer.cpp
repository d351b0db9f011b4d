#include "platform/ui/GestureRecognizer.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/Touch.h"
#include "platform/ui/TouchDispatcher.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace ui {

GestureRecognizer::GestureRecognizer(Action action)
{
    if (action)
        addTarget(std::move(action));
}

GestureRecognizer::~GestureRecognizer()
{
    cancelTimer();
}

uint64_t GestureRecognizer::addTarget(Action action)
{
    uint64_t id = m_nextTargetId++;
    m_targets.push_back({id, std::move(action)});
    return id;
}

void GestureRecognizer::removeTarget(uint64_t id)
{
    m_targets.erase(
        std::remove_if(m_targets.begin(), m_targets.end(), [id](const Target& t) { return t.id == id; }),
        m_targets.end());
}

void GestureRecognizer::removeAllTargets()
{
    m_targets.clear();
}

void GestureRecognizer::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled) {
        if (isActive())
            setState(GestureState::Cancelled);
        else if (m_state == GestureState::Possible && (!m_touches.empty() || m_pending))
            setState(GestureState::Failed);
    }
}

void GestureRecognizer::requireGestureRecognizerToFail(const std::shared_ptr<GestureRecognizer>& other)
{
    if (other && other.get() != this)
        m_requiredToFail.push_back(other);
}

void GestureRecognizer::sendActions()
{
    auto protector = shared_from_this();
    auto targets = m_targets;
    for (const auto& target : targets)
        if (target.action)
            target.action(*this);
}

void GestureRecognizer::setState(GestureState state)
{
    Application::shared().touchDispatcher().requestState(*this, state);
}

TouchSet GestureRecognizer::liveTouches() const
{
    TouchSet live;
    for (const auto& touch : m_touches)
        if (touch->phase() != TouchPhase::Ended && touch->phase() != TouchPhase::Cancelled)
            live.push_back(touch);
    return live;
}

void GestureRecognizer::addTrackedTouches(const TouchSet& touches)
{
    for (const auto& touch : touches)
        if (std::find(m_touches.begin(), m_touches.end(), touch) == m_touches.end())
            m_touches.push_back(touch);
}

void GestureRecognizer::removeTrackedTouches(const TouchSet& touches)
{
    for (const auto& touch : touches)
        m_touches.erase(std::remove(m_touches.begin(), m_touches.end(), touch), m_touches.end());
}

size_t GestureRecognizer::numberOfTouches() const
{
    return liveTouches().size();
}

namespace {

graphics::Point windowToView(graphics::Point p, const std::shared_ptr<Window>& window, const View* view)
{
    if (!view)
        return p;
    return view->convertPointFromView(p, window.get());
}

} // namespace

graphics::Point GestureRecognizer::locationInView(const View* view) const
{
    auto live = liveTouches();
    if (live.empty())
        return windowToView(m_lastLocation, m_lastWindow.lock(), view);
    graphics::Point sum;
    for (const auto& touch : live)
        sum = sum + touch->locationInWindow();
    graphics::Point centroid = sum * (1.0 / double(live.size()));
    return windowToView(centroid, live.front()->window(), view);
}

graphics::Point GestureRecognizer::locationOfTouch(size_t index, const View* view) const
{
    auto live = liveTouches();
    if (index >= live.size())
        return locationInView(view);
    return live[index]->locationInView(view);
}

void GestureRecognizer::touchesBegan(const TouchSet&, const Event&)
{ }
void GestureRecognizer::touchesMoved(const TouchSet&, const Event&)
{ }
void GestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{ }
void GestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(GestureState::Cancelled);
}

void GestureRecognizer::scheduleTimer(double seconds, std::function<void(GestureRecognizer&)> fire)
{
    cancelTimer();
    std::weak_ptr<GestureRecognizer> weak = weak_from_this();
    m_timer = foundation::RunLoop::main().performAfter(seconds, [weak, fire = std::move(fire)] {
        if (auto self = weak.lock())
            if (self->state() == GestureState::Possible && !self->isWaitingForFailures())
                fire(*self);
    });
}

void GestureRecognizer::cancelTimer()
{
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
}

void GestureRecognizer::reset()
{
    cancelTimer();
    m_state = GestureState::Possible;
    m_pending.reset();
    m_touches.clear();
}

bool GestureRecognizer::canPreventGestureRecognizer(const GestureRecognizer&) const
{
    return true;
}
bool GestureRecognizer::canBePreventedByGestureRecognizer(const GestureRecognizer&) const
{
    return true;
}

} // namespace ui
