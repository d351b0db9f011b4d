#include "platform/render/Renderer.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/BoxBlur.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/render/BoxBlur.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ShapeLayer.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/View.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace render {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Image;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kInvisibleAlpha = 0.001;
constexpr double kMaxPixelSide = 32767;
// Blurs inside blurs redraw their own backdrops; deeper ones show their tint only.
constexpr int kMaxBackdropDepth = 2;

bool isDrawable(const Color& c)
{
    return c.a > 0;
}

void addShape(GraphicsContext& context, const Rect& rect, double radius)
{
    if (radius > 0)
        context.addRoundedRect(rect, std::min(radius, std::min(rect.width(), rect.height()) / 2));
    else
        context.addRect(rect);
}

bool hasVisibleSubviews(const ui::View& view)
{
    for (auto& subview : view.subviews()) {
        if (!subview->isHidden() && subview->layer().presentation().opacity > kInvisibleAlpha)
            return true;
    }
    return false;
}

// Whether `rect` (user space) can show anything inside the current clip.
bool intersectsClip(cairo_t* cr, const Rect& rect)
{
    double x0, y0, x1, y1;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    Rect clip {x0, y0, x1 - x0, y1 - y0};
    return rect.intersects(clip);
}

// Where a shape layer's path may paint, strokes included: it may reach beyond the bounds.
Rect shapeExtent(const ui::ShapeLayer& shape)
{
    if (!shape.path() || shape.path()->isEmpty())
        return Rect::null();
    Rect extent = shape.path()->bounds();
    if (shape.strokeColor() && shape.lineWidth() > 0) {
        // A miter join reaches out half the miter limit times the line width.
        double reach = shape.lineWidth() / 2 * std::max(1.0, shape.path()->miterLimit());
        extent = extent.insetBy(-reach, -reach);
    }
    return extent;
}

} // namespace

Renderer::Renderer(double scale)
    : m_scale(scale > 0 ? scale : ui::Screen::mainScreen().scale())
{ }

std::shared_ptr<Image> Renderer::renderScreen()
{
    Rect screen = ui::Screen::mainScreen().bounds();
    auto image = Image::create(
        int(std::lround(screen.width() * m_scale)), int(std::lround(screen.height() * m_scale)), m_scale);
    renderScreen(*image);
    return image;
}

std::shared_ptr<Image> Renderer::renderScreenAsSeen()
{
    auto image = renderScreen();
    switch (ui::Application::shared().interfaceOrientationInScreen()) {
    case ui::InterfaceOrientation::LandscapeRight:
        image->setOrientation(graphics::ImageOrientation::Left);
        break;
    case ui::InterfaceOrientation::LandscapeLeft:
        image->setOrientation(graphics::ImageOrientation::Right);
        break;
    case ui::InterfaceOrientation::PortraitUpsideDown:
        image->setOrientation(graphics::ImageOrientation::Down);
        break;
    default:
        return image;
    }
    return image->uprightCopy();
}

void Renderer::renderScreen(Image& target)
{
    m_viewsDrawn = 0;
    ui::Application::shared().layoutWindows();
    GraphicsContext context(target);
    m_targetWidth = target.pixelWidth();
    m_targetHeight = target.pixelHeight();
    Size size = target.size();
    drawRoot(context, [size](Renderer& renderer, GraphicsContext& context) {
        context.fillRect({0, 0, size.width, size.height}, Color::black());
        for (auto& window : ui::Application::shared().windows())
            renderer.drawSubtree(context, *window);
        renderer.drawSubtree(context, *ui::Application::shared().statusBar());
    });
    context.flush();
}

std::shared_ptr<Image> Renderer::renderView(ui::View& view)
{
    m_viewsDrawn = 0;
    Rect bounds = view.layer().presentation().bounds;
    double width = std::max(1.0, std::ceil(bounds.width() * m_scale));
    double height = std::max(1.0, std::ceil(bounds.height() * m_scale));
    // Cairo draws nothing wider or taller than this, and a bitmap that size may not even be
    // allocatable: such a view snapshots to an image without pixels.
    if (!(width <= kMaxPixelSide && height <= kMaxPixelSide))
        return Image::createWithoutBitmap(bounds.size, m_scale);
    auto image = Image::create(int(width), int(height), m_scale);
    renderView(view, *image);
    return image;
}

