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
    if (swapsAxes(m_orientation))
        return {m_height / m_scale, m_width / m_scale};
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
    image->m_orientation = m_orientation;
    return image;
}

} // namespace graphics

namespace graphics {

ImageOrientation imageOrientationFromExif(int exifOrientation)
{
    switch (exifOrientation) {
    case 2:
        return ImageOrientation::UpMirrored;
    case 3:
        return ImageOrientation::Down;
    case 4:
        return ImageOrientation::DownMirrored;
    case 5:
        return ImageOrientation::LeftMirrored;
    case 6:
        return ImageOrientation::Right;
    case 7:
        return ImageOrientation::RightMirrored;
    case 8:
        return ImageOrientation::Left;
    default:
        return ImageOrientation::Up;
    }
}

bool swapsAxes(ImageOrientation orientation)
{
    switch (orientation) {
    case ImageOrientation::Left:
    case ImageOrientation::Right:
    case ImageOrientation::LeftMirrored:
    case ImageOrientation::RightMirrored:
        return true;
    default:
        return false;
    }
}

OrientationMap OrientationMap::forImage(ImageOrientation orientation, double width, double height)
{
    // Where upright point (u, v) lies in the stored pixels of a width x height bitmap.
    switch (orientation) {
    case ImageOrientation::Up:
        return {1, 0, 0, 0, 1, 0};
    case ImageOrientation::Down:
        return {-1, 0, width, 0, -1, height};
    case ImageOrientation::Right:
        return {0, 1, 0, -1, 0, height};
    case ImageOrientation::Left:
        return {0, -1, width, 1, 0, 0};
    case ImageOrientation::UpMirrored:
        return {-1, 0, width, 0, 1, 0};
    case ImageOrientation::DownMirrored:
        return {1, 0, 0, 0, -1, height};
    case ImageOrientation::LeftMirrored:
        return {0, 1, 0, 1, 0, 0};
    case ImageOrientation::RightMirrored:
        return {0, -1, width, -1, 0, height};
    }
    return {1, 0, 0, 0, 1, 0};
}

std::shared_ptr<const Image> Image::upright() const
{
    if (m_orientation == ImageOrientation::Up || !isBitmapBacked()) {
        if (auto self = weak_from_this().lock())
            return self;
    }
    return uprightCopy();
}

std::shared_ptr<Image> Image::uprightCopy() const
{
    if (m_orientation == ImageOrientation::Up || !isBitmapBacked()) {
        auto image = copy();
        if (image)
            image->m_orientation = ImageOrientation::Up;
        return image;
    }
    bool swap = swapsAxes(m_orientation);
    int width = swap ? m_height : m_width;
    int height = swap ? m_width : m_height;
    auto image = createUninitialized(width, height, m_scale);
    if (!image)
        return nullptr;
    image->m_opaque = m_opaque;
    // Pixel centres: a bitmap of W columns maps u to W - 1 - u, not W - u.
    auto map = OrientationMap::forImage(m_orientation, m_width - 1, m_height - 1);
    const auto* source = reinterpret_cast<const uint8_t*>(m_pixels.get());
    for (int v = 0; v < height; ++v) {
        auto* row = reinterpret_cast<uint32_t*>(image->data() + size_t(v) * size_t(image->stride()));
        // Along a row the source moves by a fixed step, so no multiplication per pixel.
        int x = int(map.xv * v + map.x0);
        int y = int(map.yv * v + map.y0);
        int dx = int(map.xu), dy = int(map.yu);
        for (int u = 0; u < width; ++u, x += dx, y += dy)
            row[u]
                = *reinterpret_cast<const uint32_t*>(source + size_t(y) * size_t(m_stride) + size_t(x) * 4);
    }
    return image;
}

} // namespace graphics
