#include "platform/ui/Control.h"

#include "platform/ui/Event.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"

#include <algorithm>

namespace ui {

std::shared_ptr<Control> Control::create(graphics::Rect frame)
{
    return std::make_shared<Control>(frame);
}

Control::Control(graphics::Rect frame)
    : View(frame)
{ }

Control::~Control() = default;

void Control::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled && m_highlighted)
        setHighlighted(false);
    setNeedsDisplay();
}

void Control::setSelected(bool selected)
{
    m_selected = selected;
    setNeedsDisplay();
}

void Control::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setNeedsDisplay();
}

ControlState Control::state() const
{
    ControlState s = ControlState::Normal;
    if (m_highlighted)
        s = s | ControlState::Highlighted;
    if (!m_enabled)
        s = s | ControlState::Disabled;
    if (m_selected)
        s = s | ControlState::Selected;
    return s;
}

Control::ActionId Control::addAction(ControlEvents events, Action action)
{
    ActionId id = m_nextId++;
    m_actions.push_back({id, events, false, {}, nullptr, std::move(action)});
    return id;
}

Control::ActionId Control::addTarget(std::weak_ptr<void> target, ControlEvents events, Action action)
{
    ActionId id = m_nextId++;
    const void* key = target.lock().get();
    m_actions.push_back({id, events, true, std::move(target), key, std::move(action)});
    return id;
}

void Control::removeAction(ActionId id)
{
    std::erase_if(m_actions, [id](const Entry& e) { return e.id == id; });
}

void Control::removeTarget(const void* target, ControlEvents events)
{
    for (auto& entry : m_actions) {
        if (target == nullptr || entry.targetKey == target)
            entry.events = entry.events & ~events;
    }
    std::erase_if(m_actions, [](const Entry& e) { return !any(e.events); });
}

ControlEvents Control::allControlEvents() const
{
    ControlEvents all = ControlEvents::None;
    for (auto& entry : m_actions)
        all = all | entry.events;
    return all;
}

size_t Control::actionCount(ControlEvents events) const
{
    return std::count_if(
        m_actions.begin(), m_actions.end(), [&](const Entry& e) { return any(e.events & events); });
}

void Control::sendActionsForControlEvents(ControlEvents events)
{
    dispatch(events, nullptr);
}

void Control::dispatch(ControlEvents events, const Event* event)
{
    // Actions may remove themselves, other actions or this control while they run.
    auto protector = sharedAs<Control>();
    std::vector<Entry> snapshot;
    for (auto& entry : m_actions) {
        if (any(entry.events & events))
            snapshot.push_back(entry);
    }
    for (auto& entry : snapshot) {
        if (entry.hasTarget && entry.target.expired())
            continue;
        bool stillRegistered = std::any_of(m_actions.begin(), m_actions.end(),
            [&](const Entry& e) { return e.id == entry.id && any(e.events & events); });
        if (!stillRegistered)
            continue;
        sendAction(entry.action, event);
    }
}

void Control::sendAction(const Action& action, const Event* event)
{
    if (!action)
        return;
    auto protector = sharedAs<Control>();
    const Event* previous = m_currentEvent;
    m_currentEvent = event;
    action(*this);
    m_currentEvent = previous;
}

bool Control::beginTracking(const Touch&, const Event*)
{
    return true;
}
bool Control::continueTracking(const Touch&, const Event*)
{
    return true;
}
void Control::endTracking(const Touch*, const Event*)
{ }
void Control::cancelTracking(const Event*)
{ }

bool Control::touchIsInside(const Touch& touch) const
{
    graphics::Point p = touch.locationInView(this);
    return bounds().insetBy(-kTouchInsideMargin, -kTouchInsideMargin).contains(p);
}

void Control::touchesBegan(const TouchSet& touches, const Event* event)
{
    if (touches.empty() || !m_enabled)
        return;
    auto protector = sharedAs<Control>();
    const Touch& touch = *touches.front();
    m_touchInside = true;
    m_tracking = true;
    setHighlighted(true);
    m_tracking = beginTracking(touch, event);
    ControlEvents events = ControlEvents::TouchDown;
    if (touch.tapCount() > 1)
        events = events | ControlEvents::TouchDownRepeat;
    dispatch(events, event);
}

void Control::touchesMoved(const TouchSet& touches, const Event* event)
{
    if (touches.empty() || !m_tracking)
        return;
    auto protector = sharedAs<Control>();
    const Touch& touch = *touches.front();
    bool wasInside = m_touchInside;
    m_touchInside = touchIsInside(touch);
    setHighlighted(m_touchInside);
    m_tracking = continueTracking(touch, event);
    ControlEvents events = m_touchInside ? ControlEvents::TouchDragInside : ControlEvents::TouchDragOutside;
    if (m_touchInside && !wasInside)
        events = events | ControlEvents::TouchDragEnter;
    if (!m_touchInside && wasInside)
        events = events | ControlEvents::TouchDragExit;
    dispatch(events, event);
    if (!m_tracking)
        setHighlighted(false);
}

void Control::touchesEnded(const TouchSet& touches, const Event* event)
{
    if (touches.empty())
        return;
    auto protector = sharedAs<Control>();
    bool wasTracking = m_tracking;
    const Touch& touch = *touches.front();
    m_touchInside = touchIsInside(touch);
    m_tracking = false;
    if (m_highlighted)
        setHighlighted(false);
    if (!wasTracking)
        return;
    endTracking(&touch, event);
    dispatch(m_touchInside ? ControlEvents::TouchUpInside : ControlEvents::TouchUpOutside, event);
    m_touchInside = false;
}

void Control::touchesCancelled(const TouchSet&, const Event* event)
{
    auto protector = sharedAs<Control>();
    bool wasTracking = m_tracking;
    m_tracking = false;
    m_touchInside = false;
    if (m_highlighted)
        setHighlighted(false);
    if (!wasTracking)
        return;
    cancelTracking(event);
    dispatch(ControlEvents::TouchCancel, event);
}

bool Control::allowsAncestorGestureRecognizer(const GestureRecognizer& recognizer) const
{
    auto* tap = dynamic_cast<const TapGestureRecognizer*>(&recognizer);
    return !(tap && tap->numberOfTapsRequired() == 1 && tap->numberOfTouchesRequired() == 1);
}

std::shared_ptr<View> Control::hitTest(graphics::Point point, const Event* event)
{
    if (!m_enabled)
        return nullptr;
    return View::hitTest(point, event);
}

} // namespace ui