void Renderer::renderView(ui::View& view, Image& target)
{
    m_viewsDrawn = 0;
    if (!target.isBitmapBacked())
        return;
    Rect bounds = view.layer().presentation().bounds;
    GraphicsContext context(target);
    m_targetWidth = target.pixelWidth();
    m_targetHeight = target.pixelHeight();
    drawRoot(context, [&view, bounds](Renderer& renderer, GraphicsContext& context) {
        const ui::LayerState& state = view.layer().presentation();
        // drawSubtree places the view by its transform and position; undo that so that the
        // bounds' origin lands at the image's origin.
        context.translate(-bounds.minX(), -bounds.minY());
        context.concat(state.toSuperviewTransform().inverted());
        if (!view.isHidden() && state.opacity > kInvisibleAlpha)
            renderer.drawSubtree(context, view);
    });
    context.flush();
}

void Renderer::drawView(GraphicsContext& context, ui::View& view)
{
    drawSubtree(context, view);
}

void Renderer::drawRoot(GraphicsContext& context, const RootDrawing& root)
{
    m_root = root;
    context.save();
    root(*this, context);
    context.restore();
    m_root = nullptr;
}

// Blurs what lies under `view` and paints it inside the view's shape, with the effect's tint on top.
void Renderer::drawBackdrop(GraphicsContext& context, ui::View& view)
{
    auto* effectView = dynamic_cast<ui::VisualEffectView*>(&view);
    if (!effectView || !effectView->effect())
        return;
    const ui::BlurEffect& effect = *effectView->effect();
    const ui::LayerState& state = view.layer().presentation();
    Rect bounds = state.bounds;
    cairo_t* cr = context.cairo();

    if (m_root && m_backdropDepth < kMaxBackdropDepth && m_targetWidth > 0 && m_targetHeight > 0) {
        uint32_t box = graphics::BoxBlur::boxSize(effect.radius(), m_scale);
        int margin = int(box) * 2;
        double xs[4] = {bounds.minX(), bounds.maxX(), bounds.minX(), bounds.maxX()};
        double ys[4] = {bounds.minY(), bounds.minY(), bounds.maxY(), bounds.maxY()};
        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
        for (int i = 0; i < 4; ++i) {
            double x = xs[i], y = ys[i];
            cairo_user_to_device(cr, &x, &y);
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
        int left = std::max(0, int(std::floor(x0)) - margin);
        int top = std::max(0, int(std::floor(y0)) - margin);
        int right = std::min(m_targetWidth, int(std::ceil(x1)) + margin);
        int bottom = std::min(m_targetHeight, int(std::ceil(y1)) + margin);
        auto crop = Image::createUninitialized(std::max(right - left, 1), std::max(bottom - top, 1), m_scale);
        auto blurred
            = Image::createUninitialized(std::max(right - left, 1), std::max(bottom - top, 1), m_scale);
        if (right > left && bottom > top && crop && blurred) {
            auto a = graphics::PixelBuffer::of(*crop);
            auto b = graphics::PixelBuffer::of(*blurred);
            // What lies behind is what the target holds so far, unless the view is drawn into a
            // group of its own (a fading ancestor): then everything before it is drawn again.
            cairo_surface_t* target = cairo_get_target(cr);
            bool direct = cairo_get_group_target(cr) == target
                && cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE
                && cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32
                && cairo_image_surface_get_width(target) == m_targetWidth
                && cairo_image_surface_get_height(target) == m_targetHeight;
            std::shared_ptr<Image> full;
            graphics::PixelBuffer source;
            if (direct) {
                cairo_surface_flush(target);
                source = {cairo_image_surface_get_data(target), m_targetWidth, m_targetHeight,
                    size_t(cairo_image_surface_get_stride(target))};
            } else {
                Renderer behind(m_scale);
                behind.m_stopAt = &view;
                behind.m_backdropDepth = m_backdropDepth + 1;
                behind.m_targetWidth = m_targetWidth;
                behind.m_targetHeight = m_targetHeight;
                full = Image::create(m_targetWidth, m_targetHeight, m_scale);
                if (full) {
                    GraphicsContext behindContext(*full);
                    behind.drawRoot(behindContext, m_root);
                    behindContext.flush();
                    source = graphics::PixelBuffer::of(*full);
                }
            }
            if (source.data) {
                for (int y = 0; y < a.height; ++y)
                    std::memcpy(a.row(y), source.row(top + y) + size_t(left) * 4, size_t(a.width) * 4);
                graphics::BoxBlur::convolveThreeTimes(a, b, box);
                cairo_surface_t* surface = cairo_image_surface_create_for_data(
                    b.data, CAIRO_FORMAT_ARGB32, b.width, b.height, int(b.rowBytes));
                context.save();
                addShape(context, bounds, state.cornerRadius);
                context.clip();
                cairo_identity_matrix(cr);
                cairo_set_source_surface(cr, surface, left, top);
                cairo_paint_with_alpha(cr, context.alpha());
                context.restore();
                cairo_surface_destroy(surface);
            }
        }
    }
    context.save();
    context.setFillColor(effect.tint());
    addShape(context, bounds, state.cornerRadius);
    context.fillPath();
    context.restore();
}

void Renderer::drawSubtree(GraphicsContext& context, ui::View& view)
{
    if (m_stopped)
        return;
    if (&view == m_stopAt) {
        m_stopped = true;
        return;
    }
    if (view.isHidden())
        return;
    const ui::LayerState& state = view.layer().presentation();
    if (state.opacity <= kInvisibleAlpha)
        return;
    cairo_t* cr = context.cairo();
    context.save();
    context.concat(state.toSuperviewTransform());
    const ui::Layer& layer = view.layer();
    Rect bounds = state.bounds;
    // A clipping view outside the visible area can show nothing, nor can its subviews.
    Rect extent = bounds.insetBy(-state.borderWidth, -state.borderWidth);
    if (auto shape = dynamic_cast<const ui::ShapeLayer*>(&layer); shape && !layer.masksToBounds())
        extent = extent.unionWith(shapeExtent(*shape));
    bool visible = intersectsClip(cr, extent);
    bool shadowCanShow = state.shadowOpacity > 0 && state.shadowColor && isDrawable(*state.shadowColor)
        && intersectsClip(cr,
            bounds.offsetBy(state.shadowOffset.width, state.shadowOffset.height)
                .insetBy(-3 * state.shadowRadius - 2, -3 * state.shadowRadius - 2));
    if (!visible && !shadowCanShow && (layer.masksToBounds() || view.subviews().empty())) {
        context.restore();
        return;
    }
    // Off the visible area, a view that does not clip is passed through for its subviews only:
    // its own fill, drawing and border cannot show.
    Content content = visible ? Content::Own : Content::SubviewsOnly;
    if (visible)
        ++m_viewsDrawn;

    bool shadow = shadowCanShow;
    // Group opacity: a view with subviews fades as one picture; a leaf just fades its own drawing.
    bool group = state.opacity < 1 && (hasVisibleSubviews(view) || shadow || layer.mask());
    if (group)
        cairo_push_group(cr);
    else
        context.setAlpha(context.alpha() * state.opacity);

    if (group || content != Content::Own || !layer.shouldRasterize()
        || !drawRasterized(context, view, shadow)) {
        if (shadow)
            drawShadow(context, view);
        drawLayerContent(context, view, content);
    }

    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, state.opacity);
    }
    context.restore();
}

