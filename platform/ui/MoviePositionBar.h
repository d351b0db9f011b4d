#pragma once

#include "platform/ui/Control.h"

namespace ui {

// The movie player's position bar: a track filled up to the playback position, with a knob the
// finger drags. Dragging or tapping sends ValueChanged with the chosen value (0...1).
class MoviePositionBar final : public Control {
public:
    static std::shared_ptr<MoviePositionBar> create(graphics::Rect frame = {});
    explicit MoviePositionBar(graphics::Rect frame = {});

    const char* className() const override { return "MoviePositionBar"; }

    double value() const { return m_value; }
    void setValue(double value);

    bool beginTracking(const Touch& touch, const Event* event) override;
    bool continueTracking(const Touch& touch, const Event* event) override;
    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;

    static constexpr double kKnobRadius = 7;

private:
    void trackTo(const Touch& touch);

    double m_value {0};
};

} // namespace ui
