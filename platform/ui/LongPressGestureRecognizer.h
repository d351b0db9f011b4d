#pragma once

#include "platform/ui/GestureRecognizer.h"

#include <memory>

namespace ui {

// Begins when the fingers stay down for minimumPressDuration without moving more than
// allowableMovement; then reports changes until they lift.
class LongPressGestureRecognizer final : public GestureRecognizer {
public:
    static std::shared_ptr<LongPressGestureRecognizer> create(Action action = {});
    explicit LongPressGestureRecognizer(Action action = {})
        : GestureRecognizer(std::move(action))
    { }

    const char* className() const override { return "LongPressGestureRecognizer"; }

    double minimumPressDuration() const { return m_minimumDuration; }
    void setMinimumPressDuration(double seconds) { m_minimumDuration = seconds; }
    double allowableMovement() const { return m_allowableMovement; }
    void setAllowableMovement(double points) { m_allowableMovement = points; }
    int numberOfTouchesRequired() const { return m_touchesRequired; }
    void setNumberOfTouchesRequired(int touches) { m_touchesRequired = touches; }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

private:
    graphics::Point m_start;
    double m_minimumDuration {0.5};
    double m_allowableMovement {10};
    int m_touchesRequired {1};
};

} // namespace ui
