#include "platform/ui/ImageView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Image;
using graphics::Rect;
using graphics::Size;

std::shared_ptr<ImageView> ImageView::create(Rect frame)
{
    return std::make_shared<ImageView>(frame);
}

std::shared_ptr<ImageView> ImageView::create(std::shared_ptr<Image> image)
{
    Size size = image ? image->size() : Size {};
    auto view = std::make_shared<ImageView>(Rect {0, 0, size.width, size.height});
    view->setImage(std::move(image));
    return view;
}

ImageView::ImageView(Rect frame)
    : View(frame)
{
    setUserInteractionEnabled(false);
    setOpaque(false);
}

ImageView::~ImageView()
{
    if (m_frameCallback)
        foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
    stopAnimatedImage();
}

void ImageView::setImage(std::shared_ptr<Image> image)
{
    if (m_image == image)
        return;
    stopAnimatedImage();
    m_image = std::move(image);
    if (m_image && m_image->isAnimated())
        playAnimatedImage();
    setNeedsDisplay();
}

void ImageView::playAnimatedImage()
{
    m_imageStart = foundation::RunLoop::main().now();
    m_imageFrame = 0;
    std::weak_ptr<ImageView> weak = sharedAs<ImageView>();
    m_imageFrameCallback = foundation::RunLoop::main().addFrameCallback([weak](double now) {
        auto self = weak.lock();
        if (!self || !self->m_image)
            return;
        size_t frame = self->m_image->frameIndexAt(now - self->m_imageStart);
        if (frame != self->m_imageFrame) {
            self->m_imageFrame = frame;
            self->setNeedsDisplay();
        }
    });
}

void ImageView::stopAnimatedImage()
{
    if (m_imageFrameCallback)
        foundation::RunLoop::main().removeFrameCallback(m_imageFrameCallback);
    m_imageFrameCallback = 0;
    m_imageFrame = 0;
}

void ImageView::setHighlightedImage(std::shared_ptr<Image> image)
{
    m_highlightedImage = std::move(image);
    setNeedsDisplay();
}

void ImageView::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setNeedsDisplay();
}

void ImageView::setAnimationImages(std::vector<std::shared_ptr<Image>> images)
{
    m_animationImages = std::move(images);
    if (m_animationImages.empty())
        stopAnimating();
    setNeedsDisplay();
}

double ImageView::cycleDuration() const
{
    return m_animationDuration > 0 ? m_animationDuration : double(m_animationImages.size()) / 30.0;
}

void ImageView::startAnimating()
{
    if (m_animationImages.empty() || m_frameCallback)
        return;
    m_animationStart = foundation::RunLoop::main().now();
    m_lastFrame = 0;
    std::weak_ptr<ImageView> weak = sharedAs<ImageView>();
    m_frameCallback = foundation::RunLoop::main().addFrameCallback([weak](double now) {
        auto self = weak.lock();
        if (!self)
            return;
        double cycle = self->cycleDuration();
        double elapsed = now - self->m_animationStart;
        if (self->m_repeatCount > 0 && elapsed >= cycle * self->m_repeatCount) {
            self->stopAnimating();
            return;
        }
        size_t frame
            = cycle > 0 ? size_t(std::fmod(elapsed, cycle) / cycle * self->m_animationImages.size()) : 0;
        if (frame != self->m_lastFrame) {
            self->m_lastFrame = frame;
            self->setNeedsDisplay();
        }
    });
    setNeedsDisplay();
}

void ImageView::stopAnimating()
{
    if (!m_frameCallback)
        return;
    foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
    m_frameCallback = 0;
    setNeedsDisplay();
}

bool ImageView::isAnimating() const
{
    return m_frameCallback != 0;
}

std::shared_ptr<Image> ImageView::displayedImage() const
{
    if (isAnimating() && !m_animationImages.empty())
        return m_animationImages[std::min(m_lastFrame, m_animationImages.size() - 1)];
    if (m_highlighted && m_highlightedImage)
        return m_highlightedImage;
    if (m_image && m_image->isAnimated())
        return m_image->images()[std::min(m_imageFrame, m_image->images().size() - 1)];
    return m_image;
}

Rect ImageView::rectForContentMode(ContentMode mode, Size image, Rect bounds)
{
    double bw = bounds.width(), bh = bounds.height();
    double x = bounds.minX(), y = bounds.minY();
    switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
        return bounds;
    case ContentMode::AspectFit:
    case ContentMode::AspectFill: {
        if (image.width <= 0 || image.height <= 0)
            return bounds;
        double sx = bw / image.width, sy = bh / image.height;
        double s = mode == ContentMode::AspectFit ? std::min(sx, sy) : std::max(sx, sy);
        double w = image.width * s, h = image.height * s;
        return {x + (bw - w) / 2, y + (bh - h) / 2, w, h};
    }
    default:
        break;
    }
    double w = image.width, h = image.height;
    double left = x, centerX = x + (bw - w) / 2, right = x + bw - w;
    double top = y, centerY = y + (bh - h) / 2, bottom = y + bh - h;
    switch (mode) {
    case ContentMode::Center:
        return {centerX, centerY, w, h};
    case ContentMode::Top:
        return {centerX, top, w, h};
    case ContentMode::Bottom:
        return {centerX, bottom, w, h};
    case ContentMode::Left:
        return {left, centerY, w, h};
    case ContentMode::Right:
        return {right, centerY, w, h};
    case ContentMode::TopLeft:
        return {left, top, w, h};
    case ContentMode::TopRight:
        return {right, top, w, h};
    case ContentMode::BottomLeft:
        return {left, bottom, w, h};
    case ContentMode::BottomRight:
        return {right, bottom, w, h};
    default:
        return bounds;
    }
}

Size ImageView::sizeThatFits(Size) const
{
    auto image = displayedImage();
    return image ? image->size() : Size {};
}

Size ImageView::intrinsicContentSize() const
{
    auto image = displayedImage();
    return image ? image->size() : Size {kNoIntrinsicMetric, kNoIntrinsicMetric};
}

void ImageView::setRendersAsTemplate(bool asTemplate)
{
    m_template = asTemplate;
    setNeedsDisplay();
}

// The image's alpha filled with the tint, kept until the image or the tint changes.
std::shared_ptr<Image> ImageView::tinted(const std::shared_ptr<Image>& image)
{
    graphics::Color tint = effectiveTintColor();
    if (m_tinted && m_tintSource == image && m_tintedWith == tint)
        return m_tinted;
    if (!image->isBitmapBacked())
        return image;
    auto result = image->copy();
    for (int y = 0; y < result->pixelHeight(); ++y) {
        for (int x = 0; x < result->pixelWidth(); ++x) {
            double a = (result->pixel(x, y) >> 24) / 255.0 * tint.a;
            auto channel = [&](double c) { return uint32_t(std::lround(c * a * 255)); };
            result->setPixel(x, y,
                (uint32_t(std::lround(a * 255)) << 24) | (channel(tint.r) << 16) | (channel(tint.g) << 8)
                    | channel(tint.b));
        }
    }
    m_tintSource = image;
    m_tintedWith = tint;
    m_tinted = result;
    return result;
}

void ImageView::draw(graphics::GraphicsContext& context, Rect rect)
{
    auto image = displayedImage();
    if (!image)
        return;
    if (m_template)
        image = tinted(image);
    context.drawImage(*image, rectForContentMode(contentMode(), image->size(), rect));
}

} // namespace ui
