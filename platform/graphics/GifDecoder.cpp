#include "platform/graphics/GifDecoder.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

#include <algorithm>
#include <cstring>
#include <functional>
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

// Draws a frame's raster onto the canvas (transparent index left out).
void compose(Image& canvas, const GifImageDesc& desc, const ColorMapObject* colors, const GifByteType* raster,
    int transparent)
{
    if (!colors || !raster)
        return;
    // Only the part on the canvas: a frame may claim far more than the screen.
    const int firstRow = std::max(0, -desc.Top),
              endRow = std::min(desc.Height, canvas.pixelHeight() - desc.Top);
    const int firstColumn = std::max(0, -desc.Left),
              endColumn = std::min(desc.Width, canvas.pixelWidth() - desc.Left);
    for (int y = firstRow; y < endRow; ++y) {
        const GifByteType* row = raster + size_t(y) * desc.Width;
        for (int x = firstColumn; x < endColumn; ++x) {
            int index = row[x];
            if (index == transparent || index >= colors->ColorCount)
                continue;
            canvas.setPixel(desc.Left + x, desc.Top + y, argbOf(colors->Colors[index]));
        }
    }
}

std::string sizeText(int64_t width, int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// The file opened once its bytes are a GIF whose screen is within the canvas limit.
std::unique_ptr<GifFileType, GifCloser> open(Reader& reader, int64_t maxCanvasPixels, std::string* error)
{
    if (reader.bytes.empty() || !GifDecoder::isGif(reader.bytes)) {
        setError(error, reader.bytes.empty() ? "GIF data is empty" : "data is not a GIF image");
        return nullptr;
    }
    int openError = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readFromMemory, &openError));
    if (!gif) {
        const char* reason = GifErrorString(openError);
        setError(error, std::string("bad GIF data: ") + (reason ? reason : "unknown error"));
    } else if (int64_t(gif->SWidth) * gif->SHeight > maxCanvasPixels) {
        setError(error, "GIF canvas of " + sizeText(gif->SWidth, gif->SHeight) + " is too large to decode");
        gif = nullptr;
    }
    return gif;
}

// Walks a file record by record with giflib's own reader, so that every size checked is the
// one giflib is about to decode (a separate walk over the bytes can fall out of step with it).
// Each frame's raster is read into one buffer, reused, after the caller has accepted its
// descriptor; nothing is allocated for a frame before that.
class FrameReader {
public:
    struct Frame {
        const GifImageDesc& desc;
        const ColorMapObject* colors;
        const GifByteType* raster;
        GraphicsControlBlock control;
        bool hasGraphicControl;
    };
    // Says whether a frame of that descriptor may be read: the reason it may not, else nullopt.
    using Admit = std::function<std::optional<std::string>(const GifImageDesc&, int frameIndex)>;
    // Takes a frame that was read; false stops the walk (successfully).
    using Take = std::function<bool(const Frame&)>;

    FrameReader(GifFileType* gif, std::string* error)
        : m_gif(gif)
        , m_error(error)
    { }

