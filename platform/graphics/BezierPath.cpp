#include "platform/graphics/BezierPath.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace graphics {

namespace {

// Control-point distance for a cubic approximating a circular arc of up to a quarter turn.
double arcHandle(double sweep)
{
    return 4.0 / 3.0 * std::tan(sweep / 4);
}

} // namespace

BezierPath BezierPath::rect(Rect r)
{
    BezierPath path;
    if (r.isNull())
        return path;
    r = r.standardized();
    path.moveTo({r.minX(), r.minY()});
    path.addLineTo({r.maxX(), r.minY()});
    path.addLineTo({r.maxX(), r.maxY()});
    path.addLineTo({r.minX(), r.maxY()});
    path.closePath();
    return path;
}

BezierPath BezierPath::roundedRect(Rect r, double radius)
{
    if (r.isNull())
        return {};
    r = r.standardized();
    radius = std::clamp(radius, 0.0, std::min(r.width(), r.height()) / 2);
    if (radius <= 0)
        return rect(r);
    BezierPath path;
    constexpr double kHalfPi = M_PI / 2;
    path.moveTo({r.minX() + radius, r.minY()});
    path.addArc({r.maxX() - radius, r.minY() + radius}, radius, -kHalfPi, 0, true);
    path.addArc({r.maxX() - radius, r.maxY() - radius}, radius, 0, kHalfPi, true);
    path.addArc({r.minX() + radius, r.maxY() - radius}, radius, kHalfPi, M_PI, true);
    path.addArc({r.minX() + radius, r.minY() + radius}, radius, M_PI, 3 * kHalfPi, true);
    path.closePath();
    return path;
}

BezierPath BezierPath::oval(Rect r)
{
    BezierPath path;
    if (r.isNull())
        return path;
    r = r.standardized();
    double rx = r.width() / 2, ry = r.height() / 2, cx = r.midX(), cy = r.midY();
    double k = arcHandle(M_PI / 2);
    path.moveTo({cx + rx, cy});
    path.addCurveTo({cx, cy + ry}, {cx + rx, cy + k * ry}, {cx + k * rx, cy + ry});
    path.addCurveTo({cx - rx, cy}, {cx - k * rx, cy + ry}, {cx - rx, cy + k * ry});
    path.addCurveTo({cx, cy - ry}, {cx - rx, cy - k * ry}, {cx - k * rx, cy - ry});
    path.addCurveTo({cx + rx, cy}, {cx + k * rx, cy - ry}, {cx + rx, cy - k * ry});
    path.closePath();
    return path;
}

BezierPath BezierPath::arc(Point center, double radius, double startAngle, double endAngle, bool clockwise)
{
    BezierPath path;
    path.addArc(center, radius, startAngle, endAngle, clockwise);
    return path;
}

void BezierPath::moveTo(Point p)
{
    m_elements.push_back({Kind::Move, {p, {}, {}}});
    m_current = m_subpathStart = p;
}

void BezierPath::addLineTo(Point p)
{
    if (m_elements.empty())
        return moveTo(p);
    m_elements.push_back({Kind::Line, {p, {}, {}}});
    m_current = p;
}

void BezierPath::addCurveTo(Point end, Point cp1, Point cp2)
{
    if (m_elements.empty())
        moveTo(m_current);
    m_elements.push_back({Kind::Curve, {cp1, cp2, end}});
    m_current = end;
}

void BezierPath::addQuadCurveTo(Point end, Point cp)
{
    Point start = m_current;
    addCurveTo(end, start + (cp - start) * (2.0 / 3.0), end + (cp - end) * (2.0 / 3.0));
}

