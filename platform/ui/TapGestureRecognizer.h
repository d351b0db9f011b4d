#pragma once

#include "platform/ui/GestureRecognizer.h"

#include <memory>

namespace ui {

// Recognises a number of taps with a number of fingers. Each tap must end within kMaxTapDuration
// and move less than kAllowableMovement; the next must begin within kMultiTapInterval.
class TapGestureRecognizer final : public GestureRecognizer {
public:
    static std::shared_ptr<TapGestureRecognizer> create(Action action = {});
    explicit TapGestureRecognizer(Action action = {})
        : GestureRecognizer(std::move(action))
    { }

    const char* className() const override { return "TapGestureRecognizer"; }
    static constexpr double kMultiTapInterval = 0.35;
    static constexpr double kMaxTapDuration = 0.75;
    static constexpr double kAllowableMovement = 45;

    int numberOfTapsRequired() const { return m_tapsRequired; }
    void setNumberOfTapsRequired(int taps) { m_tapsRequired = taps; }
    int numberOfTouchesRequired() const { return m_touchesRequired; }
    void setNumberOfTouchesRequired(int touches) { m_touchesRequired = touches; }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    void fail();
    void failLater(double seconds);

    graphics::Point m_start;
    int m_tapsRequired {1};
    int m_touchesRequired {1};
    int m_tapsDone {0};
    size_t m_maxTouches {0};
};

} // namespace ui
