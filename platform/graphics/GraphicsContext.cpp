#include "platform/graphics/GraphicsContext.h"

#include "platform/graphics/Image.h"

#include <cairo.h>

namespace graphics {

GraphicsContext::GraphicsContext(Image&)
{ }
GraphicsContext::GraphicsContext(_cairo* cr)
    : m_cr(cr)
{ }
GraphicsContext::~GraphicsContext()
{ }
void GraphicsContext::save()
{ }
void GraphicsContext::restore()
{ }
void GraphicsContext::translate(double, double)
{ }
void GraphicsContext::scale(double, double)
{ }
void GraphicsContext::rotate(double)
{ }
void GraphicsContext::concat(const AffineTransform&)
{ }
AffineTransform GraphicsContext::currentTransform() const
{
    return {};
}
void GraphicsContext::setFillColor(Color)
{ }
void GraphicsContext::setStrokeColor(Color)
{ }
void GraphicsContext::setLineWidth(double)
{ }
void GraphicsContext::setLineCap(LineCap)
{ }
void GraphicsContext::setLineJoin(LineJoin)
{ }
void GraphicsContext::setMiterLimit(double)
{ }
void GraphicsContext::setLineDash(const std::vector<double>&, double)
{ }
void GraphicsContext::setAlpha(double)
{ }
void GraphicsContext::moveTo(Point)
{ }
void GraphicsContext::lineTo(Point)
{ }
void GraphicsContext::curveTo(Point, Point, Point)
{ }
void GraphicsContext::addArc(Point, double, double, double, bool)
{ }
void GraphicsContext::closePath()
{ }
void GraphicsContext::addRect(Rect)
{ }
void GraphicsContext::addRoundedRect(Rect, double)
{ }
void GraphicsContext::addEllipse(Rect)
{ }
void GraphicsContext::beginPath()
{ }
bool GraphicsContext::isPathEmpty() const
{
    return true;
}
void GraphicsContext::fillPath(FillRule)
{ }
void GraphicsContext::strokePath()
{ }
void GraphicsContext::clip(FillRule)
{ }
void GraphicsContext::clipToRect(Rect)
{ }
Rect GraphicsContext::clipBoundingBox() const
{
    return {};
}
void GraphicsContext::fillRect(Rect, Color)
{ }
void GraphicsContext::fillRect(Rect)
{ }
void GraphicsContext::strokeRect(Rect)
{ }
void GraphicsContext::fillEllipse(Rect)
{ }
void GraphicsContext::clearRect(Rect)
{ }
void GraphicsContext::drawImage(const Image&, Rect, double)
{ }
void GraphicsContext::beginTransparencyLayer(double)
{ }
void GraphicsContext::endTransparencyLayer()
{ }
void GraphicsContext::setSource(Color) const
{ }

} // namespace graphics
