#pragma once

#include "platform/graphics/Geometry.h"

namespace ui {

// A cubic Bezier timing curve from (0,0) to (1,1) through two control points, as the platform's
// media timing functions. valueAt() solves the curve's x for the progress and returns its y.
class TimingFunction final {
public:
    constexpr TimingFunction() = default;
    constexpr TimingFunction(double x1, double y1, double x2, double y2)
        : m_x1(x1)
        , m_y1(y1)
        , m_x2(x2)
        , m_y2(y2)
    { }

    static constexpr TimingFunction linear() { return {0, 0, 1, 1}; }
    static constexpr TimingFunction easeIn() { return {0.42, 0, 1, 1}; }
    static constexpr TimingFunction easeOut() { return {0, 0, 0.58, 1}; }
    static constexpr TimingFunction easeInEaseOut() { return {0.42, 0, 0.58, 1}; }
    // The curve of an explicit layer animation without a timing function.
    static constexpr TimingFunction defaultCurve() { return {0.25, 0.1, 0.25, 1}; }
    static constexpr TimingFunction controlPoints(double x1, double y1, double x2, double y2)
    {
        return {x1, y1, x2, y2};
    }

    // Progress in 0..1 (clamped) to the eased value.
    double valueAt(double progress) const;
    graphics::Point controlPoint1() const { return {m_x1, m_y1}; }
    graphics::Point controlPoint2() const { return {m_x2, m_y2}; }
    bool isLinear() const { return m_x1 == m_y1 && m_x2 == m_y2; }

    constexpr bool operator==(const TimingFunction&) const = default;

private:
    double m_x1 = 0, m_y1 = 0, m_x2 = 1, m_y2 = 1;
};

// A damped spring from 0 to 1, shaped so that it settles within `duration` (the platform's spring
// animation: damping ratio 1 is critical; the initial velocity is in whole distances per second).
class SpringCurve final {
public:
    SpringCurve(double duration, double dampingRatio, double initialVelocity);
    // Time in seconds since the start to the spring's value (1 is the target; may overshoot).
    double valueAt(double seconds) const;
    double duration() const { return m_duration; }
    double dampingRatio() const { return m_damping; }
    double initialVelocity() const { return m_velocity; }

private:
    double m_duration;
    double m_damping;
    double m_velocity;
    double m_omega;
};

} // namespace ui
