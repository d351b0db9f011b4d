#include "platform/ui/Animation.h"

namespace ui {

std::shared_ptr<BasicAnimation> BasicAnimation::create(std::string keyPath)
{
    return std::make_shared<BasicAnimation>(std::move(keyPath));
}

double BasicAnimation::mixAt(double progress) const
{
    return timingFunction().valueAt(progress);
}

std::shared_ptr<Animation> BasicAnimation::clone() const
{
    return std::make_shared<BasicAnimation>(*this);
}

std::shared_ptr<SpringAnimation> SpringAnimation::create(std::string keyPath)
{
    return std::make_shared<SpringAnimation>(std::move(keyPath));
}

double SpringAnimation::mixAt(double progress) const
{
    SpringCurve curve(duration(), m_damping, m_velocity);
    return curve.valueAt(progress * duration());
}

std::shared_ptr<Animation> SpringAnimation::clone() const
{
    return std::make_shared<SpringAnimation>(*this);
}

} // namespace ui
