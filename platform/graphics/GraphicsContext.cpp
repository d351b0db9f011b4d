#include "platform/graphics/GraphicsContext.h"

#include "platform/graphics/Image.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace graphics {

namespace {

// Cairo keeps the path outside its saved state; these keep the caller's path intact around a
// one-off fill or clip.
class PathKeeper {
public:
    explicit PathKeeper(cairo_t* cr)
        : m_cr(cr)
        , m_path(cairo_copy_path(cr))
    {
        cairo_new_path(cr);
    }
    ~PathKeeper()
    {
        cairo_new_path(m_cr);
        if (m_path->status == CAIRO_STATUS_SUCCESS)
            cairo_append_path(m_cr, m_path);
        cairo_path_destroy(m_path);
    }
    PathKeeper(const PathKeeper&) = delete;
    PathKeeper& operator=(const PathKeeper&) = delete;

private:
    cairo_t* m_cr;
    cairo_path_t* m_path;
};

cairo_fill_rule_t toCairo(FillRule rule)
{
    return rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING;
}

} // namespace

GraphicsContext::GraphicsContext(Image& image)
    : m_targetScale(image.scale())
{
    if (image.isBitmapBacked())
        m_surface = cairo_image_surface_create_for_data(
            image.data(), CAIRO_FORMAT_ARGB32, image.pixelWidth(), image.pixelHeight(), image.stride());
    else
        m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0);
    m_cr = cairo_create(m_surface);
    cairo_scale(m_cr, m_targetScale, m_targetScale);
}

GraphicsContext::GraphicsContext(_cairo* cr)
    : m_cr(cairo_reference(cr))
{ }

GraphicsContext::~GraphicsContext()
{
    while (!m_layers.empty())
        endTransparencyLayer();
    if (m_surface)
        cairo_surface_flush(m_surface);
    cairo_destroy(m_cr);
    if (m_surface) {
        cairo_surface_finish(m_surface);
        cairo_surface_destroy(m_surface);
    }
}

void GraphicsContext::flush()
{
    cairo_surface_flush(cairo_get_target(m_cr));
}

void GraphicsContext::save()
{
    cairo_save(m_cr);
    m_state.push_back(m_state.back());
}

void GraphicsContext::restore()
{
    // An unbalanced restore (also one reaching into an open transparency layer) is ignored
    // rather than corrupting Cairo's state.
    size_t floor = m_layers.empty() ? 1 : m_layers.back().stateDepth;
    if (m_state.size() <= floor)
        return;
    cairo_restore(m_cr);
    m_state.pop_back();
}

void GraphicsContext::translate(double dx, double dy)
{
    cairo_translate(m_cr, dx, dy);
}
void GraphicsContext::scale(double sx, double sy)
{
    concat(AffineTransform::makeScale(sx, sy));
}
void GraphicsContext::rotate(double radians)
{
    cairo_rotate(m_cr, radians);
}

void GraphicsContext::concat(const AffineTransform& t)
{
    cairo_matrix_t m {t.a, t.b, t.c, t.d, t.tx, t.ty};
    cairo_matrix_t combined;
    cairo_get_matrix(m_cr, &combined);
    cairo_matrix_multiply(&combined, &m, &combined);
    // Cairo refuses a matrix it cannot invert by failing the whole context for good, which would
    // blank everything drawn after it. Space squashed to nothing shows nothing: clip it all away
    // until the next restore instead.
    if (cairo_matrix_invert(&combined) != CAIRO_STATUS_SUCCESS) {
        PathKeeper keeper(m_cr);
        cairo_rectangle(m_cr, 0, 0, 0, 0);
        cairo_clip(m_cr);
        return;
    }
    cairo_transform(m_cr, &m);
}