    // False, with the reason in the error, when the file is broken or a frame is refused.
    bool run(const Admit& admit, const Take& take)
    {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        int frames = 0;
        GraphicsControlBlock control {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        bool hasGraphicControl = false;
        do {
            if (DGifGetRecordType(m_gif, &record) != GIF_OK)
                return fail(frames == 0);
            if (record == EXTENSION_RECORD_TYPE) {
                if (!readExtension(frames == 0, control, hasGraphicControl))
                    return fail(false);
            } else if (record == IMAGE_DESC_RECORD_TYPE) {
                if (DGifGetImageDesc(m_gif) != GIF_OK)
                    return fail(false);
                const GifImageDesc& desc = m_gif->Image;
                if (auto refused = admit(desc, frames)) {
                    setError(m_error, *refused);
                    return false;
                }
                if (!readRaster(desc))
                    return fail(false);
                const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : m_gif->SColorMap;
                if (!take({desc, colors, m_raster.data(), control, hasGraphicControl}))
                    return true;
                ++frames;
                control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
                hasGraphicControl = false;
            }
        } while (record != TERMINATE_RECORD_TYPE);
        if (frames == 0) {
            setError(m_error, "GIF has no frames");
            return false;
        }
        return true;
    }

    int loopCount() const { return m_loopCount; }

private:
    bool fail(bool beforeAnyFrame)
    {
        // A file that ends between records before any frame has no frames rather than a broken one.
        if (beforeAnyFrame && m_gif->Error == D_GIF_ERR_READ_FAILED) {
            setError(m_error, "GIF has no frames");
            return false;
        }
        const char* reason = GifErrorString(m_gif->Error);
        setError(
            m_error, std::string("corrupt or truncated GIF data: ") + (reason ? reason : "unknown error"));
        return false;
    }

    // An extension whose first sub-block is empty ends there: giflib hands back no block.
    bool readExtension(bool beforeFirstFrame, GraphicsControlBlock& control, bool& hasGraphicControl)
    {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(m_gif, &code, &block) != GIF_OK)
            return false;
        bool loopApplication = false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block
            && DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            hasGraphicControl = true;
        if (code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11
            && (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0
                || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0))
            loopApplication = beforeFirstFrame;
        while (block) {
            if (DGifGetExtensionNext(m_gif, &block) != GIF_OK)
                return false;
            // NETSCAPE2.0 loop count, when the file has one before its first frame.
            if (loopApplication && block && block[0] >= 3 && block[1] == 1) {
                m_loopCount = block[2] | (block[3] << 8);
                loopApplication = false;
            }
        }
        return true;
    }

    bool readRaster(const GifImageDesc& desc)
    {
        if (desc.Width <= 0 || desc.Height <= 0) {
            // Nothing to draw: its data is passed over.
            m_raster.clear();
            int codeSize = 0;
            GifByteType* block = nullptr;
            if (DGifGetCode(m_gif, &codeSize, &block) != GIF_OK)
                return false;
            while (block)
                if (DGifGetCodeNext(m_gif, &block) != GIF_OK)
                    return false;
            return true;
        }
        m_raster.resize(size_t(desc.Width) * size_t(desc.Height));
        auto readRow = [&](int row) {
            return DGifGetLine(m_gif, m_raster.data() + size_t(row) * desc.Width, desc.Width) == GIF_OK;
        };
        if (desc.Interlace) {
            constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int row = kStart[pass]; row < desc.Height; row += kStep[pass])
                    if (!readRow(row))
                        return false;
            return true;
        }
        for (int row = 0; row < desc.Height; ++row)
            if (!readRow(row))
                return false;
        return true;
    }

    GifFileType* m_gif;
    std::string* m_error;
    std::vector<GifByteType> m_raster;
    int m_loopCount = 0;
};

// What decoding has taken so far, checked before each frame is read: the frame alone must fit the
// canvas limit, and all that is held with what the frame adds the byte budget.
class FrameBudget {
public:
    // `keepsFrames`: every composed frame is kept, with a saved canvas for "restore previous".
    FrameBudget(const GifFileType& gif, int64_t maxCanvasPixels, bool keepsFrames)
        : m_gif(gif)
        , m_maxCanvasPixels(maxCanvasPixels)
        , m_keepsFrames(keepsFrames)
    { }

    // The reason a frame of `desc` may not be read, else nullopt (and its cost is counted).
    std::optional<std::string> admit(const GifImageDesc& desc, int frameIndex)
    {
        const int64_t framePixels = int64_t(desc.Width) * desc.Height;
        if (framePixels > m_maxCanvasPixels)
            return "GIF frame of " + std::to_string(framePixels) + " pixels is too large to decode";
        if (frameIndex == 0) {
            // The screen, or the first frame's rect where an encoder left the screen at zero.
            const bool screen = m_gif.SWidth > 0 && m_gif.SHeight > 0;
            m_width = screen ? m_gif.SWidth : int64_t(desc.Left) + desc.Width;
            m_height = screen ? m_gif.SHeight : int64_t(desc.Top) + desc.Height;
            if (m_width <= 0 || m_height <= 0)
                return std::string("GIF canvas is empty");
            if (m_width * m_height > m_maxCanvasPixels)
                return "GIF canvas of " + sizeText(m_width, m_height) + " is too large to decode";
            m_held = canvasBytes() * (m_keepsFrames ? 2 : 1);
        }
        // The frame's raster and, when frames are kept, its composed copy with its bookkeeping.
        const int64_t cost
            = framePixels + (m_keepsFrames ? canvasBytes() + GifDecoder::kFrameOverheadBytes : 0);
        if (m_held + cost > GifDecoder::kMaxDecodedBytes)
            return "GIF animation at " + sizeText(m_width, m_height) + " is too large to decode beyond "
                + std::to_string(frameIndex) + " frames";
        m_held += cost;
        return std::nullopt;
    }

