#include "components/actionsheet/ActionSheetLayer.h"

namespace {

// Main thread only, like every view.
bool s_keepsPlatformCurve = false;

} // namespace

bool ActionSheetLayer::keepsPlatformCurve()
{
    return s_keepsPlatformCurve;
}

void ActionSheetLayer::setKeepsPlatformCurve(bool keeps)
{
    s_keepsPlatformCurve = keeps;
}

void ActionSheetLayer::addAnimation(const std::shared_ptr<ui::Animation>& animation, const std::string& key)
{
    // Springs are from-to animations with their own curve; only plain ones are retimed.
    auto basic = std::dynamic_pointer_cast<ui::BasicAnimation>(animation);
    if (!basic || s_keepsPlatformCurve || std::dynamic_pointer_cast<ui::SpringAnimation>(animation)) {
        ui::ShapeLayer::addAnimation(animation, key);
        return;
    }
    auto retimed = basic->clone();
    retimed->setTimingFunction(kCurve);
    ui::ShapeLayer::addAnimation(retimed, key);
}
