#pragma once

#include "platform/graphics/Geometry.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class View;

// Moves a view with the device's tilt. The device reports its tilt as a viewer offset, each axis
// from -1 to 1; an effect turns it into offsets of the view's key paths ("center.x", "center.y"),
// shown on screen without touching the view's model values.
class MotionEffect {
public:
    virtual ~MotionEffect() = default;
    using KeyPathOffsets = std::vector<std::pair<std::string, double>>;
    virtual void addOffsets(graphics::Point viewerOffset, KeyPathOffsets& offsets) const = 0;

    // The effects' share of a view's position at the device's current tilt.
    static graphics::Point positionOffset(const std::vector<std::shared_ptr<MotionEffect>>& effects);
    // Views with effects register here so a change of tilt reaches them.
    static void viewEffectsChanged(View& view);
    static void viewDestroyed(View& view);
    static void tiltChanged();
};

// Interpolates one key path between two values along one tilt axis: the minimum at full tilt one
// way (-1), the maximum at full tilt the other way (1), their middle at rest.
class InterpolatingMotionEffect final : public MotionEffect {
public:
    enum class Type { TiltAlongHorizontalAxis = 0, TiltAlongVerticalAxis = 1 };
    static std::shared_ptr<InterpolatingMotionEffect> create(std::string keyPath, Type type);
    InterpolatingMotionEffect(std::string keyPath, Type type)
        : m_keyPath(std::move(keyPath))
        , m_type(type)
    { }

    const std::string& keyPath() const { return m_keyPath; }
    Type type() const { return m_type; }
    double minimumRelativeValue() const { return m_minimum; }
    void setMinimumRelativeValue(double value) { m_minimum = value; }
    double maximumRelativeValue() const { return m_maximum; }
    void setMaximumRelativeValue(double value) { m_maximum = value; }

    void addOffsets(graphics::Point viewerOffset, KeyPathOffsets& offsets) const override;

private:
    std::string m_keyPath;
    Type m_type;
    double m_minimum {0};
    double m_maximum {0};
};

// Several effects applied together, in order.
class MotionEffectGroup final : public MotionEffect {
public:
    static std::shared_ptr<MotionEffectGroup> create() { return std::make_shared<MotionEffectGroup>(); }
    const std::vector<std::shared_ptr<MotionEffect>>& motionEffects() const { return m_effects; }
    void setMotionEffects(std::vector<std::shared_ptr<MotionEffect>> effects)
    {
        m_effects = std::move(effects);
    }

    void addOffsets(graphics::Point viewerOffset, KeyPathOffsets& offsets) const override;

private:
    std::vector<std::shared_ptr<MotionEffect>> m_effects;
};

} // namespace ui
