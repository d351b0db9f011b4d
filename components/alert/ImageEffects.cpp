#include "components/alert/ImageEffects.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/BoxBlur.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/graphics/SaturationMatrix.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cairo.h>
#include <cfloat>
#include <cmath>
#include <cstring>

using graphics::BoxBlur;
using graphics::Color;
using graphics::GraphicsContext;
using graphics::Image;
using graphics::PixelBuffer;
using graphics::Rect;
using graphics::SaturationMatrix;
using graphics::Size;

namespace {

int pixelsFor(double points, double scale)
{
    return static_cast<int>(std::ceil(points * scale - 1e-6));
}

// The bitmap an image context of this size would have at the screen's scale.
std::shared_ptr<Image> contextImage(Size size, double scale)
{
    return Image::create(pixelsFor(size.width, scale), pixelsFor(size.height, scale), scale);
}

// The same, left unfilled: for work that writes every pixel.
std::shared_ptr<Image> uninitializedContextImage(Size size, double scale)
{
    return Image::createUninitialized(pixelsFor(size.width, scale), pixelsFor(size.height, scale), scale);
}

// The working buffer of the blur that is not part of the result, kept between calls: each alert
// blurs a screen-sized snapshot, and a fresh bitmap costs the kernel zeroing its pages each time.
std::shared_ptr<Image> scratchImage(Size size, double scale)
{
    thread_local std::shared_ptr<Image> scratch;
    int width = pixelsFor(size.width, scale), height = pixelsFor(size.height, scale);
    if (!scratch || scratch->pixelWidth() != width || scratch->pixelHeight() != height)
        scratch = Image::createUninitialized(width, height, scale);
    return scratch;
}

bool sameSize(const Image& image, const Image& target)
{
    return image.pixelWidth() == target.pixelWidth() && image.pixelHeight() == target.pixelHeight();
}

// Draws `image` into `target` over its whole size; a plain row copy when no scaling is involved.
void drawImageInto(const Image& image, Image& target, Rect rect)
{
    if (image.pixelWidth() == target.pixelWidth() && image.pixelHeight() == target.pixelHeight()) {
        const size_t rowBytes = 4 * static_cast<size_t>(image.pixelWidth());
        for (int y = 0; y < image.pixelHeight(); ++y)
            std::memcpy(target.data() + static_cast<size_t>(y) * target.stride(),
                image.data() + static_cast<size_t>(y) * image.stride(), rowBytes);
        return;
    }
    GraphicsContext context(target);
    context.drawImage(image, rect);
}

// Paints `effect` into `rect` through the mask's alpha, the mask stretched over the rect.
void drawMasked(GraphicsContext& context, const Image& effect, const Image& mask, Rect rect)
{
    cairo_t* cr = context.cairo();
    cairo_push_group(cr);
    context.drawImage(effect, rect);
    cairo_pop_group_to_source(cr);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(const_cast<uint8_t*>(mask.data()),
        CAIRO_FORMAT_ARGB32, mask.pixelWidth(), mask.pixelHeight(), mask.stride());
    cairo_save(cr);
    cairo_translate(cr, rect.origin.x, rect.origin.y);
    cairo_scale(cr, rect.size.width / mask.pixelWidth(), rect.size.height / mask.pixelHeight());
    cairo_mask_surface(cr, surface, 0, 0);
    cairo_restore(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
}

std::string describe(const Image& image)
{
    char text[96];
    std::snprintf(text, sizeof text, "<Image: %p, {%g, %g}>", static_cast<const void*>(&image),
        image.size().width, image.size().height);
    return text;
}

} // namespace

ImageEffects::ImagePtr ImageEffects::applyLightEffect(const Image& image)
{
    return applyBlurWithRadius(image, 30, Color::white(1.0, 0.3), 1.8);
}

ImageEffects::ImagePtr ImageEffects::applyExtraLightEffect(const Image& image)
{
    return applyBlurWithRadius(image, 20, Color::white(0.97, 0.82), 1.8);
}

ImageEffects::ImagePtr ImageEffects::applyDarkEffect(const Image& image)
{
    return applyBlurWithRadius(image, 20, Color::white(0.11, 0.73), 1.8);
}

ImageEffects::ImagePtr ImageEffects::applyTintEffectWithColor(const Image& image, Color color)
{
    constexpr double kEffectColorAlpha = 0.6;
    Color effectColor = color;
    double white = 0;
    double alpha = 0;
    if (color.getWhite(white, alpha)) {
        effectColor = Color::white(white, kEffectColorAlpha);
    } else {
        double red = 0, green = 0, blue = 0;
        color.getRGBA(red, green, blue, alpha);
        effectColor = Color::rgba(red, green, blue, kEffectColorAlpha);
    }
    return applyBlurWithRadius(image, 10, effectColor, -1.0);
}

ImageEffects::ImagePtr ImageEffects::applyBlurWithRadius(const Image& image, double blurRadius,
    std::optional<Color> tintColor, double saturationDeltaFactor, const Image* maskImage)
{
    const Size size = image.size();
    if (size.width < 1 || size.height < 1) {
        foundation::logf("*** error: invalid size: (%.2f x %.2f). Both dimensions must be >= 1: %s",
            size.width, size.height, describe(image).c_str());
        return nullptr;
    }
    if (!image.isBitmapBacked()) {
        foundation::logf("*** error: image must be backed by a CGImage: %s", describe(image).c_str());
        return nullptr;
    }
    if (maskImage && !maskImage->isBitmapBacked()) {
        foundation::logf(
            "*** error: maskImage must be backed by a CGImage: %s", describe(*maskImage).c_str());
        return nullptr;
    }

    const Rect imageRect {{0, 0}, size};
    const double scale = graphics::screenScale();
    const bool hasBlur = blurRadius > FLT_EPSILON;
    const bool hasSaturationChange = std::fabs(saturationDeltaFactor - 1.0) > FLT_EPSILON;

    // Drawing here is y-down already, so the image goes in upright without a flip.
    std::shared_ptr<Image> effectImage;
    if (hasBlur || hasSaturationChange) {
        // A holds the input, then the result when both steps run; B the result of one step.
        // The other one is the kept scratch buffer. A is drawn into with scaling only when the
        // input's pixels are not the context's, and then must start clear.
        const bool resultInA = hasBlur && hasSaturationChange;
        auto b = resultInA ? scratchImage(size, scale) : uninitializedContextImage(size, scale);
        auto a = resultInA ? uninitializedContextImage(size, scale) : scratchImage(size, scale);
        if (!a || !b) {
            foundation::log("*** error: out of memory for the blur");
            return nullptr;
        }
        if (!sameSize(image, *a))
            a->fill(0);
        drawImageInto(image, *a, imageRect);
        const PixelBuffer bufferA = PixelBuffer::of(*a);
        const PixelBuffer bufferB = PixelBuffer::of(*b);
        bool resultInB = false;
        if (hasBlur) {
            BoxBlur::convolveThreeTimes(bufferA, bufferB, BoxBlur::boxSize(blurRadius, scale));
            resultInB = true;
        }
        if (hasSaturationChange) {
            const auto matrix = SaturationMatrix::make(saturationDeltaFactor);
            if (hasBlur)
                SaturationMatrix::apply(bufferB, bufferA, matrix);
            else
                SaturationMatrix::apply(bufferA, bufferB, matrix);
            resultInB = !hasBlur;
        }
        effectImage = resultInB ? b : a;
    }

    // An opaque image stays opaque through blur and saturation, so its effect image covers the
    // drawn input completely and can be the output itself.
    const bool effectCoversInput = effectImage && !maskImage && image.isOpaque();
    auto output = effectCoversInput ? effectImage : contextImage(size, scale);
    if (effectCoversInput) {
        output->setOpaque(true);
        effectImage = nullptr;
    } else {
        drawImageInto(image, *output, imageRect);
    }
    if (effectImage || tintColor) {
        GraphicsContext context(*output);
        if (effectImage) {
            context.save();
            if (maskImage)
                drawMasked(context, *effectImage, *maskImage, imageRect);
            else
                context.drawImage(*effectImage, imageRect);
            context.restore();
        }
        if (tintColor) {
            context.save();
            context.fillRect(imageRect, *tintColor);
            context.restore();
        }
    }
    return output;
}

ImageEffects::ImagePtr ImageEffects::imageWithColor(Color color)
{
    auto image = Image::create(1, 1, 1.0);
    GraphicsContext context(*image);
    context.fillRect(Rect {0, 0, 1, 1}, color);
    return image;
}

namespace {

// An opaque picture: what the renderer draws, over black, drawn straight onto the black.
ImageEffects::ImagePtr opaqueSnapshot(ui::View& view)
{
    render::Renderer renderer(graphics::screenScale());
    // The renderer's own sizing, so that the picture is the one renderView() would make.
    Rect bounds = view.layer().presentation().bounds;
    double width = std::max(1.0, std::ceil(bounds.width() * renderer.scale()));
    double height = std::max(1.0, std::ceil(bounds.height() * renderer.scale()));
    constexpr double kMaxPixelSide = 32767;
    if (!(width <= kMaxPixelSide && height <= kMaxPixelSide))
        return renderer.renderView(view); // no pixels, as the renderer gives such a view
    auto picture = Image::createUninitialized(int(width), int(height), renderer.scale());
    if (!picture)
        return nullptr;
    picture->fill(0xFF000000);
    renderer.renderView(view, *picture);
    picture->setOpaque(true);
    return picture;
}

} // namespace

ImageEffects::ImagePtr ImageEffects::convertViewToImage()
{
    auto window = ui::Application::shared().keyWindow();
    if (!window)
        return nullptr;
    return opaqueSnapshot(*window);
}

ImageEffects::ImagePtr ImageEffects::convertViewToImage(ui::View& view)
{
    return opaqueSnapshot(view);
}
