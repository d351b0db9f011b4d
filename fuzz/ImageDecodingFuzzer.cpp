// An image from the network (a web image, the viewer's download, a task's thumbnail) through the
// decode budget of a phone's screen. Built once per format: other inputs are passed over, so that
// each target's corpus stays on its own decoder.
#include "platform/graphics/GifDecoder.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>
#include <zlib.h>

namespace {

[[maybe_unused]] bool isJpeg(std::span<const uint8_t> bytes)
{
    return graphics::JpegCodec::isJpeg(bytes);
}
[[maybe_unused]] bool isPng(std::span<const uint8_t> bytes)
{
    return graphics::PngCodec::isPng(bytes);
}
[[maybe_unused]] bool isGif(std::span<const uint8_t> bytes)
{
    return graphics::GifDecoder::isGif(bytes);
}

// libpng fails a critical chunk whose CRC is wrong, which nearly every mutation makes it: the
// CRCs are put right so that the mutations reach what lies behind them.
void fixPngCrcs(std::vector<uint8_t>& png)
{
    size_t at = 8;
    while (at + 12 <= png.size()) {
        uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8
            | png[at + 3];
        if (length > png.size() - at - 12)
            return;
        uint32_t crc = uint32_t(crc32(0, png.data() + at + 4, uInt(length + 4)));
        for (int i = 0; i < 4; ++i)
            png[at + 8 + length + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

} // namespace

// isJpeg, isPng or isGif, after the format the target is built for.
#define MIVO_FUZZ_IS_(format) is##format
#define MIVO_FUZZ_IS(format) MIVO_FUZZ_IS_(format)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> input(data, data + size);
    std::span<const uint8_t> bytes(input);
    if (!MIVO_FUZZ_IS(MIVO_FUZZ_FORMAT)(bytes))
        return -1; // not added to the corpus
    if (isPng(bytes))
        fixPngCrcs(input);
    auto image = graphics::decodeImage(bytes, graphics::DecodeBudget::forScreen(640, 1136));
    if (image && image->pixelWidth() > 0 && image->pixelHeight() > 0) {
        // Touch the first and last pixel: a short buffer shows up under ASan.
        volatile uint32_t first = image->pixel(0, 0);
        volatile uint32_t last = image->pixel(image->pixelWidth() - 1, image->pixelHeight() - 1);
        (void)first, (void)last;
    }
    return 0;
}
