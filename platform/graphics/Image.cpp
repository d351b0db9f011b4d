#include "platform/graphics/Image.h"

#include <cairo.h>
#include <cstring>

namespace graphics {

std::shared_ptr<Image> Image::create(int pixelWidth, int pixelHeight, double scale)
{
    if (pixelWidth < 0 || pixelHeight < 0 || !(scale > 0))
        return nullptr;
    return std::make_shared<Image>(pixelWidth, pixelHeight, scale, true);
}

std::shared_ptr<Image> Image::createWithoutBitmap(Size points, double scale)
{
    if (!(scale > 0))
        scale = 1;
    auto image = std::make_shared<Image>(0, 0, scale, false);
    image->m_unbackedSize = points;
    return image;
}

Image::Image(int pixelWidth, int pixelHeight, double scale, bool allocate)
    : m_width(pixelWidth)
    , m_height(pixelHeight)
    , m_scale(scale)
{
    m_stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, m_width);
    if (allocate && m_width > 0 && m_height > 0)
        m_pixels.assign(size_t(m_stride) * size_t(m_height), 0);
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
    std::memcpy(&v, m_pixels.data() + size_t(y) * m_stride + size_t(x) * 4, 4);
    return v;
}

void Image::setPixel(int x, int y, uint32_t argb)
{
    if (!isBitmapBacked() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    std::memcpy(m_pixels.data() + size_t(y) * m_stride + size_t(x) * 4, &argb, 4);
}

void Image::fill(uint32_t argb)
{
    for (int y = 0; y < m_height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(m_pixels.data() + size_t(y) * m_stride);
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
    auto image = std::make_shared<Image>(m_width, m_height, scale > 0 ? scale : m_scale, false);
    image->m_pixels = m_pixels;
    image->m_opaque = m_opaque;
    return image;
}

} // namespace graphics
