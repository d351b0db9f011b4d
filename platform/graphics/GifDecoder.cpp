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

// What a file claims before any of it is decoded: the canvas, the number of frames and the
// pixels of their rasters. giflib allocates every frame at the size its descriptor claims before
// it decodes a byte of it, so the claims are checked first. What the walk cannot parse it leaves
// to giflib, which fails on it with its own error.
struct Claims {
    int64_t width = 0;
    int64_t height = 0;
    int frames = 0;
    int64_t rasterPixels = 0;
    int64_t firstRasterPixels = 0;
    int64_t largestFramePixels = 0;
};

Claims claimsOf(std::span<const uint8_t> b)
{
    Claims claims;
    if (b.size() < 13)
        return claims;
    auto colorTable = [](uint8_t packed) { return (packed & 0x80) ? size_t(3) << ((packed & 7) + 1) : 0; };
    auto skipSubBlocks = [&](size_t at) {
        while (at < b.size() && b[at] != 0)
            at += size_t(b[at]) + 1;
        return at + 1;
    };
    claims.width = b[6] | (b[7] << 8);
    claims.height = b[8] | (b[9] << 8);
    size_t at = 13 + colorTable(b[10]);
    while (at < b.size()) {
        if (b[at] == 0x21 && at + 1 < b.size()) {
            at = skipSubBlocks(at + 2);
        } else if (b[at] == 0x2C && at + 10 <= b.size()) {
            int64_t left = b[at + 1] | (b[at + 2] << 8), top = b[at + 3] | (b[at + 4] << 8);
            int64_t width = b[at + 5] | (b[at + 6] << 8), height = b[at + 7] | (b[at + 8] << 8);
            if (claims.frames == 0) {
                claims.firstRasterPixels = width * height;
                // Some encoders leave the screen size at zero; the first frame's rect stands in.
                if (claims.width <= 0 || claims.height <= 0) {
                    claims.width = left + width;
                    claims.height = top + height;
                }
            }
            ++claims.frames;
            claims.rasterPixels += width * height;
            claims.largestFramePixels = std::max(claims.largestFramePixels, width * height);
            at = skipSubBlocks(at + 10 + colorTable(b[at + 9]) + 1);
        } else {
            break;
        }
    }
    return claims;
}

// Whether decoding `frames` composed frames (0: only the first, without keeping copies) stays in
// the memory budget; the reason otherwise.
std::optional<std::string> overBudget(const Claims& claims, bool allFrames)
{
    int64_t canvasPixels = claims.width * claims.height;
    if (canvasPixels > GifDecoder::kMaxCanvasPixels)
        return "GIF canvas of " + std::to_string(claims.width) + " x " + std::to_string(claims.height)
            + " is too large to decode";
    if (claims.largestFramePixels > GifDecoder::kMaxCanvasPixels)
        return "GIF frame of " + std::to_string(claims.largestFramePixels) + " pixels is too large to decode";
    // The canvas, the frame a "restore previous" disposal keeps, and each composed frame.
    int64_t canvases = allFrames ? 2 + claims.frames : 1;
    int64_t bytes
        = canvasPixels * 4 * canvases + (allFrames ? claims.rasterPixels : claims.firstRasterPixels);
    if (bytes > GifDecoder::kMaxDecodedBytes)
        return "GIF animation of " + std::to_string(claims.frames) + " frames at "
            + std::to_string(claims.width) + " x " + std::to_string(claims.height)
            + " is too large to decode";
    return std::nullopt;
}

// Draws a frame's raster onto the canvas (transparent index left out).
void compose(Image& canvas, const GifImageDesc& desc, const ColorMapObject* colors, const GifByteType* raster,
    int transparent)
{
    if (!colors || !raster)
        return;
    for (int y = 0; y < desc.Height; ++y) {
        int cy = desc.Top + y;
        if (cy < 0 || cy >= canvas.pixelHeight())
            continue;
        const GifByteType* row = raster + size_t(y) * desc.Width;
        for (int x = 0; x < desc.Width; ++x) {
            int cx = desc.Left + x, index = row[x];
            if (cx < 0 || cx >= canvas.pixelWidth() || index == transparent || index >= colors->ColorCount)
                continue;
            canvas.setPixel(cx, cy, argbOf(colors->Colors[index]));
        }
    }
}

std::unique_ptr<GifFileType, GifCloser> open(Reader& reader, std::string* error)
{
    int openError = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readFromMemory, &openError));
    if (!gif) {
        const char* reason = GifErrorString(openError);
        setError(error, std::string("bad GIF data: ") + (reason ? reason : "unknown error"));
    }
    return gif;
}

