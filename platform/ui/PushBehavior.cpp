#include "platform/ui/PushBehavior.h"

#include <cmath>

namespace ui {

std::shared_ptr<PushBehavior> PushBehavior::create(
    std::vector<std::shared_ptr<View>> items, PushBehaviorMode mode)
{
    return std::make_shared<PushBehavior>(std::move(items), mode);
}

PushBehavior::PushBehavior(std::vector<std::shared_ptr<View>> items, PushBehaviorMode mode)
    : m_items(std::move(items))
    , m_mode(mode)
{ }

double PushBehavior::magnitude() const
{
    return std::hypot(m_direction.dx, m_direction.dy);
}

void PushBehavior::setMagnitude(double magnitude)
{
    setAngle(angle(), magnitude);
}

double PushBehavior::angle() const
{
    return std::atan2(m_direction.dy, m_direction.dx);
}

void PushBehavior::setAngle(double radians)
{
    setAngle(radians, magnitude());
}

void PushBehavior::setAngle(double radians, double magnitude)
{
    m_direction = {magnitude * std::cos(radians), magnitude * std::sin(radians)};
}

graphics::Offset PushBehavior::targetOffsetFromCenterForItem(const View& item) const
{
    auto found = m_offsets.find(&item);
    return found == m_offsets.end() ? graphics::Offset {} : found->second;
}

void PushBehavior::setTargetOffsetFromCenter(graphics::Offset offset, const View& item)
{
    m_offsets[&item] = offset;
}

} // namespace ui
