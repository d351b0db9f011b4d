#include "platform/graphics/BezierPath.h"

namespace graphics {

BezierPath BezierPath::rect(Rect)
{
    return {};
}
BezierPath BezierPath::roundedRect(Rect, double)
{
    return {};
}
BezierPath BezierPath::oval(Rect)
{
    return {};
}
BezierPath BezierPath::arc(Point, double, double, double, bool)
{
    return {};
}
void BezierPath::moveTo(Point)
{ }
void BezierPath::addLineTo(Point)
{ }
void BezierPath::addCurveTo(Point, Point, Point)
{ }
void BezierPath::addQuadCurveTo(Point, Point)
{ }
void BezierPath::addArc(Point, double, double, double, bool)
{ }
void BezierPath::closePath()
{ }
void BezierPath::append(const BezierPath&)
{ }
void BezierPath::applyTransform(const AffineTransform&)
{ }
void BezierPath::fill(GraphicsContext&) const
{ }
void BezierPath::stroke(GraphicsContext&) const
{ }
void BezierPath::addClip(GraphicsContext&) const
{ }
void BezierPath::addTo(GraphicsContext&) const
{ }
bool BezierPath::contains(Point) const
{
    return false;
}
Rect BezierPath::bounds() const
{
    return Rect::null();
}

} // namespace graphics
