#include "platform/graphics/ImageDecoding.h"

#include "platform/graphics/GifDecoder.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include <fstream>

namespace graphics {

std::shared_ptr<Image> decodeImage(std::span<const uint8_t> bytes, std::string* error)
{
    if (JpegCodec::isJpeg(bytes))
        return JpegCodec::decode(bytes, 1, error);
    if (PngCodec::isPng(bytes))
        return PngCodec::decode(bytes, 1, error);
    if (GifDecoder::isGif(bytes))
        return GifDecoder::decodeFirstFrame(bytes, error);
    if (error)
        *error = bytes.empty() ? "image data is empty" : "image data is not JPEG, PNG or GIF";
    return nullptr;
}

std::shared_ptr<Image> decodeImageFile(const std::filesystem::path& path, std::string* error)
{
    auto bytes = readImageFile(path, error);
    return bytes ? decodeImage(*bytes, error) : nullptr;
}

std::optional<std::vector<uint8_t>> readImageFile(const std::filesystem::path& path, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + path.string();
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    auto size = in.tellg();
    in.seekg(0);
    std::vector<uint8_t> bytes(size > 0 ? size_t(size) : 0);
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) {
        if (error)
            *error = "cannot read " + path.string();
        return std::nullopt;
    }
    return bytes;
}

} // namespace graphics
