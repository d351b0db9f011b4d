#include "platform/ui/MoviePositionBar.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Touch.h"

#include <algorithm>

namespace ui {

std::shared_ptr<MoviePositionBar> MoviePositionBar::create(graphics::Rect frame)
{
    return std::make_shared<MoviePositionBar>(frame);
}

MoviePositionBar::MoviePositionBar(graphics::Rect frame)
    : Control(frame)
{
    setBackgroundColor(std::nullopt);
    setOpaque(false);
}

void MoviePositionBar::setValue(double value)
{
    value = std::clamp(value, 0.0, 1.0);
    if (value == m_value)
        return;
    m_value = value;
    setNeedsDisplay();
}

bool MoviePositionBar::beginTracking(const Touch& touch, const Event*)
{
    trackTo(touch);
    return true;
}

bool MoviePositionBar::continueTracking(const Touch& touch, const Event*)
{
    trackTo(touch);
    return true;
}

void MoviePositionBar::trackTo(const Touch& touch)
{
    const double usable = bounds().size.width - 2 * kKnobRadius;
    if (usable <= 0)
        return;
    setValue((touch.locationInView(this).x - kKnobRadius) / usable);
    sendActionsForControlEvents(ControlEvents::ValueChanged);
}

void MoviePositionBar::draw(graphics::GraphicsContext& context, graphics::Rect box)
{
    const double usable = std::max(0.0, box.size.width - 2 * kKnobRadius);
    const double midY = box.midY();
    const graphics::Rect track {{box.minX() + kKnobRadius, midY - 1.5}, {usable, 3}};
    context.fillRect(track, graphics::Color::white(1, 0.35));
    context.fillRect({track.origin, {usable * m_value, 3}}, graphics::Color::white(1, 0.95));
    context.setFillColor(graphics::Color::white());
    context.fillEllipse(
        {{box.minX() + usable * m_value, midY - kKnobRadius}, {2 * kKnobRadius, 2 * kKnobRadius}});
}

} // namespace ui
