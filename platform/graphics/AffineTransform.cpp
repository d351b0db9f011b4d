#include "platform/graphics/AffineTransform.h"

#include <cmath>

namespace graphics {

AffineTransform AffineTransform::makeRotation(double radians)
{
    double s = std::sin(radians), c = std::cos(radians);
    return {c, s, -s, c, 0, 0};
}

Rect AffineTransform::apply(const Rect& r) const
{
    if (r.isNull())
        return r;
    Point p[4] = {apply(Point {r.minX(), r.minY()}), apply(Point {r.maxX(), r.minY()}),
        apply(Point {r.minX(), r.maxY()}), apply(Point {r.maxX(), r.maxY()})};
    double x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const Point& q : p) {
        x0 = std::min(x0, q.x);
        x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y);
        y1 = std::max(y1, q.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace graphics