AffineTransform GraphicsContext::currentTransform() const
{
    cairo_matrix_t m;
    cairo_get_matrix(m_cr, &m);
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void GraphicsContext::setFillColor(Color c)
{
    m_state.back().fill = c;
}
void GraphicsContext::setStrokeColor(Color c)
{
    m_state.back().stroke = c;
}
void GraphicsContext::setLineWidth(double w)
{
    cairo_set_line_width(m_cr, std::max(0.0, w));
}

void GraphicsContext::setLineCap(LineCap cap)
{
    cairo_set_line_cap(m_cr,
        cap == LineCap::Round        ? CAIRO_LINE_CAP_ROUND
            : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                     : CAIRO_LINE_CAP_BUTT);
}

void GraphicsContext::setLineJoin(LineJoin join)
{
    cairo_set_line_join(m_cr,
        join == LineJoin::Round       ? CAIRO_LINE_JOIN_ROUND
            : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                      : CAIRO_LINE_JOIN_MITER);
}

void GraphicsContext::setMiterLimit(double limit)
{
    cairo_set_miter_limit(m_cr, limit);
}

void GraphicsContext::setLineDash(const std::vector<double>& lengths, double phase)
{
    cairo_set_dash(m_cr, lengths.data(), int(lengths.size()), phase);
}

void GraphicsContext::setAlpha(double a)
{
    m_state.back().alpha = std::clamp(a, 0.0, 1.0);
}

void GraphicsContext::moveTo(Point p)
{
    cairo_move_to(m_cr, p.x, p.y);
}

void GraphicsContext::lineTo(Point p)
{
    if (cairo_has_current_point(m_cr))
        cairo_line_to(m_cr, p.x, p.y);
    else
        cairo_move_to(m_cr, p.x, p.y);
}

void GraphicsContext::curveTo(Point cp1, Point cp2, Point end)
{
    if (!cairo_has_current_point(m_cr))
        cairo_move_to(m_cr, cp1.x, cp1.y);
    cairo_curve_to(m_cr, cp1.x, cp1.y, cp2.x, cp2.y, end.x, end.y);
}

void GraphicsContext::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise)
{
    if (clockwise)
        cairo_arc(m_cr, center.x, center.y, radius, startAngle, endAngle);
    else
        cairo_arc_negative(m_cr, center.x, center.y, radius, startAngle, endAngle);
}

void GraphicsContext::closePath()
{
    cairo_close_path(m_cr);
}

void GraphicsContext::addRect(Rect r)
{
    if (r.isNull())
        return;
    r = r.standardized();
    cairo_rectangle(m_cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
}

void GraphicsContext::addRoundedRect(Rect r, double radius)
{
    if (r.isNull())
        return;
    r = r.standardized();
    radius = std::clamp(radius, 0.0, std::min(r.width(), r.height()) / 2);
    if (radius <= 0) {
        addRect(r);
        return;
    }
    constexpr double kHalfPi = M_PI / 2;
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, r.maxX() - radius, r.minY() + radius, radius, -kHalfPi, 0);
    cairo_arc(m_cr, r.maxX() - radius, r.maxY() - radius, radius, 0, kHalfPi);
    cairo_arc(m_cr, r.minX() + radius, r.maxY() - radius, radius, kHalfPi, M_PI);
    cairo_arc(m_cr, r.minX() + radius, r.minY() + radius, radius, M_PI, 3 * kHalfPi);
    cairo_close_path(m_cr);
}