void BezierPath::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise)
{
    // Clockwise on a y-down screen is the direction of increasing angles.
    double sweep = endAngle - startAngle;
    if (clockwise) {
        if (sweep < 0)
            sweep = std::fmod(sweep, 2 * M_PI) + 2 * M_PI;
        sweep = std::min(sweep, 2 * M_PI);
    } else {
        if (sweep > 0)
            sweep = std::fmod(sweep, 2 * M_PI) - 2 * M_PI;
        sweep = std::max(sweep, -2 * M_PI);
    }
    Point start {center.x + radius * std::cos(startAngle), center.y + radius * std::sin(startAngle)};
    if (m_elements.empty())
        moveTo(start);
    else
        addLineTo(start);
    int segments = std::max(1, int(std::ceil(std::abs(sweep) / (M_PI / 2) - 1e-9)));
    double step = sweep / segments;
    double k = arcHandle(step);
    double angle = startAngle;
    for (int i = 0; i < segments; ++i) {
        double a0 = angle, a1 = angle + step;
        Point p0 {center.x + radius * std::cos(a0), center.y + radius * std::sin(a0)};
        Point p1 {center.x + radius * std::cos(a1), center.y + radius * std::sin(a1)};
        Point c1 {p0.x - k * radius * std::sin(a0), p0.y + k * radius * std::cos(a0)};
        Point c2 {p1.x + k * radius * std::sin(a1), p1.y - k * radius * std::cos(a1)};
        addCurveTo(p1, c1, c2);
        angle = a1;
    }
}

void BezierPath::closePath()
{
    if (m_elements.empty())
        return;
    m_elements.push_back({Kind::Close, {}});
    m_current = m_subpathStart;
}

void BezierPath::append(const BezierPath& other)
{
    m_elements.insert(m_elements.end(), other.m_elements.begin(), other.m_elements.end());
    if (!other.m_elements.empty()) {
        m_current = other.m_current;
        m_subpathStart = other.m_subpathStart;
    }
}

void BezierPath::applyTransform(const AffineTransform& t)
{
    for (auto& e : m_elements) {
        int count = e.kind == Kind::Curve ? 3 : e.kind == Kind::Close ? 0 : 1;
        for (int i = 0; i < count; ++i)
            e.p[i] = t.apply(e.p[i]);
    }
    m_current = t.apply(m_current);
    m_subpathStart = t.apply(m_subpathStart);
}

static void addToCairo(cairo_t* cr, const auto& elements)
{
    for (const auto& e : elements) {
        switch (e.kind) {
        case decltype(e.kind)::Move:
            cairo_move_to(cr, e.p[0].x, e.p[0].y);
            break;
        case decltype(e.kind)::Line:
            cairo_line_to(cr, e.p[0].x, e.p[0].y);
            break;
        case decltype(e.kind)::Curve:
            cairo_curve_to(cr, e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y);
            break;
        case decltype(e.kind)::Close:
            cairo_close_path(cr);
            break;
        }
    }
}

void BezierPath::addTo(GraphicsContext& context) const
{
    addToCairo(context.cairo(), m_elements);
}

namespace {

// Runs `draw` with only this path in the context, then puts the caller's path back.
template<typename F> void withOwnPath(GraphicsContext& context, F&& draw)
{
    cairo_t* cr = context.cairo();
    cairo_path_t* saved = cairo_copy_path(cr);
    cairo_new_path(cr);
    draw();
    cairo_new_path(cr);
    if (saved->status == CAIRO_STATUS_SUCCESS)
        cairo_append_path(cr, saved);
    cairo_path_destroy(saved);
}

} // namespace

void BezierPath::fill(GraphicsContext& context) const
{
    withOwnPath(context, [&] {
        addTo(context);
        context.fillPath(m_evenOdd ? FillRule::EvenOdd : FillRule::NonZero);
    });
}

void BezierPath::stroke(GraphicsContext& context) const
{
    withOwnPath(context, [&] {
        context.save();
        context.setLineWidth(m_lineWidth);
        context.setLineCap(m_cap);
        context.setLineJoin(m_join);
        context.setMiterLimit(m_miterLimit);
        addTo(context);
        context.strokePath();
        context.restore();
    });
}

void BezierPath::addClip(GraphicsContext& context) const
{
    withOwnPath(context, [&] {
        addTo(context);
        context.clip(m_evenOdd ? FillRule::EvenOdd : FillRule::NonZero);
    });
}

bool BezierPath::contains(Point p) const
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(surface);
    addToCairo(cr, m_elements);
    cairo_set_fill_rule(cr, m_evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    bool inside = cairo_in_fill(cr, p.x, p.y);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return inside;
}

Rect BezierPath::bounds() const
{
    Rect box = Rect::null();
    for (const auto& e : m_elements) {
        int count = e.kind == Kind::Curve ? 3 : e.kind == Kind::Close ? 0 : 1;
        for (int i = 0; i < count; ++i)
            box = box.unionWith(Rect {e.p[i], Size {}});
    }
    return box;
}

} // namespace graphics
