#pragma once

#include "platform/ui/GestureRecognizer.h"

#include <deque>

namespace ui {

// Begins once the fingers moved kHysteresis points; reports the translation since they touched down (which
// the action may reset with setTranslation) and a velocity from the last 0.1 s of movement.
// With an edge set, it only begins for touches that start within kEdgeWidth of that edge of the
// window, moving away from it.
class PanGestureRecognizer : public GestureRecognizer {
public:
    enum class Edge { None, Left };

    static std::shared_ptr<PanGestureRecognizer> create(Action action = {});
    explicit PanGestureRecognizer(Action action = {})
        : GestureRecognizer(std::move(action))
    { }

    const char* className() const override { return "PanGestureRecognizer"; }
    static constexpr double kHysteresis = 10;
    static constexpr double kEdgeWidth = 20;
    static constexpr double kVelocityWindow = 0.1;

    graphics::Point translationInView(const View* view) const;
    void setTranslation(graphics::Point translation, const View* view);
    // Points per second in `view`'s coordinates.
    graphics::Point velocityInView(const View* view) const;

    int minimumNumberOfTouches() const { return m_minTouches; }
    void setMinimumNumberOfTouches(int touches) { m_minTouches = touches; }
    int maximumNumberOfTouches() const { return m_maxTouches; }
    void setMaximumNumberOfTouches(int touches) { m_maxTouches = touches; }
    Edge edge() const { return m_edge; }
    void setEdge(Edge edge) { m_edge = edge; }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    struct Sample {
        double time;
        graphics::Point location; // window coordinates
    };
    void addSample(double time);
    graphics::Point windowVelocity() const;

    std::deque<Sample> m_samples;
    graphics::Point m_start; // window coordinates where translation is zero
    int m_minTouches {1};
    int m_maxTouches {1000};
    Edge m_edge {Edge::None};
};

} // namespace ui