    int width() const { return int(m_width); }
    int height() const { return int(m_height); }

private:
    int64_t canvasBytes() const { return m_width * m_height * 4; }

    const GifFileType& m_gif;
    int64_t m_maxCanvasPixels;
    bool m_keepsFrames;
    int64_t m_width = 0, m_height = 0, m_held = 0;
};

} // namespace

bool GifDecoder::isGif(std::span<const uint8_t> b)
{
    return b.size() >= 6
        && (std::memcmp(b.data(), "GIF87a", 6) == 0 || std::memcmp(b.data(), "GIF89a", 6) == 0);
}

std::optional<GifAnimation> GifDecoder::decode(
    std::span<const uint8_t> bytes, std::string* error, int64_t maxCanvasPixels)
{
    Reader reader {bytes};
    auto gif = open(reader, maxCanvasPixels, error);
    if (!gif)
        return std::nullopt;
    GifAnimation animation;
    std::shared_ptr<Image> canvas;
    FrameBudget budget(*gif, maxCanvasPixels, true);
    FrameReader frames(gif.get(), error);
    bool read = frames.run([&](const GifImageDesc& desc, int index) { return budget.admit(desc, index); },
        [&](const FrameReader::Frame& frame) {
            if (!canvas) {
                animation.width = budget.width();
                animation.height = budget.height();
                canvas = Image::create(animation.width, animation.height);
                if (!canvas) {
                    setError(error, "out of memory for the GIF canvas");
                    return false;
                }
            }
            const GifImageDesc& desc = frame.desc;
            std::shared_ptr<Image> previous;
            if (frame.control.DisposalMode == DISPOSE_PREVIOUS)
                previous = canvas->copy();
            compose(*canvas, desc, frame.colors, frame.raster, frame.control.TransparentColor);
            auto shown = canvas->copy();
            if (!shown) {
                setError(error, "out of memory for the GIF frames");
                canvas = nullptr;
                return false;
            }
            animation.frames.push_back({std::move(shown), frame.control.DelayTime, frame.hasGraphicControl});
            // Disposal prepares the canvas for the next frame. Background disposal clears to
            // transparent, as browsers do, rather than to the background colour index.
            if (frame.control.DisposalMode == DISPOSE_BACKGROUND)
                clearRect(*canvas, desc.Left, desc.Top, desc.Width, desc.Height);
            else if (frame.control.DisposalMode == DISPOSE_PREVIOUS && previous)
                canvas = previous;
            return true;
        });
    // A truncated animation fails as a whole: its last frame would be half-filled.
    if (!read || !canvas)
        return std::nullopt;
    animation.loopCount = frames.loopCount();
    return animation;
}

std::shared_ptr<Image> GifDecoder::decodeFirstFrame(
    std::span<const uint8_t> bytes, std::string* error, int64_t maxCanvasPixels)
{
    Reader reader {bytes};
    auto gif = open(reader, maxCanvasPixels, error);
    if (!gif)
        return nullptr;
    std::shared_ptr<Image> canvas;
    FrameBudget budget(*gif, maxCanvasPixels, false);
    FrameReader frames(gif.get(), error);
    bool read = frames.run([&](const GifImageDesc& desc, int index) { return budget.admit(desc, index); },
        [&](const FrameReader::Frame& frame) {
            canvas = Image::create(budget.width(), budget.height());
            if (!canvas)
                setError(error, "out of memory for the GIF canvas");
            else
                compose(*canvas, frame.desc, frame.colors, frame.raster, frame.control.TransparentColor);
            return false;
        });
    return read ? canvas : nullptr;
}

std::optional<GifAnimation> GifDecoder::decodeFile(const std::filesystem::path& path, std::string* error)
{
    auto bytes = readImageFile(path, error);
    if (!bytes)
        return std::nullopt;
    return decode(*bytes, error);
}

} // namespace graphics