// Background, content, subviews and border, in the view's bounds coordinates, through its mask.
void Renderer::drawLayerContent(GraphicsContext& context, ui::View& view, Content content)
{
    cairo_t* cr = context.cairo();
    const ui::LayerState& state = view.layer().presentation();
    const ui::Layer& layer = view.layer();
    Rect bounds = state.bounds;
    auto mask = layer.mask();
    if (mask)
        cairo_push_group(cr);

    const bool own = content == Content::Own;
    context.save();
    if (own)
        drawBackdrop(context, view);
    if (own && state.backgroundColor && isDrawable(*state.backgroundColor)) {
        context.setFillColor(*state.backgroundColor);
        addShape(context, bounds, state.cornerRadius);
        context.fillPath();
    }
    if (layer.masksToBounds()) {
        addShape(context, bounds, state.cornerRadius);
        context.clip();
    }
    // A shape layer's path is its content, drawn under whatever the view draws itself.
    if (auto shape = dynamic_cast<const ui::ShapeLayer*>(&layer); own && shape) {
        context.save();
        shape->drawShape(context);
        context.restore();
    }
    if (own) {
        context.save();
        view.draw(context, bounds);
        context.restore();
    }
    for (auto& subview : view.subviews())
        drawSubtree(context, *subview);
    if (own && state.borderWidth > 0 && isDrawable(state.borderColor)) {
        double inset = state.borderWidth / 2;
        context.setStrokeColor(state.borderColor);
        context.setLineWidth(state.borderWidth);
        addShape(context, bounds.insetBy(inset, inset), std::max(0.0, state.cornerRadius - inset));
        context.strokePath();
    }
    context.restore();

    if (mask) {
        cairo_pattern_t* content = cairo_pop_group(cr);
        cairo_push_group(cr);
        drawSubtree(context, *mask);
        cairo_pattern_t* maskPattern = cairo_pop_group(cr);
        cairo_set_source(cr, content);
        cairo_mask(cr, maskPattern);
        cairo_pattern_destroy(maskPattern);
        cairo_pattern_destroy(content);
    }
}