void GraphicsContext::addEllipse(Rect r)
{
    if (r.isEmpty())
        return;
    r = r.standardized();
    cairo_new_sub_path(m_cr);
    cairo_save(m_cr);
    cairo_translate(m_cr, r.midX(), r.midY());
    cairo_scale(m_cr, r.width() / 2, r.height() / 2);
    cairo_arc(m_cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(m_cr);
    cairo_close_path(m_cr);
}

void GraphicsContext::beginPath()
{
    cairo_new_path(m_cr);
}

bool GraphicsContext::isPathEmpty() const
{
    cairo_path_t* path = cairo_copy_path(m_cr);
    bool empty = path->num_data == 0;
    cairo_path_destroy(path);
    return empty;
}

void GraphicsContext::setSource(Color c) const
{
    cairo_set_source_rgba(m_cr, c.r, c.g, c.b, c.a * m_state.back().alpha);
}

void GraphicsContext::fillPath(FillRule rule)
{
    setSource(m_state.back().fill);
    cairo_set_fill_rule(m_cr, toCairo(rule));
    cairo_fill(m_cr);
}

void GraphicsContext::strokePath()
{
    setSource(m_state.back().stroke);
    cairo_stroke(m_cr);
}

void GraphicsContext::clip(FillRule rule)
{
    cairo_set_fill_rule(m_cr, toCairo(rule));
    cairo_clip(m_cr);
}

void GraphicsContext::clipToRect(Rect r)
{
    PathKeeper keeper(m_cr);
    if (r.isNull())
        r = Rect::zero();
    addRect(r);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(m_cr);
}

Rect GraphicsContext::clipBoundingBox() const
{
    double x0, y0, x1, y1;
    cairo_clip_extents(m_cr, &x0, &y0, &x1, &y1);
    return {x0, y0, x1 - x0, y1 - y0};
}

void GraphicsContext::fillRect(Rect r, Color c)
{
    PathKeeper keeper(m_cr);
    addRect(r);
    setSource(c);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(m_cr);
}

void GraphicsContext::fillRect(Rect r)
{
    fillRect(r, m_state.back().fill);
}

void GraphicsContext::strokeRect(Rect r)
{
    PathKeeper keeper(m_cr);
    addRect(r);
    strokePath();
}

void GraphicsContext::fillEllipse(Rect r)
{
    PathKeeper keeper(m_cr);
    addEllipse(r);
    fillPath();
}

void GraphicsContext::clearRect(Rect r)
{
    PathKeeper keeper(m_cr);
    cairo_save(m_cr);
    addRect(r);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void GraphicsContext::drawImage(const Image& image, Rect rect, double alpha)
{
    if (!image.isBitmapBacked() || rect.isEmpty() || image.pixelWidth() == 0 || image.pixelHeight() == 0)
        return;
    rect = rect.standardized();
    // Cairo only reads from the source surface here. An opaque image is read as such (the same
    // bytes, alpha unused), which lets the compositor copy instead of blend.
    cairo_surface_t* source = cairo_image_surface_create_for_data(const_cast<uint8_t*>(image.data()),
        image.isOpaque() ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, image.pixelWidth(), image.pixelHeight(),
        image.stride());
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    // User space to upright pixels, then upright pixels to the stored ones.
    bool swap = swapsAxes(image.orientation());
    double uprightWidth = swap ? image.pixelHeight() : image.pixelWidth();
    double uprightHeight = swap ? image.pixelWidth() : image.pixelHeight();
    cairo_matrix_t toUpright;
    cairo_matrix_init_scale(&toUpright, uprightWidth / rect.width(), uprightHeight / rect.height());
    cairo_matrix_translate(&toUpright, -rect.origin.x, -rect.origin.y);
    auto map = OrientationMap::forImage(image.orientation(), image.pixelWidth(), image.pixelHeight());
    cairo_matrix_t toStored;
    cairo_matrix_init(&toStored, map.xu, map.yu, map.xv, map.yv, map.x0, map.y0);
    cairo_matrix_t m;
    cairo_matrix_multiply(&m, &toUpright, &toStored);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    // Padding keeps the edges solid when scaling; the clip keeps the padding out of sight.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);

    PathKeeper keeper(m_cr);
    cairo_save(m_cr);
    addRect(rect);
    cairo_clip(m_cr);
    cairo_set_source(m_cr, pattern);
    cairo_paint_with_alpha(m_cr, std::clamp(alpha, 0.0, 1.0) * m_state.back().alpha);
    cairo_restore(m_cr);

    cairo_pattern_destroy(pattern);
    cairo_surface_finish(source);
    cairo_surface_destroy(source);
}

void GraphicsContext::beginTransparencyLayer(double alpha)
{
    cairo_push_group(m_cr);
    State inner = m_state.back();
    inner.alpha = 1;
    m_state.push_back(inner);
    m_layers.push_back({std::clamp(alpha, 0.0, 1.0) * m_state[m_state.size() - 2].alpha, m_state.size()});
}

void GraphicsContext::endTransparencyLayer()
{
    if (m_layers.empty())
        return;
    while (m_state.size() > m_layers.back().stateDepth)
        restore();
    double alpha = m_layers.back().alpha;
    m_layers.pop_back();
    m_state.pop_back();
    cairo_pop_group_to_source(m_cr);
    cairo_paint_with_alpha(m_cr, alpha);
    cairo_set_source_rgb(m_cr, 0, 0, 0);
}

} // namespace graphics
