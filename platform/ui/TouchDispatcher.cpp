#include "platform/ui/TouchDispatcher.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/Event.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

double now()
{
    return foundation::RunLoop::main().now();
}

std::optional<bool> ask(const GestureRecognizer& r,
    const std::function<std::optional<bool>(GestureRecognizerDelegate&)>& question)
{
    if (auto delegate = r.delegate().lock())
        return question(*delegate);
    return std::nullopt;
}

// A control under the touches keeps its own default gesture (a single tap) from recognisers of the
// views around it, as on the platform.
bool touchedControlsAllow(const GestureRecognizer& r)
{
    auto owner = r.view();
    for (const auto& touch : r.trackedTouches()) {
        auto* control = dynamic_cast<Control*>(touch->view().get());
        if (control && control != owner.get() && !control->allowsAncestorGestureRecognizer(r))
            return false;
    }
    return true;
}

bool isRecognized(GestureState s)
{
    return s == GestureState::Began || s == GestureState::Changed || s == GestureState::Ended;
}

} // namespace

// Keeps recogniser state changes made during a dispatch from resetting recognisers mid-way.
struct DepthGuard {
    explicit DepthGuard(int& depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    int& m_depth;
};

std::shared_ptr<Touch> TouchDispatcher::touchDown(graphics::Point screenPoint)
{
    if (Application::shared().isIgnoringInteractionEvents())
        return nullptr;
    auto windows = Application::shared().windows();
    std::shared_ptr<Window> window;
    std::shared_ptr<View> hit;
    graphics::Point local;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->isHidden())
            continue;
        local = (*it)->layer().modelState().fromSuperview(screenPoint);
        if (auto view = (*it)->hitTest(local, nullptr)) {
            window = *it;
            hit = view;
            break;
        }
    }
    if (!hit)
        return nullptr;

    auto touch = Touch::create();
    touch->setWindow(window);
    touch->setView(hit);
    touch->resetLocation(local);
    touch->setTimestamp(now());
    touch->setPhase(TouchPhase::Began);
    bool nearLastTap
        = std::hypot(local.x - m_lastTapLocation.x, local.y - m_lastTapLocation.y) < kMultiTapDistance;
    touch->setTapCount(now() - m_lastTapTime <= kMultiTapInterval && nearLastTap ? m_lastTapCount + 1 : 1);

    for (auto view = hit; view; view = view->superview()) {
        for (const auto& recognizer : view->gestureRecognizers()) {
            if (!recognizer->isEnabled())
                continue;
            if (recognizer->isFinished() && !recognizer->liveTouches().empty())
                continue;
            if (ask(*recognizer,
                    [&](auto& d) { return d.gestureRecognizerShouldReceiveTouch(*recognizer, *touch); })
                == false)
                continue;
            touch->mutableGestureRecognizers().push_back(recognizer);
            if (std::find(m_active.begin(), m_active.end(), recognizer) == m_active.end())
                m_active.push_back(recognizer);
        }
    }
    m_live.push_back(touch);
    dispatch(touch, Phase::Began);
    return touch;
}

void TouchDispatcher::touchMoved(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint)
{
    if (!touch || touch->phase() == TouchPhase::Ended || touch->phase() == TouchPhase::Cancelled)
        return;
    auto window = touch->window();
    touch->setLocationInWindow(
        window ? window->layer().modelState().fromSuperview(screenPoint) : screenPoint);
    touch->setTimestamp(now());
    touch->setPhase(TouchPhase::Moved);
    dispatch(touch, Phase::Moved);
}

void TouchDispatcher::touchUp(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint)
{
    if (!touch || touch->phase() == TouchPhase::Ended || touch->phase() == TouchPhase::Cancelled)
        return;
    auto window = touch->window();
    graphics::Point local = window ? window->layer().modelState().fromSuperview(screenPoint) : screenPoint;
    if (local != touch->locationInWindow())
        touch->setLocationInWindow(local);
    touch->setTimestamp(now());
    touch->setPhase(TouchPhase::Ended);
    m_lastTapTime = now();
    m_lastTapLocation = local;
    m_lastTapCount = touch->tapCount();
    m_live.erase(std::remove(m_live.begin(), m_live.end(), touch), m_live.end());
    dispatch(touch, Phase::Ended);
}

void TouchDispatcher::touchCancelled(const std::shared_ptr<Touch>& touch)
{
    if (!touch || touch->phase() == TouchPhase::Ended || touch->phase() == TouchPhase::Cancelled)
        return;
    touch->setTimestamp(now());
    touch->setPhase(TouchPhase::Cancelled);
    m_live.erase(std::remove(m_live.begin(), m_live.end(), touch), m_live.end());
    dispatch(touch, Phase::Cancelled);
}

