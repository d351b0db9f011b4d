#include "platform/graphics/ImageContext.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <atomic>
#include <cmath>
#include <vector>

namespace graphics {

namespace {

struct ImageContextEntry {
    std::shared_ptr<Image> image; // null for a pushed context
    std::unique_ptr<GraphicsContext> owned;
    GraphicsContext* context = nullptr;
};

// Contexts belong to the thread that began them, as on the phone platform.
thread_local std::vector<ImageContextEntry> t_contexts;

std::atomic<double> g_screenScale {2.0};

// Past this no bitmap could be allocated, and the pixel count would overflow an int.
constexpr double kMaxPixelSide = 1 << 20;

// -1 (no bitmap possible) for a size too large to hold.
int pixelsFor(double points, double scale)
{
    if (!(points > 0) || !std::isfinite(points))
        return 0;
    // Round away tiny float noise before taking the ceiling (320 * 2.0000000001 is 640 pixels).
    double pixels = std::ceil(points * scale - 1e-6);
    return pixels > kMaxPixelSide ? -1 : int(pixels);
}

} // namespace

void beginImageContext(Size size, bool opaque, double scale)
{
    if (!(scale > 0))
        scale = screenScale();
    auto image = Image::create(pixelsFor(size.width, scale), pixelsFor(size.height, scale), scale);
    // A size with no memory behind it still gets a context: drawing does nothing and the image
    // taken from it has no bitmap, rather than the caller crashing.
    if (!image)
        image = Image::createWithoutBitmap(size, scale);
    if (opaque) {
        image->fill(0xFF000000);
        image->setOpaque(true);
    }
    auto context = std::make_unique<GraphicsContext>(*image);
    GraphicsContext* raw = context.get();
    t_contexts.push_back({std::move(image), std::move(context), raw});
}

GraphicsContext* currentContext()
{
    return t_contexts.empty() ? nullptr : t_contexts.back().context;
}

std::shared_ptr<Image> imageFromCurrentContext()
{
    if (t_contexts.empty())
        return nullptr;
    auto& entry = t_contexts.back();
    if (!entry.image)
        return nullptr;
    entry.context->flush();
    return entry.image->copy();
}

// Each end pops only its own kind, so an unbalanced call cannot tear down the other's context.
void endImageContext()
{
    if (!t_contexts.empty() && t_contexts.back().image)
        t_contexts.pop_back();
}

void pushContext(GraphicsContext& context)
{
    t_contexts.push_back({nullptr, nullptr, &context});
}

void popContext()
{
    if (!t_contexts.empty() && !t_contexts.back().image)
        t_contexts.pop_back();
}

void setScreenScale(double scale)
{
    if (scale > 0)
        g_screenScale.store(scale);
}

double screenScale()
{
    return g_screenScale.load();
}

} // namespace graphics
