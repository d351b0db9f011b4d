#include "platform/graphics/PngCodec.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

#include <bit>
#include <csetjmp>
#include <cstring>
#include <png.h>

namespace graphics {

namespace {

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

// Cairo's ARGB32 word in memory order, as libpng's simplified API names byte orders.
constexpr uint32_t kStraightFormat
    = std::endian::native == std::endian::little ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
constexpr uint32_t kOpaqueFormat
    = std::endian::native == std::endian::little ? PNG_FORMAT_BGR : PNG_FORMAT_RGB;
constexpr int kAlphaByte = std::endian::native == std::endian::little ? 3 : 0;

// Rounded so that premultiply(unpremultiply(p)) == p for every premultiplied value.
inline uint8_t premultiply(uint32_t c, uint32_t a)
{
    return uint8_t((c * a + 127) / 255);
}
inline uint8_t unpremultiply(uint32_t c, uint32_t a)
{
    return uint8_t(std::min<uint32_t>(255, (c * 255 + a / 2) / a));
}

void premultiplyRows(Image& image)
{
    for (int y = 0; y < image.pixelHeight(); ++y) {
        uint8_t* p = image.data() + size_t(y) * image.stride();
        for (int x = 0; x < image.pixelWidth(); ++x, p += 4) {
            uint32_t a = p[kAlphaByte];
            if (a == 255)
                continue;
            for (int i = 0; i < 4; ++i)
                if (i != kAlphaByte)
                    p[i] = a == 0 ? 0 : premultiply(p[i], a);
        }
    }
}

// Averages each denominator x denominator block (premultiplied, so averaging is correct).
std::shared_ptr<Image> boxDownscale(const Image& source, int denominator)
{
    int w = std::max(1, (source.pixelWidth() + denominator - 1) / denominator);
    int h = std::max(1, (source.pixelHeight() + denominator - 1) / denominator);
    auto out = Image::create(w, h, source.scale());
    for (int y = 0; y < h; ++y) {
        int y0 = y * denominator, y1 = std::min(source.pixelHeight(), y0 + denominator);
        uint8_t* dst = out->data() + size_t(y) * out->stride();
        for (int x = 0; x < w; ++x) {
            int x0 = x * denominator, x1 = std::min(source.pixelWidth(), x0 + denominator);
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const uint8_t* s = source.data() + size_t(sy) * source.stride() + size_t(x0) * 4;
                for (int sx = x0; sx < x1; ++sx, s += 4)
                    for (int i = 0; i < 4; ++i)
                        sum[i] += s[i];
            }
            uint32_t n = uint32_t((y1 - y0) * (x1 - x0));
            for (int i = 0; i < 4; ++i)
                dst[x * 4 + i] = uint8_t((sum[i] + n / 2) / n);
        }
    }
    out->setOpaque(source.isOpaque());
    return out;
}

// What one PNG may take beyond its pixels. Nothing here uses a PNG's text or private chunks, so
// they are skipped unread (a compressed text chunk is never inflated); what is kept (colour
// space, gamma, transparency) is small, and a chunk longer than the limit fails the file.
constexpr png_uint_32 kPngChunkCacheMax = 64;
constexpr png_alloc_size_t kPngChunkMallocMax = png_alloc_size_t(8) << 20;

// The chunks besides the critical ones and tRNS that change the pixels.
constexpr png_byte kPixelChunks[] = {'b', 'K', 'G', 'D', 0, 'c', 'H', 'R', 'M', 0, 'g', 'A', 'M', 'A', 0, //
    'i', 'C', 'C', 'P', 0, 's', 'B', 'I', 'T', 0, 's', 'R', 'G', 'B', 0};

// libpng's full API with the transforms its simplified API applies for 8-bit straight-alpha
// output (so the pixels come out as they always did), plus the limits above. libpng reports a
// failure by a long jump back to the setjmp of the call that started it, so each such call sits
// in a member function of its own with nothing on its stack that needs destroying.
class PngReader final {
public:
    explicit PngReader(std::span<const uint8_t> bytes)
        : m_bytes(bytes)
    {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
        if (m_png)
            m_info = png_create_info_struct(m_png);
    }
    ~PngReader() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    bool readHeader()
    {
        if (!m_png || !m_info) {
            m_message = "out of memory";
            return false;
        }
        if (setjmp(png_jmpbuf(m_png)))
            return false;
        png_set_read_fn(m_png, this, readFromMemory);
        png_set_benign_errors(m_png, 1);
        png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_keep_unknown_chunks(
            m_png, PNG_HANDLE_CHUNK_AS_DEFAULT, kPixelChunks, int(sizeof kPixelChunks / 5));
        png_set_chunk_cache_max(m_png, kPngChunkCacheMax);
        png_set_chunk_malloc_max(m_png, kPngChunkMallocMax);
        png_read_info(m_png, m_info);
        m_width = png_get_image_width(m_png, m_info);
        m_height = png_get_image_height(m_png, m_info);
        m_colorType = png_get_color_type(m_png, m_info);
        m_bitDepth = png_get_bit_depth(m_png, m_info);
        int transparent = 0;
        png_get_tRNS(m_png, m_info, nullptr, &transparent, nullptr);
        m_hasAlpha = (m_colorType & PNG_COLOR_MASK_ALPHA) || transparent > 0;
        return true;
    }