namespace {

// What a rasterized layer's picture was made from; a picture made from the same is the same.
struct RasterKey {
    uint64_t displayVersion;
    Rect bounds;
    std::optional<Color> backgroundColor;
    double cornerRadius;
    double borderWidth;
    Color borderColor;
    std::optional<Color> shadowColor;
    double shadowOpacity;
    graphics::Size shadowOffset;
    double shadowRadius;
    double scale;
    double alpha;
    // Where the picture falls within a device pixel.
    double phaseX;
    double phaseY;

    bool operator==(const RasterKey&) const = default;
};

struct Raster {
    RasterKey key;
    // Device pixels of the picture's top-left corner relative to the bounds' origin.
    int left;
    int top;
    cairo_surface_t* surface;

    ~Raster() { cairo_surface_destroy(surface); }
};

} // namespace

// A leaf view whose layer asks to be rasterized is drawn once into a picture kept with the layer,
// and that picture is reused while the view's drawing and layer look the same and it lands
// unrotated at the rasterization scale. Answers false when it cannot be used.
bool Renderer::drawRasterized(GraphicsContext& context, ui::View& view, bool shadow)
{
    const ui::Layer& layer = view.layer();
    if (!view.subviews().empty() || layer.mask() || dynamic_cast<const ui::ShapeLayer*>(&layer)
        || std::abs(layer.rasterizationScale() - m_scale) > 1e-9)
        return false;
    cairo_t* cr = context.cairo();
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    if (matrix.xy != 0 || matrix.yx != 0 || std::abs(matrix.xx - m_scale) > 1e-9
        || std::abs(matrix.yy - m_scale) > 1e-9)
        return false;

    const ui::LayerState& state = layer.presentation();
    const double originX = matrix.x0 + state.bounds.minX() * m_scale;
    const double originY = matrix.y0 + state.bounds.minY() * m_scale;
    RasterKey key {view.displayVersion(), state.bounds, state.backgroundColor, state.cornerRadius,
        state.borderWidth, state.borderColor, shadow ? state.shadowColor : std::nullopt,
        shadow ? state.shadowOpacity : 0, state.shadowOffset, state.shadowRadius, m_scale, context.alpha(),
        originX - std::floor(originX), originY - std::floor(originY)};

    auto raster = std::static_pointer_cast<Raster>(layer.rasterCache());
    if (!raster || !(raster->key == key)) {
        Rect box = state.bounds.insetBy(-state.borderWidth, -state.borderWidth);
        if (shadow) {
            double reach = 3 * state.shadowRadius + 2;
            box = box.unionWith(state.bounds.offsetBy(state.shadowOffset.width, state.shadowOffset.height)
                                    .insetBy(-reach, -reach));
        }
        const int left = int(std::floor((box.minX() - state.bounds.minX()) * m_scale + key.phaseX));
        const int top = int(std::floor((box.minY() - state.bounds.minY()) * m_scale + key.phaseY));
        const int width = int(std::ceil((box.maxX() - state.bounds.minX()) * m_scale + key.phaseX)) - left;
        const int height = int(std::ceil((box.maxY() - state.bounds.minY()) * m_scale + key.phaseY)) - top;
        if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
            return false;
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* rcr = cairo_create(surface);
        cairo_matrix_t local;
        cairo_matrix_init(&local, m_scale, 0, 0, m_scale, key.phaseX - left - state.bounds.minX() * m_scale,
            key.phaseY - top - state.bounds.minY() * m_scale);
        cairo_set_matrix(rcr, &local);
        {
            GraphicsContext rasterContext(rcr);
            rasterContext.setAlpha(context.alpha());
            size_t drawn = m_viewsDrawn;
            if (shadow)
                drawShadow(rasterContext, view);
            drawLayerContent(rasterContext, view, Content::Own);
            m_viewsDrawn = drawn;
            rasterContext.flush();
        }
        cairo_destroy(rcr);
        raster = std::shared_ptr<Raster>(new Raster {key, left, top, surface});
        layer.setRasterCache(raster);
    }
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(
        cr, raster->surface, std::floor(originX) + raster->left, std::floor(originY) + raster->top);
    cairo_paint(cr);
    cairo_restore(cr);
    return true;
}

