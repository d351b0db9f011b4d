#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <vector>

struct _cairo;
struct _cairo_surface;

namespace graphics {

class Image;

enum class FillRule { NonZero, EvenOdd };
enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };

// A drawing context on Cairo. Coordinates are points: the target image's scale is applied when
// the context is made, so drawing a 10-point rect into a scale-2 image covers 20 pixels.
class GraphicsContext final {
public:
    explicit GraphicsContext(Image&);
    // Wraps a Cairo context that someone else owns (the renderer's); its matrix is left as is.
    explicit GraphicsContext(_cairo*);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    void save();
    void restore();
    void translate(double dx, double dy);
    void scale(double sx, double sy);
    void rotate(double radians);
    void concat(const AffineTransform&);
    AffineTransform currentTransform() const;

    void setFillColor(Color);
    void setStrokeColor(Color);
    Color fillColor() const { return m_state.back().fill; }
    Color strokeColor() const { return m_state.back().stroke; }
    void setLineWidth(double);
    void setLineCap(LineCap);
    void setLineJoin(LineJoin);
    void setMiterLimit(double);
    void setLineDash(const std::vector<double>& lengths, double phase = 0);
    // Multiplies every later fill, stroke and image draw (not transparency layers).
    void setAlpha(double);
    double alpha() const { return m_state.back().alpha; }

    void moveTo(Point);
    void lineTo(Point);
    void curveTo(Point cp1, Point cp2, Point end);
    // Circular arc around `center` from `startAngle` to `endAngle`; clockwise on screen (y down)
    // means increasing angles.
    void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
    void closePath();
    void addRect(Rect);
    void addRoundedRect(Rect, double radius);
    void addEllipse(Rect);
    void beginPath();
    bool isPathEmpty() const;

    // Each of these consumes the current path.
    void fillPath(FillRule = FillRule::NonZero);
    void strokePath();
    void clip(FillRule = FillRule::NonZero);
    void clipToRect(Rect);
    // Clip bounds in user space.
    Rect clipBoundingBox() const;

    void fillRect(Rect, Color);
    void fillRect(Rect);
    void strokeRect(Rect);
    void fillEllipse(Rect);
    // Makes the rect fully transparent.
    void clearRect(Rect);
    // Draws the image scaled into `rect` with good filtering; an image without a bitmap draws nothing.
    void drawImage(const Image&, Rect, double alpha = 1);

    // Everything drawn until endTransparencyLayer() is composited as one group with `alpha`.
    void beginTransparencyLayer(double alpha);
    void endTransparencyLayer();

    // Makes everything drawn so far visible in the target's pixels (open layers excepted).
    void flush();

    _cairo* cairo() { return m_cr; }
    // Scale of the target (the image's scale, or 1 for a wrapped Cairo context).
    double targetScale() const { return m_targetScale; }

private:
    struct State {
        Color fill = Color::black();
        Color stroke = Color::black();
        double alpha = 1;
    };
    void setSource(Color) const;

    _cairo* m_cr = nullptr;
    _cairo_surface* m_surface = nullptr;
    double m_targetScale = 1;
    std::vector<State> m_state {State {}};
    struct Layer {
        double alpha;
        size_t stateDepth;
    };
    std::vector<Layer> m_layers;
};

} // namespace graphics
