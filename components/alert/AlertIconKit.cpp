#include "components/alert/AlertIconKit.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"

using graphics::BezierPath;
using graphics::Color;
using graphics::GraphicsContext;
using graphics::Image;
using graphics::Point;

namespace {

constexpr graphics::Size kCanvas {80, 80};
constexpr Color kIconWhite = Color::rgba(1, 1, 1, 1);
constexpr Color kWarningGrey = Color::rgba(0.236, 0.236, 0.236, 1);

// One step of a path: a move, a line, a curve (end point, then its two control points) or a close.
struct Step {
    enum Kind { Move, Line, Curve, Close } kind;
    Point point {};
    Point control1 {};
    Point control2 {};
};

BezierPath pathOf(std::initializer_list<Step> steps)
{
    BezierPath path;
    for (const Step& step : steps) {
        switch (step.kind) {
        case Step::Move:
            path.moveTo(step.point);
            break;
        case Step::Line:
            path.addLineTo(step.point);
            break;
        case Step::Curve:
            path.addCurveTo(step.point, step.control1, step.control2);
            break;
        case Step::Close:
            path.closePath();
            break;
        }
    }
    return path;
}

Step move(double x, double y)
{
    return {Step::Move, {x, y}};
}
Step line(double x, double y)
{
    return {Step::Line, {x, y}};
}
Step curve(double x, double y, double c1x, double c1y, double c2x, double c2y)
{
    return {Step::Curve, {x, y}, {c1x, c1y}, {c2x, c2y}};
}
Step close()
{
    return {Step::Close};
}

// A closed polygon: move to the first corner, line to each next and back to the first.
void addPolygon(BezierPath& path, std::initializer_list<Point> corners)
{
    path.moveTo(*corners.begin());
    for (auto it = corners.begin() + 1; it != corners.end(); ++it)
        path.addLineTo(*it);
    path.addLineTo(*corners.begin());
    path.closePath();
}

void fill(GraphicsContext& context, const BezierPath& path, Color color)
{
    context.save();
    context.setFillColor(color);
    path.fill(context);
    context.restore();
}

// Renders once into an image of the canvas size at the screen's scale; later calls share it.
std::shared_ptr<Image> cached(std::shared_ptr<Image>& cache, void (*draw)(GraphicsContext&))
{
    if (cache)
        return cache;
    graphics::beginImageContext(kCanvas, false, 0);
    draw(*graphics::currentContext());
    cache = graphics::imageFromCurrentContext();
    graphics::endImageContext();
    return cache;
}

// Process-wide: each icon is drawn at most once. Main thread only, like the alert.
std::shared_ptr<Image> s_checkmark;
std::shared_ptr<Image> s_cross;
std::shared_ptr<Image> s_notice;
std::shared_ptr<Image> s_warning;
std::shared_ptr<Image> s_info;
std::shared_ptr<Image> s_edit;

} // namespace

void AlertIconKit::drawCheckmark(GraphicsContext& context)
{
    BezierPath path = pathOf({
        move(73.25, 14.05),
        curve(64.51, 13.86, 70.98, 11.44, 66.78, 11.26),
        line(27.46, 52.00),
        line(15.75, 39.54),
        curve(6.84, 39.54, 13.48, 36.93, 9.28, 36.93),
        curve(6.84, 49.02, 4.39, 42.14, 4.39, 46.42),
        line(22.91, 66.14),
        curve(27.28, 68.00, 24.14, 67.44, 25.71, 68.00),
        curve(31.65, 66.14, 28.86, 68.00, 30.43, 67.26),
        line(73.08, 23.35),
        curve(73.25, 14.05, 75.52, 20.75, 75.70, 16.65),
        close(),
    });
    path.setMiterLimit(4);
    fill(context, path, kIconWhite);
}

void AlertIconKit::drawCross(GraphicsContext& context)
{
    BezierPath path = pathOf({move(10, 70), line(70, 10), move(10, 10), line(70, 70)});
    path.setLineWidth(14);
    path.setLineCapStyle(graphics::LineCap::Round);
    path.setLineJoinStyle(graphics::LineJoin::Round);
    context.save();
    context.setStrokeColor(kIconWhite);
    path.stroke(context);
    context.restore();
}

void AlertIconKit::drawNotice(GraphicsContext& context)
{
    BezierPath path = pathOf({
        move(72.00, 48.54),
        line(72.00, 39.90),
        curve(66.38, 34.01, 72.00, 36.76, 69.48, 34.01),
        curve(61.53, 35.97, 64.82, 34.01, 62.69, 34.80),
        curve(60.36, 35.78, 61.33, 35.97, 62.30, 35.78),
        line(60.36, 33.22),
        curve(54.16, 26.16, 60.36, 29.30, 57.65, 26.16),
        curve(48.73, 29.89, 51.64, 26.16, 50.67, 27.73),
        line(48.73, 28.71),
        curve(43.49, 21.64, 48.73, 24.78, 46.98, 21.64),
        curve(39.03, 25.37, 40.97, 21.64, 39.03, 23.01),
        line(39.03, 9.07),
        curve(32.24, 2.00, 39.03, 5.14, 35.73, 2.00),
        curve(25.45, 9.07, 28.56, 2.00, 25.45, 5.14),
        line(25.45, 41.47),
        curve(24.29, 43.44, 25.45, 42.45, 24.68, 43.04),
        curve(9.55, 43.04, 16.73, 40.88, 11.88, 40.69),
        curve(8.00, 46.58, 8.58, 43.83, 8.00, 45.20),
        curve(14.40, 55.81, 8.19, 50.31, 12.07, 53.84),
        line(27.20, 69.56),
        curve(42.91, 77.80, 30.50, 74.47, 35.73, 77.21),
        curve(43.88, 77.80, 43.30, 77.80, 43.68, 77.80),
        curve(47.18, 78.00, 45.04, 77.80, 46.01, 78.00),
        line(48.34, 78.00),
        curve(71.61, 52.08, 56.48, 78.00, 69.87, 75.05),
        curve(72.00, 48.54, 71.81, 51.29, 72.00, 49.72),
        close(),
    });
    path.setMiterLimit(4);
    fill(context, path, kIconWhite);
}