    // Into `rows` of width() * 4 bytes each, as kStraightFormat. The chunks after the pixels
    // are not read.
    bool readPixels(png_bytep* rows)
    {
        if (setjmp(png_jmpbuf(m_png)))
            return false;
        png_set_expand(m_png);
        if (!(m_colorType & PNG_COLOR_MASK_COLOR))
            png_set_gray_to_rgb(m_png);
        // 16-bit samples without a gamma of their own are taken as linear, 8-bit ones as sRGB.
        png_set_alpha_mode_fixed(
            m_png, PNG_ALPHA_PNG, m_bitDepth == 16 ? PNG_GAMMA_LINEAR : PNG_DEFAULT_sRGB);
        if (m_bitDepth == 16)
            png_set_scale_16(m_png);
        constexpr bool little = std::endian::native == std::endian::little;
        if (!m_hasAlpha)
            png_set_add_alpha(m_png, 0xFF, little ? PNG_FILLER_AFTER : PNG_FILLER_BEFORE);
        png_set_alpha_mode_fixed(m_png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
        if constexpr (little)
            png_set_bgr(m_png);
        else if (m_hasAlpha)
            png_set_swap_alpha(m_png);
        png_set_interlace_handling(m_png);
        png_read_update_info(m_png, m_info);
        if (png_get_rowbytes(m_png, m_info) != size_t(m_width) * 4)
            png_error(m_png, "unsupported PNG format");
        png_read_image(m_png, rows);
        return true;
    }

    png_uint_32 width() const { return m_width; }
    png_uint_32 height() const { return m_height; }
    bool hasAlpha() const { return m_hasAlpha; }
    const std::string& message() const { return m_message; }

private:
    static void readFromMemory(png_structp png, png_bytep out, size_t length)
    {
        auto* self = static_cast<PngReader*>(png_get_io_ptr(png));
        if (length > self->m_bytes.size() - self->m_at)
            png_error(png, "read beyond end of data");
        std::memcpy(out, self->m_bytes.data() + self->m_at, length);
        self->m_at += length;
    }
    [[noreturn]] static void onError(png_structp png, png_const_charp message)
    {
        static_cast<PngReader*>(png_get_error_ptr(png))->m_message = message;
        png_longjmp(png, 1);
    }
    static void onWarning(png_structp, png_const_charp) { }

    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    std::string m_message;
    png_uint_32 m_width = 0, m_height = 0;
    int m_colorType = 0, m_bitDepth = 0;
    bool m_hasAlpha = false;
};

} // namespace

bool PngCodec::isPng(std::span<const uint8_t> b)
{
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return b.size() >= 8 && std::memcmp(b.data(), kSignature, 8) == 0;
}

std::optional<std::vector<uint8_t>> PngCodec::encode(const Image& image, std::string* error)
{
    if (!image.isBitmapBacked() || image.pixelWidth() <= 0 || image.pixelHeight() <= 0) {
        setError(error, "cannot encode an image without pixels as PNG");
        return std::nullopt;
    }
    int w = image.pixelWidth(), h = image.pixelHeight();
    // PNG stores straight alpha; an opaque image is written without an alpha channel.
    bool opaque = image.isOpaque();
    int channels = opaque ? 3 : 4;
    std::vector<uint8_t> straight(size_t(w) * channels * h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = image.data() + size_t(y) * image.stride();
        uint8_t* d = straight.data() + size_t(y) * w * channels;
        for (int x = 0; x < w; ++x, s += 4, d += channels) {
            if (opaque) {
                if constexpr (std::endian::native == std::endian::little)
                    d[0] = s[0], d[1] = s[1], d[2] = s[2];
                else
                    d[0] = s[1], d[1] = s[2], d[2] = s[3];
                continue;
            }
            uint32_t a = s[kAlphaByte];
            for (int i = 0; i < 4; ++i)
                d[i] = (i == kAlphaByte || a == 255) ? s[i] : a == 0 ? 0 : unpremultiply(s[i], a);
        }
    }

    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(w);
    png.height = png_uint_32(h);
    png.format = opaque ? kOpaqueFormat : kStraightFormat;
    // Fast compression: four times quicker on a 12-megapixel photo, and no bigger there.
    png.flags = PNG_IMAGE_FLAG_FAST;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, straight.data(), 0, nullptr)) {
        setError(error, std::string("PNG encoding failed: ") + png.message);
        png_image_free(&png);
        return std::nullopt;
    }
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, straight.data(), 0, nullptr)) {
        setError(error, std::string("PNG encoding failed: ") + png.message);
        png_image_free(&png);
        return std::nullopt;
    }
    out.resize(size);
    return out;
}

