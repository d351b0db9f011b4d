#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsContext.h"

#include <vector>

namespace graphics {

// A path with its own stroke settings and fill rule, drawn into a GraphicsContext with the
// context's colours.
class BezierPath final {
public:
    BezierPath() = default;
    static BezierPath rect(Rect);
    static BezierPath roundedRect(Rect, double radius);
    static BezierPath oval(Rect);
    static BezierPath arc(Point center, double radius, double startAngle, double endAngle, bool clockwise);

    void moveTo(Point);
    void addLineTo(Point);
    void addCurveTo(Point end, Point cp1, Point cp2);
    void addQuadCurveTo(Point end, Point cp);
    void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
    void closePath();
    void append(const BezierPath&);
    void applyTransform(const AffineTransform&);
    void removeAllPoints() { m_elements.clear(); }
    bool isEmpty() const { return m_elements.empty(); }
    Point currentPoint() const { return m_current; }

    void setUsesEvenOddFillRule(bool v) { m_evenOdd = v; }
    bool usesEvenOddFillRule() const { return m_evenOdd; }
    void setLineWidth(double w) { m_lineWidth = w; }
    double lineWidth() const { return m_lineWidth; }
    void setLineCapStyle(LineCap c) { m_cap = c; }
    LineCap lineCapStyle() const { return m_cap; }
    void setLineJoinStyle(LineJoin j) { m_join = j; }
    LineJoin lineJoinStyle() const { return m_join; }
    void setMiterLimit(double m) { m_miterLimit = m; }
    double miterLimit() const { return m_miterLimit; }

    // Fill with the context's fill colour / stroke with its stroke colour, leaving the
    // context's own path and line settings as they were.
    void fill(GraphicsContext&) const;
    void stroke(GraphicsContext&) const;
    // Clips the context to this path (until the caller restores).
    void addClip(GraphicsContext&) const;
    // Adds this path to the context's current path.
    void addTo(GraphicsContext&) const;
    // Whether the point is inside the filled area (by the path's fill rule).
    bool contains(Point) const;
    // Bounding box of the path's points, control points included; Rect::null() when empty.
    Rect bounds() const;

private:
    enum class Kind { Move, Line, Curve, Close };
    struct Element {
        Kind kind;
        Point p[3];
    };
    std::vector<Element> m_elements;
    Point m_current;
    Point m_subpathStart;
    bool m_evenOdd = false;
    double m_lineWidth = 1;
    LineCap m_cap = LineCap::Butt;
    LineJoin m_join = LineJoin::Miter;
    double m_miterLimit = 10;
};

} // namespace graphics
