#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace foundation {
class Timer;
}

namespace ui {

enum class GestureState { Possible, Began, Changed, Ended, Cancelled, Failed, Recognized = Ended };

// Base of the recognisers. Subclasses read the touches delivered to them and move the state;
// the touch dispatcher applies failure requirements (a recogniser that must wait for another to
// fail holds its recognition until then), exclusivity between recognisers and the delegate.
class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
public:
    using Action = std::function<void(GestureRecognizer&)>;

    explicit GestureRecognizer(Action action = {});
    virtual ~GestureRecognizer();
    GestureRecognizer(const GestureRecognizer&) = delete;
    GestureRecognizer& operator=(const GestureRecognizer&) = delete;

    virtual const char* className() const { return "GestureRecognizer"; }

    // Several actions may be added; each runs on began, changed, ended (recognized) and cancelled.
    uint64_t addTarget(Action action);
    void removeTarget(uint64_t id);
    void removeAllTargets();

    GestureState state() const { return m_state; }
    std::shared_ptr<View> view() const { return m_view.lock(); }
    bool isEnabled() const { return m_enabled; }
    // Turning it off while active cancels it.
    void setEnabled(bool enabled);
    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }
    bool delaysTouchesBegan() const { return m_delaysTouchesBegan; }
    void setDelaysTouchesBegan(bool delays) { m_delaysTouchesBegan = delays; }
    bool delaysTouchesEnded() const { return m_delaysTouchesEnded; }
    void setDelaysTouchesEnded(bool delays) { m_delaysTouchesEnded = delays; }

    std::weak_ptr<GestureRecognizerDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<GestureRecognizerDelegate> delegate) { m_delegate = std::move(delegate); }

    // This recogniser recognises only once `other` has failed.
    void requireGestureRecognizerToFail(const std::shared_ptr<GestureRecognizer>& other);
    const std::vector<std::weak_ptr<GestureRecognizer>>& failureRequirements() const
    {
        return m_requiredToFail;
    }

    // The centroid of the tracked touches (the last one once they ended), in `view`'s coordinates
    // (nullptr: the window's).
    graphics::Point locationInView(const View* view) const;
    size_t numberOfTouches() const;
    graphics::Point locationOfTouch(size_t index, const View* view) const;

    // The touch dispatcher calls these.
    virtual void touchesBegan(const TouchSet& touches, const Event& event);
    virtual void touchesMoved(const TouchSet& touches, const Event& event);
    virtual void touchesEnded(const TouchSet& touches, const Event& event);
    virtual void touchesCancelled(const TouchSet& touches, const Event& event);
    // Back to Possible, forgetting touches and timers.
    virtual void reset();
    virtual bool canPreventGestureRecognizer(const GestureRecognizer& other) const;
    virtual bool canBePreventedByGestureRecognizer(const GestureRecognizer& other) const;

    // Attached by View::addGestureRecognizer.
    void setView(const std::shared_ptr<View>& view) { m_view = view; }
    const TouchSet& trackedTouches() const { return m_touches; }
    void sendActions();
    // The state the recogniser asked for while it waits for others to fail.
    bool isWaitingForFailures() const { return m_pending.has_value(); }
    bool isActive() const { return m_state == GestureState::Began || m_state == GestureState::Changed; }
    bool isFinished() const
    {
        return m_state == GestureState::Ended || m_state == GestureState::Cancelled
            || m_state == GestureState::Failed;
    }

protected:
    friend class TouchDispatcher;
    // Moves the state; Began / Recognized go through the delegate and the failure requirements.
    void setState(GestureState state);
    void addTrackedTouches(const TouchSet& touches);
    void removeTrackedTouches(const TouchSet& touches);
    graphics::Point lastLocation() const { return m_lastLocation; }
    // Touches of this gesture that have not ended.
    TouchSet liveTouches() const;
    // One pending deadline, replaced by the next and cancelled by reset: `fire` runs after
    // `seconds` only while the recogniser is still possible and waits for no other to fail.
    void scheduleTimer(double seconds, std::function<void(GestureRecognizer&)> fire);
    void cancelTimer();

private:
    std::optional<GestureState> pendingState() const { return m_pending; }
    void setPendingState(std::optional<GestureState> state) { m_pending = state; }
    // Sets the state without the dispatcher's checks.
    void applyState(GestureState state) { m_state = state; }

    struct Target {
        uint64_t id;
        Action action;
    };
    std::vector<Target> m_targets;
    uint64_t m_nextTargetId {1};
    std::weak_ptr<View> m_view;
    std::weak_ptr<GestureRecognizerDelegate> m_delegate;
    std::vector<std::weak_ptr<GestureRecognizer>> m_requiredToFail;
    TouchSet m_touches;
    graphics::Point m_lastLocation; // window coordinates
    std::weak_ptr<Window> m_lastWindow;
    std::optional<GestureState> m_pending;
    std::shared_ptr<foundation::Timer> m_timer;
    GestureState m_state {GestureState::Possible};
    bool m_enabled {true};
    bool m_cancelsTouchesInView {true};
    bool m_delaysTouchesBegan {false};
    bool m_delaysTouchesEnded {true};
};

} // namespace ui