// The shadow: the shadow path, or else the layer's rounded shape when it has a background or a
// border, or else the alpha of everything the view draws; blurred and offset in device pixels.
void Renderer::drawShadow(GraphicsContext& context, ui::View& view)
{
    cairo_t* cr = context.cairo();
    const ui::LayerState& state = view.layer().presentation();
    const ui::Layer& layer = view.layer();
    Rect bounds = state.bounds;
    double sigma = state.shadowRadius * m_scale / 2;
    int margin = int(std::ceil(3 * sigma)) + 2;

    Rect shape = layer.shadowPath() ? layer.shadowPath()->bounds() : bounds;
    if (shape.isNull() || shape.isEmpty())
        return;
    // The shape's box in device pixels.
    double xs[4] = {shape.minX(), shape.maxX(), shape.minX(), shape.maxX()};
    double ys[4] = {shape.minY(), shape.minY(), shape.maxY(), shape.maxY()};
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (int i = 0; i < 4; ++i) {
        double x = xs[i], y = ys[i];
        cairo_user_to_device(cr, &x, &y);
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    int left = int(std::floor(x0)) - margin, top = int(std::floor(y0)) - margin;
    int width = int(std::ceil(x1)) + margin - left, height = int(std::ceil(y1)) + margin - top;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return;

    cairo_surface_t* maskSurface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    {
        cairo_t* mcr = cairo_create(maskSurface);
        cairo_matrix_t matrix;
        cairo_get_matrix(cr, &matrix);
        cairo_matrix_t shift;
        cairo_matrix_init_translate(&shift, -left, -top);
        cairo_matrix_multiply(&matrix, &matrix, &shift);
        cairo_set_matrix(mcr, &matrix);
        GraphicsContext maskContext(mcr);
        maskContext.setFillColor(Color::black());
        bool hasShape = state.backgroundColor && isDrawable(*state.backgroundColor);
        if (layer.shadowPath()) {
            layer.shadowPath()->fill(maskContext);
        } else if (hasShape || state.borderWidth > 0) {
            addShape(maskContext, bounds, state.cornerRadius);
            maskContext.fillPath();
        } else {
            // Nothing but content: its own alpha casts the shadow.
            cairo_push_group(mcr);
            size_t drawn = m_viewsDrawn;
            drawLayerContent(maskContext, view, Content::Own);
            m_viewsDrawn = drawn;
            cairo_pop_group_to_source(mcr);
            cairo_paint(mcr);
        }
        cairo_destroy(mcr);
    }
    cairo_surface_flush(maskSurface);
    BoxBlur::blurAlpha(cairo_image_surface_get_data(maskSurface), width, height,
        cairo_image_surface_get_stride(maskSurface), sigma);
    cairo_surface_mark_dirty(maskSurface);

    Color color = *state.shadowColor;
    double alpha = color.a * std::clamp(state.shadowOpacity, 0.0, 1.0) * context.alpha();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_rgba(cr, color.r, color.g, color.b, alpha);
    cairo_mask_surface(cr, maskSurface, left + state.shadowOffset.width * m_scale,
        top + state.shadowOffset.height * m_scale);
    cairo_restore(cr);
    cairo_surface_destroy(maskSurface);
}

std::shared_ptr<Image> Renderer::snapshot(ui::View& view)
{
    view.layoutIfNeeded();
    return Renderer().renderView(view);
}

std::shared_ptr<ui::View> Renderer::snapshotViewAfterScreenUpdates(ui::View& view, bool afterScreenUpdates)
{
    if (afterScreenUpdates)
        view.layoutIfNeeded();
    auto image = Renderer().renderView(view);
    auto snapshot = ui::ImageView::create(view.frame());
    snapshot->setImage(image);
    return snapshot;
}

} // namespace render