void TouchDispatcher::dispatch(const std::shared_ptr<Touch>& touch, Phase phase)
{
    {
        DepthGuard guard(m_depth);
        auto previous = m_current;
        m_current = touch;
        Event event(touch->timestamp(), {touch});
        TouchSet touches {touch};
        for (const auto& weak : touch->gestureRecognizers()) {
            auto recognizer = weak.lock();
            if (!recognizer || !recognizer->isEnabled() || recognizer->isWaitingForFailures())
                continue;
            if (recognizer->state() != GestureState::Possible && !recognizer->isActive())
                continue;
            recognizer->addTrackedTouches(touches);
            recognizer->m_lastLocation = touch->locationInWindow();
            recognizer->m_lastWindow = touch->window();
            switch (phase) {
            case Phase::Began:
                recognizer->touchesBegan(touches, event);
                break;
            case Phase::Moved:
                recognizer->touchesMoved(touches, event);
                break;
            case Phase::Ended:
                recognizer->touchesEnded(touches, event);
                break;
            case Phase::Cancelled:
                recognizer->touchesCancelled(touches, event);
                break;
            }
        }
        if (phase == Phase::Began && isHeldBack(*touch)) {
            touch->setDelayedForView(true);
            m_held.push_back(touch);
        } else if (!touch->isDelayedForView()) {
            deliverToView(touch, phase);
        }
        m_current = previous;
    }
    cleanup();
}

void TouchDispatcher::deliverToView(const std::shared_ptr<Touch>& touch, Phase phase)
{
    auto view = touch->view();
    if (!view || touch->isCancelledForView())
        return;
    Event event(touch->timestamp(), {touch});
    TouchSet touches {touch};
    switch (phase) {
    case Phase::Began:
        view->touchesBegan(touches, &event);
        break;
    case Phase::Moved:
        view->touchesMoved(touches, &event);
        break;
    case Phase::Ended:
        view->touchesEnded(touches, &event);
        break;
    case Phase::Cancelled:
        view->touchesCancelled(touches, &event);
        break;
    }
}

bool TouchDispatcher::isHeldBack(const Touch& touch) const
{
    for (const auto& weak : touch.gestureRecognizers()) {
        auto recognizer = weak.lock();
        if (recognizer && recognizer->isEnabled() && recognizer->delaysTouchesBegan()
            && recognizer->state() == GestureState::Possible)
            return true;
    }
    return false;
}

void TouchDispatcher::releaseHeldTouches()
{
    // Once no recogniser holds a touch back any more, its view gets what it missed: the
    // beginning, and the end when the finger already lifted.
    auto held = m_held;
    for (const auto& touch : held) {
        if (!touch->isCancelledForView() && isHeldBack(*touch))
            continue;
        m_held.erase(std::remove(m_held.begin(), m_held.end(), touch), m_held.end());
        touch->setDelayedForView(false);
        deliverToView(touch, Phase::Began);
        if (touch->phase() == TouchPhase::Ended)
            deliverToView(touch, Phase::Ended);
        else if (touch->phase() == TouchPhase::Cancelled)
            deliverToView(touch, Phase::Cancelled);
    }
}

std::vector<std::shared_ptr<GestureRecognizer>> TouchDispatcher::requirementsOf(GestureRecognizer& r) const
{
    std::vector<std::shared_ptr<GestureRecognizer>> result;
    for (const auto& weak : r.failureRequirements())
        if (auto other = weak.lock())
            result.push_back(other);
    for (const auto& other : m_active) {
        if (other.get() == &r || std::find(result.begin(), result.end(), other) != result.end())
            continue;
        if (ask(r, [&](auto& d) { return d.gestureRecognizerShouldRequireFailureOf(r, *other); }) == true
            || ask(*other, [&](auto& d) { return d.gestureRecognizerShouldBeRequiredToFailBy(*other, r); })
                == true)
            result.push_back(other);
    }
    return result;
}

TouchDispatcher::Requirement TouchDispatcher::requirementState(GestureRecognizer& r) const
{
    // Any recogniser it requires to fail that recognised wins over waiting for the others.
    bool mustWait = false;
    for (const auto& other : requirementsOf(r)) {
        if (!isInvolved(*other))
            continue;
        if (isRecognized(other->state()))
            return Requirement::Fail;
        if (other->state() == GestureState::Possible)
            mustWait = true;
    }
    return mustWait ? Requirement::Wait : Requirement::Met;
}

bool TouchDispatcher::isInvolved(const GestureRecognizer& recognizer) const
{
    return std::any_of(
        m_active.begin(), m_active.end(), [&](const auto& r) { return r.get() == &recognizer; });
}

bool TouchDispatcher::canRunTogether(GestureRecognizer& a, GestureRecognizer& b) const
{
    if (ask(a, [&](auto& d) { return d.gestureRecognizerShouldRecognizeSimultaneouslyWith(a, b); }) == true)
        return true;
    if (ask(b, [&](auto& d) { return d.gestureRecognizerShouldRecognizeSimultaneouslyWith(b, a); }) == true)
        return true;
    return !a.canPreventGestureRecognizer(b) || !b.canBePreventedByGestureRecognizer(a);
}

