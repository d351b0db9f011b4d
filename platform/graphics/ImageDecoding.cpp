#include "platform/graphics/ImageDecoding.h"

#include "platform/graphics/GifDecoder.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include "platform/foundation/RegularFile.h"

#include <algorithm>
#include <cmath>

namespace graphics {

std::shared_ptr<Image> decodeImage(std::span<const uint8_t> bytes, std::string* error)
{
    return decodeImage(bytes, DecodeBudget {}, error);
}

std::shared_ptr<Image> decodeImage(
    std::span<const uint8_t> bytes, const DecodeBudget& budget, std::string* error)
{
    if (JpegCodec::isJpeg(bytes)) {
        int denominator = 1;
        if (budget.fitWidth > 0 && budget.fitHeight > 0) {
            auto size = JpegCodec::scaledSize(bytes, 1, error);
            if (!size)
                return nullptr;
            denominator
                = screenScaleDenominator(size->first, size->second, budget.fitWidth, budget.fitHeight);
        }
        return JpegCodec::decode(bytes, denominator, error, budget.maxPixels);
    }
    if (PngCodec::isPng(bytes))
        return PngCodec::decode(bytes, 1, error, budget.maxPixels);
    if (GifDecoder::isGif(bytes))
        return GifDecoder::decodeFirstFrame(
            bytes, error, std::min(budget.maxPixels, GifDecoder::kMaxCanvasPixels));
    if (error)
        *error = bytes.empty() ? "image data is empty" : "image data is not JPEG, PNG or GIF";
    return nullptr;
}

int screenScaleDenominator(int imageWidth, int imageHeight, int screenPixelWidth, int screenPixelHeight)
{
    if (imageWidth <= 0 || imageHeight <= 0 || screenPixelWidth <= 0 || screenPixelHeight <= 0)
        return 1;
    // The aspect fit in portrait and in landscape; the decoded picture must cover both.
    auto fit = [&](double boxWidth, double boxHeight) {
        double scale = std::min(1.0, std::min(boxWidth / imageWidth, boxHeight / imageHeight));
        return std::pair {imageWidth * scale, imageHeight * scale};
    };
    auto [portraitWidth, portraitHeight] = fit(screenPixelWidth, screenPixelHeight);
    auto [landscapeWidth, landscapeHeight] = fit(screenPixelHeight, screenPixelWidth);
    double needWidth = std::max(portraitWidth, landscapeWidth),
           needHeight = std::max(portraitHeight, landscapeHeight);
    for (int denominator : {8, 4, 2}) {
        // TurboJPEG rounds scaled sizes up.
        int width = (imageWidth + denominator - 1) / denominator,
            height = (imageHeight + denominator - 1) / denominator;
        if (width >= std::floor(needWidth) && height >= std::floor(needHeight))
            return denominator;
    }
    return 1;
}

std::shared_ptr<Image> decodeImageForScreen(
    std::span<const uint8_t> bytes, int screenPixelWidth, int screenPixelHeight, std::string* error)
{
    return decodeImage(
        bytes, DecodeBudget {kLocalMaxDecodePixels, screenPixelWidth, screenPixelHeight}, error);
}

std::shared_ptr<Image> decodeImageFile(const std::filesystem::path& path, std::string* error)
{
    auto bytes = readImageFile(path, error);
    return bytes ? decodeImage(*bytes, error) : nullptr;
}

std::optional<std::vector<uint8_t>> readImageFile(
    const std::filesystem::path& path, std::string* error, uint64_t maxBytes)
{
    auto file = foundation::RegularFile::open(path, error);
    return file ? file->readBytes(maxBytes, error) : std::nullopt;
}

} // namespace graphics
