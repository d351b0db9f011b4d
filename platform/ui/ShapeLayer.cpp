#include "platform/ui/ShapeLayer.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

namespace ui {

void ShapeLayer::setPath(std::optional<graphics::BezierPath> path)
{
    m_path = std::move(path);
    View::markDisplayChanged();
}

void ShapeLayer::setFillColor(std::optional<graphics::Color> color)
{
    m_fill = color;
    View::markDisplayChanged();
}

void ShapeLayer::setStrokeColor(std::optional<graphics::Color> color)
{
    m_stroke = color;
    View::markDisplayChanged();
}

void ShapeLayer::setLineWidth(double width)
{
    m_lineWidth = width;
    View::markDisplayChanged();
}

void ShapeLayer::drawShape(graphics::GraphicsContext& context) const
{
    if (!m_path || m_path->isEmpty())
        return;
    if (m_fill) {
        context.save();
        context.setFillColor(*m_fill);
        m_path->fill(context);
        context.restore();
    }
    if (m_stroke && m_lineWidth > 0) {
        graphics::BezierPath stroked = *m_path;
        stroked.setLineWidth(m_lineWidth);
        context.save();
        context.setStrokeColor(*m_stroke);
        stroked.stroke(context);
        context.restore();
    }
}

} // namespace ui
