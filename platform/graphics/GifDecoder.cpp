#include "platform/graphics/GifDecoder.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>

namespace graphics {

namespace {

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

struct Reader {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int count)
{
    auto* reader = static_cast<Reader*>(gif->UserData);
    size_t n = std::min(size_t(std::max(count, 0)), reader->bytes.size() - reader->position);
    std::memcpy(out, reader->bytes.data() + reader->position, n);
    reader->position += n;
    return int(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// NETSCAPE2.0 loop count, if the file has one.
int loopCountOf(const ExtensionBlock* blocks, int count)
{
    for (int i = 0; i + 1 < count; ++i) {
        const auto& app = blocks[i];
        if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11
            && (std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0
                || std::memcmp(app.Bytes, "ANIMEXTS1.0", 11) == 0)) {
            const auto& sub = blocks[i + 1];
            if (sub.Function == CONTINUE_EXT_FUNC_CODE && sub.ByteCount >= 3 && sub.Bytes[0] == 1)
                return sub.Bytes[1] | (sub.Bytes[2] << 8);
        }
    }
    return 0;
}

uint32_t argbOf(const GifColorType& c)
{
    return 0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
}

void clearRect(Image& canvas, int left, int top, int width, int height)
{
    for (int y = std::max(0, top); y < std::min(canvas.pixelHeight(), top + height); ++y)
        for (int x = std::max(0, left); x < std::min(canvas.pixelWidth(), left + width); ++x)
            canvas.setPixel(x, y, 0);
}

constexpr int64_t kMaxCanvasPixels = int64_t(1) << 26;
constexpr int64_t kMaxTotalBytes = int64_t(1) << 30;

// giflib allocates every frame at the size its descriptor claims before decoding a byte of it, so
// a forged 50-byte file could ask for gigabytes. This walks the block structure (no decoding) and
// says whether the frames' claimed sizes are within bounds; what it cannot parse it leaves to giflib.
bool frameSizesFit(std::span<const uint8_t> b)
{
    auto colorTable = [](uint8_t packed) { return (packed & 0x80) ? size_t(3) << ((packed & 7) + 1) : 0; };
    auto skipSubBlocks = [&](size_t at) {
        while (at < b.size() && b[at] != 0)
            at += size_t(b[at]) + 1;
        return at + 1;
    };
    if (b.size() < 13)
        return true;
    size_t at = 13 + colorTable(b[10]);
    int64_t total = 0;
    while (at < b.size()) {
        if (b[at] == 0x21 && at + 1 < b.size()) {
            at = skipSubBlocks(at + 2);
        } else if (b[at] == 0x2C && at + 10 <= b.size()) {
            int64_t width = b[at + 5] | (b[at + 6] << 8), height = b[at + 7] | (b[at + 8] << 8);
            total += width * height;
            if (width * height > kMaxCanvasPixels || total > kMaxTotalBytes)
                return false;
            at = skipSubBlocks(at + 10 + colorTable(b[at + 9]) + 1);
        } else {
            return true;
        }
    }
    return true;
}

} // namespace

bool GifDecoder::isGif(std::span<const uint8_t> b)
{
    return b.size() >= 6
        && (std::memcmp(b.data(), "GIF87a", 6) == 0 || std::memcmp(b.data(), "GIF89a", 6) == 0);
}

std::optional<GifAnimation> GifDecoder::decode(std::span<const uint8_t> bytes, std::string* error)
{
    if (bytes.empty()) {
        setError(error, "GIF data is empty");
        return std::nullopt;
    }
    if (!isGif(bytes)) {
        setError(error, "data is not a GIF image");
        return std::nullopt;
    }
    if (!frameSizesFit(bytes)) {
        setError(error, "GIF animation is empty or too large to decode");
        return std::nullopt;
    }
    Reader reader {bytes};
    int openError = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readFromMemory, &openError));
    if (!gif) {
        const char* reason = GifErrorString(openError);
        setError(error, std::string("bad GIF data: ") + (reason ? reason : "unknown error"));
        return std::nullopt;
    }
    // A truncated animation fails as a whole: giflib leaves the frame it was reading half-filled.
    if (DGifSlurp(gif.get()) != GIF_OK) {
        // giflib reports a file that ends after its header as a missing image descriptor.
        if (gif->ImageCount == 0 && gif->Error == D_GIF_ERR_NO_IMAG_DSCR) {
            setError(error, "GIF has no frames");
            return std::nullopt;
        }
        const char* reason = GifErrorString(gif->Error);
        setError(error, std::string("corrupt or truncated GIF data: ") + (reason ? reason : "unknown error"));
        return std::nullopt;
    }
    if (gif->ImageCount <= 0) {
        setError(error, "GIF has no frames");
        return std::nullopt;
    }
    int width = gif->SWidth, height = gif->SHeight;
    // Some encoders leave the screen size at zero: fall back to the first frame's rect.
    if (width <= 0 || height <= 0) {
        const auto& d = gif->SavedImages[0].ImageDesc;
        width = d.Left + d.Width;
        height = d.Top + d.Height;
    }
    int64_t canvasPixels = int64_t(width) * height;
    if (width <= 0 || height <= 0 || canvasPixels > kMaxCanvasPixels
        || canvasPixels * 4 * gif->ImageCount > kMaxTotalBytes) {
        setError(error, "GIF animation is empty or too large to decode");
        return std::nullopt;
    }

    GifAnimation animation;
    animation.width = width;
    animation.height = height;
    animation.loopCount
        = loopCountOf(gif->SavedImages[0].ExtensionBlocks, gif->SavedImages[0].ExtensionBlockCount);

    auto canvas = Image::create(width, height);
    if (!canvas) {
        setError(error, "out of memory for the GIF canvas");
        return std::nullopt;
    }
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        const GifImageDesc& desc = frame.ImageDesc;
        GraphicsControlBlock gcb {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif.get(), i, &gcb);

        std::shared_ptr<Image> previous;
        if (gcb.DisposalMode == DISPOSE_PREVIOUS)
            previous = canvas->copy();

        const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (colors && frame.RasterBits) {
            for (int y = 0; y < desc.Height; ++y) {
                int cy = desc.Top + y;
                if (cy < 0 || cy >= height)
                    continue;
                const GifByteType* row = frame.RasterBits + size_t(y) * desc.Width;
                for (int x = 0; x < desc.Width; ++x) {
                    int cx = desc.Left + x, index = row[x];
                    if (cx < 0 || cx >= width || index == gcb.TransparentColor || index >= colors->ColorCount)
                        continue;
                    canvas->setPixel(cx, cy, argbOf(colors->Colors[index]));
                }
            }
        }
        auto shown = canvas->copy();
        if (!shown) {
            setError(error, "out of memory for the GIF frames");
            return std::nullopt;
        }
        animation.frames.push_back({std::move(shown), gcb.DelayTime});

        // Disposal prepares the canvas for the next frame. Background disposal clears to
        // transparent, as browsers do, rather than to the background colour index.
        if (gcb.DisposalMode == DISPOSE_BACKGROUND)
            clearRect(*canvas, desc.Left, desc.Top, desc.Width, desc.Height);
        else if (gcb.DisposalMode == DISPOSE_PREVIOUS && previous)
            canvas = previous;
    }
    return animation;
}

std::optional<GifAnimation> GifDecoder::decodeFile(const std::filesystem::path& path, std::string* error)
{
    auto bytes = readImageFile(path, error);
    if (!bytes)
        return std::nullopt;
    return decode(*bytes, error);
}

} // namespace graphics
