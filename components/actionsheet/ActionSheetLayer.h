#pragma once

#include "platform/ui/ShapeLayer.h"
#include "platform/ui/TimingFunction.h"

// The backing layer of the sheet, its host and its arrow. Every from-to animation added to it
// runs on the sheet's own curve, except while the process-wide flag is set (a re-layout after a
// status-bar change, a popover move), when it keeps the platform's.
class ActionSheetLayer final : public ui::ShapeLayer {
public:
    static constexpr ui::TimingFunction kCurve {0.215, 0.61, 0.355, 1.0};

    explicit ActionSheetLayer(ui::View& owner)
        : ui::ShapeLayer(owner)
    { }

    static bool keepsPlatformCurve();
    static void setKeepsPlatformCurve(bool keeps);

    void addAnimation(const std::shared_ptr<ui::Animation>& animation, const std::string& key) override;
};
