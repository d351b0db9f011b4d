#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace ui {

// Two fingers moving apart or together. Begins once their distance changed by kHysteresis points;
// reports the scale against the distance they started at (which the action may rebase with
// setScale) and the velocity of that scale per second. Ends when a finger lifts.
class PinchGestureRecognizer final : public GestureRecognizer {
public:
    static std::shared_ptr<PinchGestureRecognizer> create(Action action = {});
    explicit PinchGestureRecognizer(Action action = {})
        : GestureRecognizer(std::move(action))
    { }

    const char* className() const override { return "PinchGestureRecognizer"; }
    static constexpr double kHysteresis = 8;

    double scale() const;
    void setScale(double scale);
    double velocity() const { return m_velocity; }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    // Distance between the first two live fingers, in window points; 0 with fewer than two.
    double fingerDistance() const;

    double m_startDistance {0};
    double m_referenceDistance {0};
    double m_scaleBase {1};
    double m_lastScale {1};
    double m_lastTime {0};
    double m_velocity {0};
};

} // namespace ui
