#include "platform/graphics/PixelBuffer.h"

#include "platform/graphics/Image.h"

namespace graphics {

PixelBuffer PixelBuffer::of(Image& image)
{
    return {image.data(), image.pixelWidth(), image.pixelHeight(), static_cast<size_t>(image.stride())};
}

} // namespace graphics
