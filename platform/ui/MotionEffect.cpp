#include "platform/ui/MotionEffect.h"

#include "platform/ui/Device.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace ui {

namespace {

// The views that carry effects; the device's tilt is process-wide, so is this list.
std::vector<View*>& viewsWithEffects()
{
    static std::vector<View*> views;
    return views;
}

} // namespace

graphics::Point MotionEffect::positionOffset(const std::vector<std::shared_ptr<MotionEffect>>& effects)
{
    KeyPathOffsets offsets;
    graphics::Point tilt = Device::currentDevice().tilt();
    for (const auto& effect : effects)
        effect->addOffsets(tilt, offsets);
    graphics::Point result;
    for (const auto& [keyPath, value] : offsets) {
        if (keyPath == "center.x")
            result.x += value;
        else if (keyPath == "center.y")
            result.y += value;
    }
    return result;
}

void MotionEffect::viewEffectsChanged(View& view)
{
    auto& views = viewsWithEffects();
    std::erase(views, &view);
    if (!view.motionEffects().empty())
        views.push_back(&view);
    view.layer().setMotionOffset(positionOffset(view.motionEffects()));
}

void MotionEffect::viewDestroyed(View& view)
{
    std::erase(viewsWithEffects(), &view);
}

void MotionEffect::tiltChanged()
{
    for (View* view : viewsWithEffects())
        view->layer().setMotionOffset(positionOffset(view->motionEffects()));
}

std::shared_ptr<InterpolatingMotionEffect> InterpolatingMotionEffect::create(std::string keyPath, Type type)
{
    return std::make_shared<InterpolatingMotionEffect>(std::move(keyPath), type);
}

void InterpolatingMotionEffect::addOffsets(graphics::Point viewerOffset, KeyPathOffsets& offsets) const
{
    double tilt = m_type == Type::TiltAlongHorizontalAxis ? viewerOffset.x : viewerOffset.y;
    double t = (std::clamp(tilt, -1.0, 1.0) + 1) / 2;
    offsets.emplace_back(m_keyPath, m_minimum + (m_maximum - m_minimum) * t);
}

void MotionEffectGroup::addOffsets(graphics::Point viewerOffset, KeyPathOffsets& offsets) const
{
    for (const auto& effect : m_effects)
        effect->addOffsets(viewerOffset, offsets);
}

} // namespace ui