std::shared_ptr<Image> PngCodec::decode(
    std::span<const uint8_t> bytes, int scaleDenominator, std::string* error, int64_t maxPixels)
{
    if (bytes.empty()) {
        setError(error, "PNG data is empty");
        return nullptr;
    }
    if (!isPng(bytes)) {
        setError(error, "data is not a PNG image");
        return nullptr;
    }
    if (scaleDenominator != 1 && scaleDenominator != 2 && scaleDenominator != 4 && scaleDenominator != 8) {
        setError(error, "unsupported PNG scale 1/" + std::to_string(scaleDenominator));
        return nullptr;
    }
    PngReader reader(bytes);
    if (!reader.readHeader()) {
        setError(error, "bad PNG data: " + reader.message());
        return nullptr;
    }
    if (reader.width() == 0 || reader.height() == 0) {
        setError(error, "PNG image is empty");
        return nullptr;
    }
    if (uint64_t(reader.width()) * reader.height() > uint64_t(std::max<int64_t>(maxPixels, 0))) {
        setError(error,
            "PNG image of " + std::to_string(reader.width()) + " x " + std::to_string(reader.height())
                + " is too large to decode (at most " + std::to_string(maxPixels) + " pixels)");
        return nullptr;
    }
    auto image = Image::createUninitialized(int(reader.width()), int(reader.height()));
    std::vector<png_bytep> rows;
    if (image) {
        rows.resize(size_t(image->pixelHeight()));
        for (size_t y = 0; y < rows.size(); ++y)
            rows[y] = image->data() + y * size_t(image->stride());
    }
    if (!image || rows.empty()) {
        setError(error, "out of memory for the PNG image");
        return nullptr;
    }
    if (!reader.readPixels(rows.data())) {
        setError(error, "corrupt or truncated PNG data: " + reader.message());
        return nullptr;
    }
    if (reader.hasAlpha())
        premultiplyRows(*image);
    else
        image->setOpaque(true);
    return scaleDenominator == 1 ? image : boxDownscale(*image, scaleDenominator);
}

std::shared_ptr<Image> PngCodec::decodeFile(
    const std::filesystem::path& path, int scaleDenominator, std::string* error)
{
    auto bytes = readImageFile(path, error);
    return bytes ? decode(*bytes, scaleDenominator, error) : nullptr;
}

} // namespace graphics
