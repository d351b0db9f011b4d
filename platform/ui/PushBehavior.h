#pragma once

#include "platform/ui/DynamicBehavior.h"

#include <map>

namespace ui {

enum class PushBehaviorMode { Continuous = 0, Instantaneous = 1 };

// A force on its items: continuous (every step while active) or one impulse (applied at the next
// step, after which the push turns itself inactive). Applied at an offset from an item's centre,
// it also turns the item.
class PushBehavior final : public DynamicBehavior {
public:
    static std::shared_ptr<PushBehavior> create(
        std::vector<std::shared_ptr<View>> items, PushBehaviorMode mode);
    PushBehavior(std::vector<std::shared_ptr<View>> items, PushBehaviorMode mode);

    std::vector<std::shared_ptr<View>> items() const override { return m_items; }
    PushBehaviorMode mode() const { return m_mode; }

    bool isActive() const { return m_active; }
    void setActive(bool active) { m_active = active; }

    Vector pushDirection() const { return m_direction; }
    void setPushDirection(Vector direction) { m_direction = direction; }
    double magnitude() const;
    void setMagnitude(double magnitude);
    double angle() const;
    void setAngle(double radians);
    void setAngle(double radians, double magnitude);

    graphics::Offset targetOffsetFromCenterForItem(const View& item) const;
    void setTargetOffsetFromCenter(graphics::Offset offset, const View& item);

private:
    std::vector<std::shared_ptr<View>> m_items;
    PushBehaviorMode m_mode;
    bool m_active {true};
    Vector m_direction;
    std::map<const View*, graphics::Offset> m_offsets;
};

} // namespace ui
