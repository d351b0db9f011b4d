#include "platform/graphics/JpegCodec.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

#include <algorithm>
#include <new>
#include <turbojpeg.h>

namespace graphics {

namespace {

// One compressor and one decompressor per thread: making a handle costs more than decoding a
// small thumbnail, and a handle must not be shared between threads.
struct TurboHandle {
    tjhandle handle = nullptr;
    explicit TurboHandle(tjhandle h)
        : handle(h)
    { }
    ~TurboHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
    TurboHandle(const TurboHandle&) = delete;
    TurboHandle& operator=(const TurboHandle&) = delete;
};

tjhandle compressor()
{
    thread_local TurboHandle h(tjInitCompress());
    return h.handle;
}

TurboHandle& decompressorSlot()
{
    thread_local TurboHandle h(tjInitDecompress());
    return h;
}

tjhandle decompressor()
{
    return decompressorSlot().handle;
}

// TurboJPEG leaves a decompressor whose header read failed in the middle of its state machine,
// and every later decode on it fails ("two SOI markers"). A failed decode costs a fresh handle so
// that one bad file cannot stop a long-lived thread from decoding photos.
void resetDecompressor()
{
    auto& slot = decompressorSlot();
    if (slot.handle)
        tjDestroy(slot.handle);
    slot.handle = tjInitDecompress();
}

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

bool validDenominator(int d)
{
    return d == 1 || d == 2 || d == 4 || d == 8;
}

struct Header {
    int width = 0, height = 0, scaledWidth = 0, scaledHeight = 0;
    bool cmyk = false;
    bool warned = false; // the header read with a warning
};

// Reads the header with this thread's decompressor; a read that did not go cleanly leaves the
// thread a fresh one.
std::optional<Header> readHeader(std::span<const uint8_t> bytes, int denominator, std::string* error)
{
    if (bytes.empty()) {
        setError(error, "JPEG data is empty");
        return std::nullopt;
    }
    if (!JpegCodec::isJpeg(bytes)) {
        setError(error, "data is not a JPEG image");
        return std::nullopt;
    }
    if (!validDenominator(denominator)) {
        setError(error, "unsupported JPEG scale 1/" + std::to_string(denominator));
        return std::nullopt;
    }
    tjhandle handle = decompressor();
    if (!handle) {
        setError(error, "cannot create a JPEG decompressor");
        return std::nullopt;
    }
    Header h;
    int subsampling = 0, colorspace = 0;
    // A warning here (stray bytes between segments, as some encoders leave them) is no reason to
    // refuse the file when the header was read whole.
    std::string warning;
    if (tjDecompressHeader3(
            handle, bytes.data(), bytes.size(), &h.width, &h.height, &subsampling, &colorspace)
        != 0) {
        if (tjGetErrorCode(handle) != TJERR_WARNING) {
            setError(error, std::string("bad JPEG header: ") + tjGetErrorStr2(handle));
            resetDecompressor();
            return std::nullopt;
        }
        h.warned = true;
        warning = tjGetErrorStr2(handle);
        resetDecompressor();
    }
    h.cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    if (h.width <= 0 || h.height <= 0) {
        setError(error, h.warned ? "bad JPEG header: " + warning : std::string("JPEG image has no pixels"));
        return std::nullopt;
    }
    tjscalingfactor factor {1, denominator};
    h.scaledWidth = TJSCALED(h.width, factor);
    h.scaledHeight = TJSCALED(h.height, factor);
    return h;
}

// Ink values as Adobe writes them (inverted: 255 is no ink), the convention of nearly every CMYK
// JPEG in the wild and of libjpeg's own CMYK output.
void cmykToBgra(const uint8_t* cmyk, Image& image)
{
    const int width = image.pixelWidth();
    for (int y = 0; y < image.pixelHeight(); ++y) {
        const uint8_t* in = cmyk + size_t(y) * width * 4;
        uint8_t* out = image.data() + size_t(y) * image.stride();
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            unsigned k = in[3];
            out[0] = uint8_t((in[2] * k + 127) / 255);
            out[1] = uint8_t((in[1] * k + 127) / 255);
            out[2] = uint8_t((in[0] * k + 127) / 255);
            out[3] = 0xFF;
        }
    }
}

// Whether the stream holds its end-of-image marker after the start of its first scan, as a whole
// file does and a truncated one does not. Segments are walked by their lengths up to the scan
// (an EXIF thumbnail has markers of its own), passing stray bytes between them as decoders do;
// inside the scans a 0xFF byte is always followed by 0 or a restart code, never by 0xD9.
bool reachesEndOfImage(std::span<const uint8_t> b)
{
    size_t at = 2;
    while (at + 1 < b.size()) {
        if (b[at] != 0xFF || b[at + 1] == 0xFF) {
            ++at;
            continue;
        }
        uint8_t marker = b[at + 1];
        if (marker == 0xDA)
            break;
        if (marker == 0xD9)
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (at + 4 > b.size())
            return false;
        at += 2 + size_t(b[at + 2] << 8 | b[at + 3]);
    }
    for (size_t i = at + 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == 0xD9)
            return true;
    return false;
}

} // namespace

