#include "platform/ui/TimingFunction.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

double bezier(double s, double p1, double p2)
{
    double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
}

double bezierSlope(double s, double p1, double p2)
{
    double u = 1 - s;
    return 3 * u * u * p1 + 6 * u * s * (p2 - p1) + 3 * s * s * (1 - p2);
}

// Envelope below which a spring counts as settled (a thousandth of the distance).
constexpr double kSettleLog = 6.907755278982137; // ln(1000)

} // namespace

double TimingFunction::valueAt(double progress) const
{
    double x = std::clamp(progress, 0.0, 1.0);
    if (isLinear() || x == 0 || x == 1)
        return x;
    // Newton first (fast near the answer), bisection when the slope is too flat.
    double s = x;
    for (int i = 0; i < 8; ++i) {
        double error = bezier(s, m_x1, m_x2) - x;
        if (std::abs(error) < 1e-9)
            return bezier(s, m_y1, m_y2);
        double slope = bezierSlope(s, m_x1, m_x2);
        if (std::abs(slope) < 1e-7)
            break;
        s -= error / slope;
    }
    double lo = 0, hi = 1;
    s = x;
    for (int i = 0; i < 60; ++i) {
        double value = bezier(s, m_x1, m_x2);
        if (std::abs(value - x) < 1e-10)
            break;
        if (value < x)
            lo = s;
        else
            hi = s;
        s = (lo + hi) / 2;
    }
    return bezier(s, m_y1, m_y2);
}

SpringCurve::SpringCurve(double duration, double dampingRatio, double initialVelocity)
    : m_duration(std::max(duration, 1e-6))
    , m_damping(std::max(dampingRatio, 0.01))
    , m_velocity(initialVelocity)
{
    // The stiffness is chosen so that the envelope has decayed to a thousandth at the duration.
    if (m_damping < 1)
        m_omega = kSettleLog / (m_damping * m_duration);
    else if (m_damping == 1)
        m_omega = 9.23341 / m_duration; // (1 + wT) e^-wT = 0.001
    else
        m_omega = kSettleLog / ((m_damping - std::sqrt(m_damping * m_damping - 1)) * m_duration);
}

double SpringCurve::valueAt(double t) const
{
    if (t <= 0)
        return 0;
    if (t >= m_duration)
        return 1;
    const double x0 = -1; // displacement from the target at the start
    const double v0 = m_velocity;
    const double z = m_damping;
    const double w = m_omega;
    double x;
    if (z < 1) {
        double wd = w * std::sqrt(1 - z * z);
        x = std::exp(-z * w * t) * (x0 * std::cos(wd * t) + (v0 + z * w * x0) / wd * std::sin(wd * t));
    } else if (z == 1) {
        x = std::exp(-w * t) * (x0 + (v0 + w * x0) * t);
    } else {
        double root = std::sqrt(z * z - 1);
        double r1 = -w * (z - root), r2 = -w * (z + root);
        double c2 = (v0 - r1 * x0) / (r2 - r1);
        double c1 = x0 - c2;
        x = c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t);
    }
    return 1 + x;
}

} // namespace ui