void AlertIconKit::drawWarning(GraphicsContext& context)
{
    BezierPath dot = pathOf({
        move(40.94, 63.39),
        curve(36.03, 65.55, 39.06, 63.39, 37.36, 64.18),
        curve(34.14, 70.45, 34.90, 66.92, 34.14, 68.49),
        curve(36.22, 75.54, 34.14, 72.41, 34.90, 74.17),
        curve(40.94, 77.50, 37.54, 76.91, 39.06, 77.50),
        curve(45.86, 75.35, 42.83, 77.50, 44.53, 76.72),
        curve(47.93, 70.45, 47.18, 74.17, 47.93, 72.41),
        curve(45.86, 65.35, 47.93, 68.49, 47.18, 66.72),
        curve(40.94, 63.39, 44.53, 64.18, 42.83, 63.39),
        close(),
    });
    dot.setMiterLimit(4);
    fill(context, dot, kWarningGrey);

    BezierPath bar = pathOf({
        move(46.23, 4.26),
        curve(40.94, 2.50, 44.91, 3.09, 43.02, 2.50),
        curve(34.71, 4.26, 38.68, 2.50, 36.03, 3.09),
        curve(31.50, 8.77, 33.01, 5.44, 31.50, 7.01),
        line(31.50, 19.36),
        line(34.71, 54.44),
        curve(40.38, 58.16, 34.90, 56.20, 36.41, 58.16),
        curve(45.67, 54.44, 44.34, 58.16, 45.67, 56.01),
        line(48.50, 19.36),
        line(48.50, 8.77),
        curve(46.23, 4.26, 48.50, 7.01, 47.74, 5.44),
        close(),
    });
    bar.setMiterLimit(4);
    fill(context, bar, kWarningGrey);
}

void AlertIconKit::drawInfo(GraphicsContext& context)
{
    BezierPath path = pathOf({
        move(45.66, 15.96),
        curve(45.66, 5.22, 48.78, 12.99, 48.78, 8.19),
        curve(34.34, 5.22, 42.53, 2.26, 37.47, 2.26),
        curve(34.34, 15.96, 31.22, 8.19, 31.22, 12.99),
        curve(45.66, 15.96, 37.47, 18.92, 42.53, 18.92),
        close(),
        move(48.00, 69.41),
        curve(40.00, 77.00, 48.00, 73.58, 44.40, 77.00),
        curve(32.00, 69.41, 35.60, 77.00, 32.00, 73.58),
        line(32.00, 35.26),
        curve(40.00, 27.67, 32.00, 31.08, 35.60, 27.67),
        curve(48.00, 35.26, 44.40, 27.67, 48.00, 31.08),
        line(48.00, 69.41),
        close(),
    });
    fill(context, path, kIconWhite);
}

void AlertIconKit::drawEdit(GraphicsContext& context)
{
    BezierPath path = pathOf({
        move(71.0, 2.7),
        curve(71.9, 15.2, 74.7, 5.9, 75.1, 11.6),
        line(64.5, 23.7),
        line(49.9, 11.1),
        line(57.3, 2.6),
        curve(69.7, 1.7, 60.4, -1.1, 66.1, -1.5),
        line(71.0, 2.7),
        close(),
    });
    addPolygon(path, {{47.8, 13.5}, {13.4, 53.1}, {15.7, 55.1}, {50.1, 15.5}});
    addPolygon(path, {{17.7, 56.7}, {23.8, 62.2}, {58.2, 22.6}, {52.0, 17.1}});
    addPolygon(path, {{25.8, 63.8}, {60.1, 24.2}, {62.3, 26.1}, {28.1, 65.7}});
    addPolygon(path, {{25.9, 68.1}, {4.2, 79.5}, {11.3, 55.5}});
    path.setMiterLimit(4);
    path.setUsesEvenOddFillRule(true);
    fill(context, path, kIconWhite);
}

std::shared_ptr<Image> AlertIconKit::imageOfCheckmark()
{
    return cached(s_checkmark, drawCheckmark);
}
std::shared_ptr<Image> AlertIconKit::imageOfCross()
{
    return cached(s_cross, drawCross);
}
std::shared_ptr<Image> AlertIconKit::imageOfNotice()
{
    return cached(s_notice, drawNotice);
}
std::shared_ptr<Image> AlertIconKit::imageOfWarning()
{
    return cached(s_warning, drawWarning);
}
std::shared_ptr<Image> AlertIconKit::imageOfInfo()
{
    return cached(s_info, drawInfo);
}
std::shared_ptr<Image> AlertIconKit::imageOfEdit()
{
    return cached(s_edit, drawEdit);
}
