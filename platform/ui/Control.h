#pragma once

#include "platform/ui/View.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ui {

// Control events as bits with the platform's values.
enum class ControlEvents : uint32_t {
    None = 0,
    TouchDown = 1u << 0,
    TouchDownRepeat = 1u << 1,
    TouchDragInside = 1u << 2,
    TouchDragOutside = 1u << 3,
    TouchDragEnter = 1u << 4,
    TouchDragExit = 1u << 5,
    TouchUpInside = 1u << 6,
    TouchUpOutside = 1u << 7,
    TouchCancel = 1u << 8,
    ValueChanged = 1u << 12,
    EditingDidBegin = 1u << 16,
    EditingChanged = 1u << 17,
    EditingDidEnd = 1u << 18,
    EditingDidEndOnExit = 1u << 19,
    AllTouchEvents = 0x00000FFFu,
    AllEditingEvents = 0x000F0000u,
    AllEvents = 0xFFFFFFFFu,
};

constexpr ControlEvents operator|(ControlEvents a, ControlEvents b)
{
    return static_cast<ControlEvents>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr ControlEvents operator&(ControlEvents a, ControlEvents b)
{
    return static_cast<ControlEvents>(static_cast<uint32_t>(a) & static_cast<uint32_t>(b));
}
constexpr ControlEvents operator~(ControlEvents a)
{
    return static_cast<ControlEvents>(~static_cast<uint32_t>(a));
}
constexpr bool any(ControlEvents e)
{
    return static_cast<uint32_t>(e) != 0;
}

// Control states as bits; Normal is the empty set.
enum class ControlState : uint32_t {
    Normal = 0,
    Highlighted = 1u << 0,
    Disabled = 1u << 1,
    Selected = 1u << 2,
};

constexpr ControlState operator|(ControlState a, ControlState b)
{
    return static_cast<ControlState>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr ControlState operator&(ControlState a, ControlState b)
{
    return static_cast<ControlState>(static_cast<uint32_t>(a) & static_cast<uint32_t>(b));
}
constexpr bool any(ControlState s)
{
    return static_cast<uint32_t>(s) != 0;
}

// A view that tracks a touch and turns it into control events, delivered to actions registered
// per event mask. Subclasses refine tracking through begin/continue/end/cancelTracking and
// react to state through the virtual setters.
class Control : public View {
public:
    using Action = std::function<void(Control& sender)>;
    using ActionId = uint64_t;

    static std::shared_ptr<Control> create(graphics::Rect frame = {});
    explicit Control(graphics::Rect frame = {});
    ~Control() override;

    const char* className() const override { return "Control"; }

    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);
    ControlState state() const;

    bool isTracking() const { return m_tracking; }
    bool isTouchInside() const { return m_touchInside; }

    // An action owned by the control, run for any of `events`.
    ActionId addAction(ControlEvents events, Action action);
    // An action that runs only while `target` lives (the platform's target-action pair).
    ActionId addTarget(std::weak_ptr<void> target, ControlEvents events, Action action);
    void removeAction(ActionId id);
    // Removes `events` from every action of `target` (every action when target is nullptr); an
    // action left with no event goes.
    void removeTarget(const void* target, ControlEvents events = ControlEvents::AllEvents);
    ControlEvents allControlEvents() const;
    size_t actionCount(ControlEvents events = ControlEvents::AllEvents) const;

    // Runs every action registered for any of `events`, in registration order.
    void sendActionsForControlEvents(ControlEvents events);
    // Runs one action with this control as the sender (the platform's sendAction:to:forEvent:).
    virtual void sendAction(const Action& action, const Event* event = nullptr);
    // The event being delivered while actions run, else nullptr.
    const Event* currentEvent() const { return m_currentEvent; }

    // Tracking hooks. Returning false from begin or continue stops tracking the touch.
    virtual bool beginTracking(const Touch& touch, const Event* event);
    virtual bool continueTracking(const Touch& touch, const Event* event);
    // Called with isTracking() already false.
    virtual void endTracking(const Touch* touch, const Event* event);
    virtual void cancelTracking(const Event* event);

    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesCancelled(const TouchSet& touches, const Event* event) override;

    // Whether a recogniser of a view around this control may begin with a touch on the control.
    // Controls keep single taps for themselves (the platform's default-action rule), so a tap
    // recogniser on a superview does not swallow a button's touch up inside.
    virtual bool allowsAncestorGestureRecognizer(const GestureRecognizer& recognizer) const;

    // A disabled control takes no touches; they go to the views behind it.
    std::shared_ptr<View> hitTest(graphics::Point point, const Event* event) override;

    // How far outside its bounds a dragged touch still counts as inside (the platform's margin).
    static constexpr double kTouchInsideMargin = 70;

private:
    struct Entry {
        ActionId id;
        ControlEvents events;
        bool hasTarget;
        std::weak_ptr<void> target;
        const void* targetKey;
        Action action;
    };
    bool touchIsInside(const Touch& touch) const;
    void dispatch(ControlEvents events, const Event* event);

    std::vector<Entry> m_actions;
    ActionId m_nextId {1};
    const Event* m_currentEvent {nullptr};
    bool m_enabled {true};
    bool m_selected {false};
    bool m_highlighted {false};
    bool m_tracking {false};
    bool m_touchInside {false};
};

} // namespace ui