std::optional<std::string> checkInput(std::span<const uint8_t> bytes, bool allFrames)
{
    if (bytes.empty())
        return "GIF data is empty";
    if (!GifDecoder::isGif(bytes))
        return "data is not a GIF image";
    return overBudget(claimsOf(bytes), allFrames);
}

} // namespace

bool GifDecoder::isGif(std::span<const uint8_t> b)
{
    return b.size() >= 6
        && (std::memcmp(b.data(), "GIF87a", 6) == 0 || std::memcmp(b.data(), "GIF89a", 6) == 0);
}

std::optional<GifAnimation> GifDecoder::decode(std::span<const uint8_t> bytes, std::string* error)
{
    if (auto problem = checkInput(bytes, true)) {
        setError(error, *problem);
        return std::nullopt;
    }
    Reader reader {bytes};
    auto gif = open(reader, error);
    if (!gif)
        return std::nullopt;
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
    if (width <= 0 || height <= 0) {
        setError(error, "GIF canvas is empty");
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
        bool hasGraphicControl = DGifSavedExtensionToGCB(gif.get(), i, &gcb) == GIF_OK;

        std::shared_ptr<Image> previous;
        if (gcb.DisposalMode == DISPOSE_PREVIOUS)
            previous = canvas->copy();

        const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        compose(*canvas, desc, colors, frame.RasterBits, gcb.TransparentColor);
        auto shown = canvas->copy();
        if (!shown) {
            setError(error, "out of memory for the GIF frames");
            return std::nullopt;
        }
        animation.frames.push_back({std::move(shown), gcb.DelayTime, hasGraphicControl});

        // Disposal prepares the canvas for the next frame. Background disposal clears to
        // transparent, as browsers do, rather than to the background colour index.
        if (gcb.DisposalMode == DISPOSE_BACKGROUND)
            clearRect(*canvas, desc.Left, desc.Top, desc.Width, desc.Height);
        else if (gcb.DisposalMode == DISPOSE_PREVIOUS && previous)
            canvas = previous;
    }
    return animation;
}

std::shared_ptr<Image> GifDecoder::decodeFirstFrame(std::span<const uint8_t> bytes, std::string* error)
{
    if (auto problem = checkInput(bytes, false)) {
        setError(error, *problem);
        return nullptr;
    }
    Reader reader {bytes};
    auto gif = open(reader, error);
    if (!gif)
        return nullptr;
    auto fail = [&](const char* what) -> std::shared_ptr<Image> {
        const char* reason = GifErrorString(gif->Error);
        setError(error, std::string(what) + (reason ? reason : "unknown error"));
        return nullptr;
    };
    int transparent = NO_TRANSPARENT_COLOR;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK)
            return fail("corrupt or truncated GIF data: ");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK)
                return fail("corrupt or truncated GIF data: ");
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK)
                    return fail("corrupt or truncated GIF data: ");
            }
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.get()) != GIF_OK)
                return fail("corrupt or truncated GIF data: ");
            const GifImageDesc& desc = gif->Image;
            int width = gif->SWidth > 0 && gif->SHeight > 0 ? gif->SWidth : desc.Left + desc.Width;
            int height = gif->SWidth > 0 && gif->SHeight > 0 ? gif->SHeight : desc.Top + desc.Height;
            if (width <= 0 || height <= 0 || desc.Width <= 0 || desc.Height <= 0) {
                setError(error, "GIF canvas is empty");
                return nullptr;
            }
            std::vector<GifByteType> raster(size_t(desc.Width) * size_t(desc.Height));
            auto readRow = [&](int row) {
                return DGifGetLine(gif.get(), raster.data() + size_t(row) * desc.Width, desc.Width) == GIF_OK;
            };
            if (desc.Interlace) {
                constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
                for (int pass = 0; pass < 4; ++pass)
                    for (int row = kStart[pass]; row < desc.Height; row += kStep[pass])
                        if (!readRow(row))
                            return fail("corrupt or truncated GIF data: ");
            } else {
                for (int row = 0; row < desc.Height; ++row)
                    if (!readRow(row))
                        return fail("corrupt or truncated GIF data: ");
            }
            auto canvas = Image::create(width, height);
            if (!canvas) {
                setError(error, "out of memory for the GIF canvas");
                return nullptr;
            }
            compose(
                *canvas, desc, desc.ColorMap ? desc.ColorMap : gif->SColorMap, raster.data(), transparent);
            return canvas;
        }
    } while (record != TERMINATE_RECORD_TYPE);
    setError(error, "GIF has no frames");
    return nullptr;
}

std::optional<GifAnimation> GifDecoder::decodeFile(const std::filesystem::path& path, std::string* error)
{
    auto bytes = readImageFile(path, error);
    if (!bytes)
        return std::nullopt;
    return decode(*bytes, error);
}

} // namespace graphics