bool TouchDispatcher::shareTouches(const GestureRecognizer& a, const GestureRecognizer& b) const
{
    for (const auto& touch : a.trackedTouches())
        if (std::find(b.trackedTouches().begin(), b.trackedTouches().end(), touch)
            != b.trackedTouches().end())
            return true;
    return false;
}

void TouchDispatcher::requestState(GestureRecognizer& r, GestureState state)
{
    auto protector = r.shared_from_this();
    GestureState current = r.state();
    switch (state) {
    case GestureState::Began:
    case GestureState::Ended:
        if (current == GestureState::Possible) {
            if (r.isWaitingForFailures()) {
                r.setPendingState(state);
                break;
            }
            if (!touchedControlsAllow(r)
                || ask(r, [&](auto& d) { return d.gestureRecognizerShouldBegin(r); }) == false) {
                fail(r);
                break;
            }
            Requirement requirement = requirementState(r);
            if (requirement == Requirement::Fail) {
                fail(r);
            } else if (requirement == Requirement::Wait) {
                r.setPendingState(state);
            } else {
                recognize(r, state);
            }
        } else if (r.isActive() && state == GestureState::Ended) {
            r.applyState(GestureState::Ended);
            r.sendActions();
        }
        break;
    case GestureState::Changed:
        if (r.isActive()) {
            r.applyState(GestureState::Changed);
            r.sendActions();
        }
        break;
    case GestureState::Cancelled:
        if (r.isActive()) {
            r.applyState(GestureState::Cancelled);
            r.sendActions();
        } else if (r.state() == GestureState::Possible) {
            fail(r);
        }
        break;
    case GestureState::Failed:
        if (r.state() == GestureState::Possible)
            fail(r);
        break;
    case GestureState::Possible:
        break;
    }
    if (m_depth == 0)
        cleanup();
}

void TouchDispatcher::recognize(GestureRecognizer& r, GestureState state)
{
    // Another recogniser already running on these touches wins unless both may run together.
    for (const auto& other : m_active) {
        if (other.get() != &r && other->isActive() && shareTouches(r, *other) && !canRunTogether(*other, r)) {
            fail(r);
            return;
        }
    }
    r.setPendingState(std::nullopt);
    r.applyState(state);
    // The others on the same touches that may not run alongside fail now.
    auto active = m_active;
    for (const auto& other : active) {
        if (other.get() == &r || other->state() != GestureState::Possible)
            continue;
        if (!shareTouches(r, *other) || canRunTogether(r, *other))
            continue;
        fail(*other);
    }
    if (r.cancelsTouchesInView()) {
        for (const auto& touch : r.trackedTouches()) {
            // Ended touches were already delivered to their view, except the one being dispatched.
            bool ended = touch->phase() == TouchPhase::Ended || touch->phase() == TouchPhase::Cancelled;
            if (touch->isCancelledForView() || (ended && touch != m_current))
                continue;
            touch->setCancelledForView(true);
            // A touch still held back never reached its view: there is nothing to cancel.
            if (touch->isDelayedForView())
                continue;
            if (auto view = touch->view()) {
                Event event(now(), {touch});
                view->touchesCancelled({touch}, &event);
            }
        }
    }
    r.sendActions();
    reevaluateWaiting();
}

void TouchDispatcher::fail(GestureRecognizer& r)
{
    if (r.state() == GestureState::Failed)
        return;
    r.setPendingState(std::nullopt);
    r.applyState(GestureState::Failed);
    reevaluateWaiting();
}

void TouchDispatcher::reevaluateWaiting()
{
    auto active = m_active;
    for (const auto& waiting : active) {
        if (!waiting->isWaitingForFailures() || waiting->state() != GestureState::Possible)
            continue;
        Requirement requirement = requirementState(*waiting);
        if (requirement == Requirement::Fail) {
            fail(*waiting);
        } else if (requirement == Requirement::Met) {
            GestureState state = *waiting->pendingState();
            waiting->setPendingState(std::nullopt);
            recognize(*waiting, state);
        }
    }
}

void TouchDispatcher::cleanup()
{
    releaseHeldTouches();
    bool again = true;
    while (again) {
        again = false;
        auto active = m_active;
        for (const auto& recognizer : active) {
            if (!recognizer->isFinished() || !recognizer->liveTouches().empty())
                continue;
            m_active.erase(std::remove(m_active.begin(), m_active.end(), recognizer), m_active.end());
            recognizer->reset();
            again = true;
        }
    }
}

void TouchDispatcher::reset()
{
    auto active = m_active;
    m_active.clear();
    for (const auto& recognizer : active)
        recognizer->reset();
    m_live.clear();
    m_held.clear();
    m_current.reset();
    m_lastTapTime = -1e9;
    m_lastTapCount = 0;
}

} // namespace ui
