#include "core/media/Thumbnailer.h"

#include "core/media/VideoFrameReader.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>

namespace media {

std::pair<int, int> Thumbnailer::fittingSize(int width, int height, int maximumWidth, int maximumHeight)
{
    if (width <= 0 || height <= 0)
        return {1, 1};
    double factor = std::min({1.0, double(maximumWidth) / width, double(maximumHeight) / height});
    return {std::max(1, int(std::lround(width * factor))), std::max(1, int(std::lround(height * factor)))};
}

int Thumbnailer::dctScaleDenominator(int width, int height, int maximumWidth, int maximumHeight)
{
    auto [fitWidth, fitHeight] = fittingSize(width, height, maximumWidth, maximumHeight);
    for (int denominator : {8, 4, 2}) {
        // The decoder rounds scaled sizes up.
        int scaledWidth = (width + denominator - 1) / denominator;
        int scaledHeight = (height + denominator - 1) / denominator;
        if (scaledWidth >= fitWidth && scaledHeight >= fitHeight)
            return denominator;
    }
    return 1;
}

std::shared_ptr<graphics::Image> Thumbnailer::scaledToFit(
    const std::shared_ptr<graphics::Image>& image, int maximumWidth, int maximumHeight)
{
    if (!image || !image->isBitmapBacked())
        return nullptr;
    auto [width, height]
        = fittingSize(image->pixelWidth(), image->pixelHeight(), maximumWidth, maximumHeight);
    if (width == image->pixelWidth() && height == image->pixelHeight())
        return image;
    // Premultiplied pixels average correctly as they are.
    SwsContext* scaler = sws_getContext(image->pixelWidth(), image->pixelHeight(), AV_PIX_FMT_RGB32, width,
        height, AV_PIX_FMT_RGB32, SWS_AREA | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!scaler)
        return nullptr;
    auto scaled = graphics::Image::create(width, height, image->scale());
    const uint8_t* source[4] = {image->data(), nullptr, nullptr, nullptr};
    int sourceStrides[4] = {image->stride(), 0, 0, 0};
    uint8_t* target[4] = {scaled ? scaled->data() : nullptr, nullptr, nullptr, nullptr};
    int targetStrides[4] = {scaled ? scaled->stride() : 0, 0, 0, 0};
    bool ok = scaled
        && sws_scale(scaler, source, sourceStrides, 0, image->pixelHeight(), target, targetStrides) == height;
    sws_freeContext(scaler);
    if (!ok)
        return nullptr;
    scaled->setOpaque(image->isOpaque());
    return scaled;
}

std::optional<std::vector<uint8_t>> Thumbnailer::fromJpeg(std::span<const uint8_t> jpeg, std::string* error)
{
    auto size = graphics::JpegCodec::scaledSize(jpeg, 1, error);
    if (!size)
        return std::nullopt;
    int denominator = dctScaleDenominator(size->first, size->second, kMaximumWidth, kMaximumHeight);
    auto decoded = graphics::JpegCodec::decode(jpeg, denominator, error);
    auto thumbnail = scaledToFit(decoded, kMaximumWidth, kMaximumHeight);
    if (!thumbnail) {
        if (error && decoded)
            *error = "cannot scale the photo";
        return std::nullopt;
    }
    return graphics::JpegCodec::encode(*thumbnail, kQuality, error);
}

std::optional<std::vector<uint8_t>> Thumbnailer::fromVideo(
    const std::filesystem::path& movie, std::string* error)
{
    auto reader = VideoFrameReader::open(movie, error);
    if (!reader)
        return std::nullopt;
    reader->setMaximumSize(kMaximumWidth, kMaximumHeight);
    auto frame = reader->copyImageAtTime(
        0, VideoFrameReader::kAnyTolerance, VideoFrameReader::kAnyTolerance, nullptr, error);
    if (!frame)
        return std::nullopt;
    return graphics::JpegCodec::encode(*frame, kQuality, error);
}

} // namespace media
