#include "platform/graphics/Image.h"

#include <algorithm>
#include <cmath>

#include <cairo.h>
#include <cstring>
#include <new>

namespace graphics {

std::shared_ptr<Image> Image::create(int pixelWidth, int pixelHeight, double scale)
{
    if (pixelWidth < 0 || pixelHeight < 0 || !(scale > 0))
        return nullptr;
    return allocate(pixelWidth, pixelHeight, scale, Pixels::Zeroed);
}

std::shared_ptr<Image> Image::createUninitialized(int pixelWidth, int pixelHeight, double scale)
{
    if (pixelWidth < 0 || pixelHeight < 0 || !(scale > 0))
        return nullptr;
    return allocate(pixelWidth, pixelHeight, scale, Pixels::Uninitialized);
}

std::shared_ptr<Image> Image::allocate(int pixelWidth, int pixelHeight, double scale, Pixels pixels)
{
    // Sizes come from untrusted files; running out of memory is a failed decode, not a crash.
    try {
        return std::make_shared<Image>(pixelWidth, pixelHeight, scale, pixels);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::shared_ptr<Image> Image::createWithoutBitmap(Size points, double scale)
{
    if (!(scale > 0))
        scale = 1;
    auto image = std::make_shared<Image>(0, 0, scale, Pixels::None);
    image->m_unbackedSize = points;
    return image;
}

Image::Image(int pixelWidth, int pixelHeight, double scale, Pixels pixels)
    : m_width(pixelWidth)
    , m_height(pixelHeight)
    , m_scale(scale)
{
    m_stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, m_width);
    if (pixels == Pixels::None || m_width <= 0 || m_height <= 0)
        return;
    size_t bytes = size_t(m_stride) * size_t(m_height);
    // A fresh bitmap is transparent; a decoder's is about to be overwritten, so zeroing it would
    // only cost time (48 MB for a phone photo).
    m_pixels.reset(pixels == Pixels::Zeroed ? new uint8_t[bytes]() : new uint8_t[bytes]);
}

std::shared_ptr<Image> Image::createAnimated(std::vector<std::shared_ptr<Image>> images, double duration)
{
    std::erase(images, nullptr);
    if (images.empty())
        return nullptr;
    auto image = createWithoutBitmap(images.front()->size(), images.front()->scale());
    image->m_images = std::move(images);
    image->m_duration = duration;
    return image;
}

size_t Image::frameIndexAt(double seconds) const
{
    size_t count = m_images.size();
    if (count == 0 || !(m_duration > 0))
        return 0;
    double phase = std::fmod(std::max(0.0, seconds), m_duration) / m_duration;
    return std::min(count - 1, size_t(phase * double(count)));
}

Size Image::size() const
{
    if (!isBitmapBacked())
        return m_unbackedSize;
    return {m_width / m_scale, m_height / m_scale};
}

uint32_t Image::pixel(int x, int y) const
{
    if (!isBitmapBacked() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    uint32_t v;
    std::memcpy(&v, m_pixels.get() + size_t(y) * m_stride + size_t(x) * 4, 4);
    return v;
}

void Image::setPixel(int x, int y, uint32_t argb)
{
    if (!isBitmapBacked() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    std::memcpy(m_pixels.get() + size_t(y) * m_stride + size_t(x) * 4, &argb, 4);
}

void Image::fill(uint32_t argb)
{
    for (int y = 0; y < m_height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(m_pixels.get() + size_t(y) * m_stride);
        std::fill(row, row + m_width, argb);
    }
}

std::shared_ptr<Image> Image::copy() const
{
    return withScale(m_scale);
}

std::shared_ptr<Image> Image::withScale(double scale) const
{
    if (!isBitmapBacked()) {
        auto image = createWithoutBitmap(m_unbackedSize, scale);
        return image;
    }
    auto image
        = std::make_shared<Image>(m_width, m_height, scale > 0 ? scale : m_scale, Pixels::Uninitialized);
    std::memcpy(image->m_pixels.get(), m_pixels.get(), size_t(m_stride) * size_t(m_height));
    image->m_opaque = m_opaque;
    return image;
}

} // namespace graphics