bool JpegCodec::isJpeg(std::span<const uint8_t> b)
{
    return b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

std::optional<std::vector<uint8_t>> JpegCodec::encode(const Image& image, int quality, std::string* error)
{
    if (!image.isBitmapBacked() || image.pixelWidth() <= 0 || image.pixelHeight() <= 0) {
        setError(error, "cannot encode an image without pixels as JPEG");
        return std::nullopt;
    }
    tjhandle handle = compressor();
    if (!handle) {
        setError(error, "cannot create a JPEG compressor");
        return std::nullopt;
    }
    quality = std::clamp(quality, 1, 100);
    unsigned long capacity = tjBufSize(image.pixelWidth(), image.pixelHeight(), TJSAMP_420);
    unsigned char* buffer = tjAlloc(int(capacity));
    if (!buffer) {
        setError(error, "out of memory for the JPEG buffer");
        return std::nullopt;
    }
    unsigned long size = capacity;
    // The buffer is sized for the worst case, so TurboJPEG never has to grow it.
    int rc = tjCompress2(handle, image.data(), image.pixelWidth(), image.stride(), image.pixelHeight(),
        TJPF_BGRA, &buffer, &size, TJSAMP_420, quality, TJFLAG_NOREALLOC);
    if (rc != 0) {
        setError(error, std::string("JPEG encoding failed: ") + tjGetErrorStr2(handle));
        tjFree(buffer);
        return std::nullopt;
    }
    std::vector<uint8_t> out(buffer, buffer + size);
    tjFree(buffer);
    return out;
}

int JpegCodec::exifOrientation(std::span<const uint8_t> b)
{
    if (!isJpeg(b))
        return 1;
    auto u16 = [](const uint8_t* p, bool little) { return little ? p[0] | p[1] << 8 : p[0] << 8 | p[1]; };
    auto u32 = [](const uint8_t* p, bool little) {
        return little ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24
                      : uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
    };
    size_t at = 2;
    // The segments before the image data; EXIF sits in an APP1 among them.
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        uint8_t marker = b[at + 1];
        if (marker == 0xDA || marker == 0xD9)
            break;
        size_t length = size_t(u16(&b[at + 2], false));
        if (length < 2 || at + 2 + length > b.size())
            break;
        const uint8_t* segment = &b[at + 4];
        size_t size = length - 2;
        if (marker == 0xE1 && size >= 14 && std::equal(segment, segment + 6, "Exif\0\0")) {
            const uint8_t* tiff = segment + 6;
            size_t tiffSize = size - 6;
            bool little = tiff[0] == 'I' && tiff[1] == 'I';
            if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
                return 1;
            uint32_t ifd = u32(tiff + 4, little);
            if (ifd > tiffSize || tiffSize - ifd < 2)
                return 1;
            unsigned count = unsigned(u16(tiff + ifd, little));
            for (unsigned i = 0; i < count; ++i) {
                size_t entry = ifd + 2 + size_t(i) * 12;
                if (entry + 12 > tiffSize)
                    return 1;
                if (u16(tiff + entry, little) != 0x0112)
                    continue;
                int value = u16(tiff + entry + 8, little);
                return value >= 1 && value <= 8 ? value : 1;
            }
            return 1;
        }
        at += 2 + length;
    }
    return 1;
}

