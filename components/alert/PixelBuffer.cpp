#include "components/alert/PixelBuffer.h"

#include "platform/graphics/Image.h"

PixelBuffer PixelBuffer::of(graphics::Image& image)
{
    return {image.data(), image.pixelWidth(), image.pixelHeight(), static_cast<size_t>(image.stride())};
}
