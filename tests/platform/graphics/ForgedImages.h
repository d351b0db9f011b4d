#pragma once

#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include <cstdint>
#include <vector>

namespace mivo::test {

// Small real files whose headers then claim `width` x `height` pixels: a few hundred bytes that
// would make a decoder without a budget take hundreds of megabytes.
inline std::vector<uint8_t> jpegClaiming(int width, int height)
{
    auto image = graphics::Image::create(16, 16);
    image->fill(0xFF808080);
    auto bytes = *graphics::JpegCodec::encode(*image, 80);
    for (size_t i = 2; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = uint8_t(height >> 8), bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8), bytes[i + 8] = uint8_t(width);
            break;
        }
    return bytes;
}

// CRC-32 as PNG chunks carry it.
inline uint32_t pngCrc(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

inline std::vector<uint8_t> pngClaiming(uint32_t width, uint32_t height)
{
    auto image = graphics::Image::create(16, 16);
    image->fill(0xFF808080);
    auto bytes = *graphics::PngCodec::encode(*image);
    // The IHDR chunk follows the signature: length, type, width, height, ..., then its CRC over
    // type and data.
    for (int i = 0; i < 4; ++i) {
        bytes[16 + i] = uint8_t(width >> (24 - 8 * i));
        bytes[20 + i] = uint8_t(height >> (24 - 8 * i));
    }
    uint32_t crc = pngCrc(&bytes[12], 17);
    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = uint8_t(crc >> (24 - 8 * i));
    return bytes;
}

} // namespace mivo::test
