#pragma once

#include "platform/ui/View.h"

#include <memory>

namespace ui {

class Label;

// The bar across the top of the interface: the time in the middle, signal dots on the left and a
// battery on the right, dark on light screens or white (LightContent). The application owns it
// and the renderer draws it over every window; it takes no touches. Hiding fades it out or slides
// it up, as the application's animation says.
class StatusBar final : public View {
public:
    static std::shared_ptr<StatusBar> create();
    StatusBar();

    const char* className() const override { return "StatusBar"; }
    static constexpr double kHeight = 20;
    static constexpr double kAnimationDuration = 0.25;

    // Follows the application's state: style, orientation (the bar runs along the interface's
    // top edge) and the time of day.
    void update();
    void setBarHidden(bool hidden, StatusBarAnimation animation);
    bool isBarHidden() const { return m_barHidden; }
    graphics::Color contentColor() const;

    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;
    std::string automationText() const override;

private:
    graphics::AffineTransform barTransform() const;

    std::shared_ptr<Label> m_time;
    double m_angle {0};
    bool m_barHidden {false};
    bool m_slidUp {false};
};

} // namespace ui