std::optional<std::pair<int, int>> JpegCodec::scaledSize(
    std::span<const uint8_t> bytes, int scaleDenominator, std::string* error)
{
    auto header = readHeader(bytes, scaleDenominator, error);
    if (!header)
        return std::nullopt;
    return std::pair {header->scaledWidth, header->scaledHeight};
}

std::shared_ptr<Image> JpegCodec::decode(
    std::span<const uint8_t> bytes, int scaleDenominator, std::string* error, int64_t maxPixels)
{
    auto header = readHeader(bytes, scaleDenominator, error);
    if (!header)
        return nullptr;
    tjhandle handle = decompressor();
    // What the decoder holds grows with the full size, not the scaled one: a progressive file
    // keeps the coefficients of every block until its last scan.
    if (int64_t(header->width) * header->height > maxPixels) {
        setError(error,
            "JPEG image of " + std::to_string(header->width) + " x " + std::to_string(header->height)
                + " is too large to decode (at most " + std::to_string(maxPixels) + " pixels)");
        return nullptr;
    }
    auto image = Image::createUninitialized(header->scaledWidth, header->scaledHeight);
    if (!image) {
        setError(error, "out of memory for the JPEG image");
        return nullptr;
    }
    // TurboJPEG converts CMYK and YCCK only to CMYK; those (scanners, print work) go through a
    // buffer of ink values and are converted here.
    std::unique_ptr<uint8_t[]> cmyk;
    if (header->cmyk) {
        cmyk.reset(new (std::nothrow) uint8_t[size_t(image->pixelWidth()) * image->pixelHeight() * 4]);
        if (!cmyk) {
            setError(error, "out of memory for the JPEG image");
            return nullptr;
        }
    }
    // A warning while decoding the picture (a truncated or corrupt stream) fails the decode: a
    // half-grey photo is worse than a clear error. When the header warned already, TurboJPEG
    // would stop on that same warning, so the picture is decoded through it and kept only when
    // the stream reaches its end.
    // A progressive file may repeat its scans without a warning, each costing a pass over every
    // block; TurboJPEG's limit (500 scans) makes such a file an error.
    const int flags = TJFLAG_LIMITSCANS | (header->warned ? 0 : TJFLAG_STOPONWARNING);
    int rc = cmyk ? tjDecompress2(handle, bytes.data(), bytes.size(), cmyk.get(), image->pixelWidth(),
                 image->pixelWidth() * 4, image->pixelHeight(), TJPF_CMYK, flags)
                  : tjDecompress2(handle, bytes.data(), bytes.size(), image->data(), image->pixelWidth(),
                      image->stride(), image->pixelHeight(), TJPF_BGRA, flags);
    const bool warning = rc != 0 && tjGetErrorCode(handle) == TJERR_WARNING;
    if (rc != 0 && !(warning && header->warned && reachesEndOfImage(bytes))) {
        setError(error,
            std::string(warning ? "corrupt or truncated JPEG data: " : "JPEG decoding failed: ")
                + tjGetErrorStr2(handle));
        resetDecompressor();
        return nullptr;
    }
    if (cmyk)
        cmykToBgra(cmyk.get(), *image);
    image->setOpaque(true);
    image->setOrientation(imageOrientationFromExif(exifOrientation(bytes)));
    return image;
}

std::shared_ptr<Image> JpegCodec::decodeFile(
    const std::filesystem::path& path, int scaleDenominator, std::string* error)
{
    auto bytes = readImageFile(path, error);
    return bytes ? decode(*bytes, scaleDenominator, error) : nullptr;
}

} // namespace graphics
