#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Layer.h"

#include <optional>

namespace ui {

// A layer that draws a path in its bounds' coordinates: filled (black unless told otherwise),
// then stroked when it has a stroke colour. Views use it through View's layer-factory constructor.
class ShapeLayer : public Layer {
public:
    explicit ShapeLayer(View& owner)
        : Layer(owner)
    { }

    const std::optional<graphics::BezierPath>& path() const { return m_path; }
    void setPath(std::optional<graphics::BezierPath> path);
    std::optional<graphics::Color> fillColor() const { return m_fill; }
    void setFillColor(std::optional<graphics::Color> color);
    std::optional<graphics::Color> strokeColor() const { return m_stroke; }
    void setStrokeColor(std::optional<graphics::Color> color);
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width);

    // Fills and strokes the path with the context in the layer's bounds coordinates.
    void drawShape(graphics::GraphicsContext& context) const;

private:
    std::optional<graphics::BezierPath> m_path;
    std::optional<graphics::Color> m_fill {graphics::Color::black()};
    std::optional<graphics::Color> m_stroke;
    double m_lineWidth {1};
};

} // namespace ui
