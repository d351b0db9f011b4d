#pragma once

#include "platform/ui/DynamicBehavior.h"

namespace ui {

// Ties a point of an item (an offset from its centre, turning with the item) to an anchor point
// in the reference view. Frequency 0 makes a rigid rod of the given length; a frequency above 0
// makes a damped spring.
class AttachmentBehavior final : public DynamicBehavior {
public:
    // The length starts as the distance between the attached point and the anchor.
    static std::shared_ptr<AttachmentBehavior> create(
        std::shared_ptr<View> item, graphics::Offset offsetFromCenter, graphics::Point anchorPoint);
    static std::shared_ptr<AttachmentBehavior> create(
        std::shared_ptr<View> item, graphics::Point anchorPoint);
    AttachmentBehavior(
        std::shared_ptr<View> item, graphics::Offset offsetFromCenter, graphics::Point anchorPoint);

    std::vector<std::shared_ptr<View>> items() const override { return {m_item}; }
    const std::shared_ptr<View>& item() const { return m_item; }
    graphics::Offset offsetFromCenter() const { return m_offset; }

    graphics::Point anchorPoint() const { return m_anchor; }
    void setAnchorPoint(graphics::Point anchor) { m_anchor = anchor; }
    double length() const { return m_length; }
    void setLength(double length) { m_length = length < 0 ? 0 : length; }
    // Oscillations per second of the spring; 0 for a rigid attachment.
    double frequency() const { return m_frequency; }
    void setFrequency(double frequency) { m_frequency = frequency < 0 ? 0 : frequency; }
    // Damping ratio of the spring: 0 none, 1 critical.
    double damping() const { return m_damping; }
    void setDamping(double damping) { m_damping = damping < 0 ? 0 : damping; }

private:
    std::shared_ptr<View> m_item;
    graphics::Offset m_offset;
    graphics::Point m_anchor;
    double m_length {0};
    double m_frequency {0};
    double m_damping {0};
};

} // namespace ui
