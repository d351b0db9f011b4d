#pragma once

#include "platform/ui/DynamicBehavior.h"

namespace ui {

// The physical make-up of its items: density (mass per area), linear and angular resistance (the
// velocity lost per second, as damping), and whether they may turn. Elasticity and friction only
// matter for collisions, which this animator does not model; they are kept for callers.
class DynamicItemBehavior final : public DynamicBehavior {
public:
    static std::shared_ptr<DynamicItemBehavior> create(std::vector<std::shared_ptr<View>> items);
    explicit DynamicItemBehavior(std::vector<std::shared_ptr<View>> items);

    std::vector<std::shared_ptr<View>> items() const override { return m_items; }

    double density() const { return m_density; }
    void setDensity(double density) { m_density = density > 0 ? density : m_density; }
    double resistance() const { return m_resistance; }
    void setResistance(double resistance) { m_resistance = resistance < 0 ? 0 : resistance; }
    double angularResistance() const { return m_angularResistance; }
    void setAngularResistance(double resistance) { m_angularResistance = resistance < 0 ? 0 : resistance; }
    bool allowsRotation() const { return m_allowsRotation; }
    void setAllowsRotation(bool allows) { m_allowsRotation = allows; }
    double elasticity() const { return m_elasticity; }
    void setElasticity(double elasticity) { m_elasticity = elasticity; }
    double friction() const { return m_friction; }
    void setFriction(double friction) { m_friction = friction; }

private:
    std::vector<std::shared_ptr<View>> m_items;
    double m_density {1};
    double m_resistance {0};
    double m_angularResistance {0};
    bool m_allowsRotation {true};
    double m_elasticity {0};
    double m_friction {0};
};

} // namespace ui
