#include "platform/foundation/FileSystem.h"
#include "platform/graphics/GifDecoder.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"
#include "tests/platform/graphics/ForgedImages.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <dlfcn.h>
#include <sys/stat.h>

using namespace graphics;

namespace {

// Smooth gradients with a little deterministic grain: enough detail to exercise the codec
// without making JPEG's job unreasonably hard.
std::shared_ptr<Image> makePhoto(int width, int height)
{
    auto image = Image::create(width, height);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int grain = int(seed >> 29) - 4;
            auto channel = [&](double v) { return uint32_t(std::clamp(int(v) + grain, 0, 255)); };
            uint32_t r = channel(255.0 * x / width);
            uint32_t g = channel(128 + 100 * std::sin(y * 0.05));
            uint32_t b = channel(255.0 * (x + y) / (width + height));
            image->setPixel(x, y, 0xFF000000u | r << 16 | g << 8 | b);
        }
    image->setOpaque(true);
    return image;
}

double psnr(const Image& a, const Image& b)
{
    double sum = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x) {
            uint32_t p = a.pixel(x, y), q = b.pixel(x, y);
            for (int shift : {0, 8, 16}) {
                double d = double((p >> shift) & 0xFF) - double((q >> shift) & 0xFF);
                sum += d * d;
            }
        }
    double mse = sum / (3.0 * a.pixelWidth() * a.pixelHeight());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

std::vector<uint8_t> truncated(const std::vector<uint8_t>& bytes, size_t keep)
{
    return {bytes.begin(), bytes.begin() + std::min(keep, bytes.size())};
}

const std::vector<uint8_t> kGarbage = {'h', 'e', 'l', 'l', 'o', 0, 1, 2, 3, 0xFF, 0xFE, 7, 7, 7, 7, 7};

// Each decodes input that must be refused and returns the error text it gave.
std::string jpegError(const std::vector<uint8_t>& bytes, int scale = 1)
{
    std::string error;
    EXPECT_FALSE(JpegCodec::decode(bytes, scale, &error));
    return error;
}
std::string pngError(const std::vector<uint8_t>& bytes)
{
    std::string error;
    EXPECT_FALSE(PngCodec::decode(bytes, 1, &error));
    return error;
}
std::string gifError(const std::vector<uint8_t>& bytes)
{
    std::string error;
    EXPECT_FALSE(GifDecoder::decode(bytes, &error));
    return error;
}

// A small grey progressive JPEG whose last scan (an AC refinement, all zeros on a flat picture)
// comes back `extraScans` more times as a first AC scan to full precision: the same bits, and a
// repeat that raises no warning, each one a pass over every block.
std::vector<uint8_t> jpegWithRepeatedScans(int extraScans)
{
    std::vector<uint8_t> grey(64 * 64, 0x80);
    tjhandle handle = tjInitCompress();
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, grey.data(), 64, 64, 64, TJPF_GRAY, &buffer, &size, TJSAMP_GRAY, 90,
                  TJFLAG_PROGRESSIVE),
        0);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    tjFree(buffer);
    tjDestroy(handle);
    size_t lastScan = 0;
    for (size_t i = 2; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA)
            lastScan = i;
    // One component: Ns, Cs, Td/Ta, Ss, Se, then Ah/Al.
    EXPECT_EQ(bytes[lastScan + 9], 0x10);
    std::vector<uint8_t> scan(bytes.begin() + long(lastScan), bytes.end() - 2);
    scan[9] = 0x00;
    std::vector<uint8_t> out(bytes.begin(), bytes.end() - 2);
    for (int i = 0; i < extraScans; ++i)
        out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

// Bytes inflated by zlib in this process: libpng's calls come here first and are counted.
std::atomic<uint64_t> inflatedBytes {0};

} // namespace

extern "C" int inflate(z_streamp stream, int flush)
{
    using Inflate = int (*)(z_streamp, int);
    static const auto real = reinterpret_cast<Inflate>(dlsym(RTLD_NEXT, "inflate"));
    const uLong before = stream->total_out;
    const int result = real(stream, flush);
    inflatedBytes += stream->total_out - before;
    return result;
}

namespace {

// A PNG chunk: length, type, data, CRC over type and data.
std::vector<uint8_t> pngChunk(const char* type, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> chunk;
    for (int shift : {24, 16, 8, 0})
        chunk.push_back(uint8_t(data.size() >> shift));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    uint32_t crc = mivo::test::pngCrc(chunk.data() + 4, chunk.size() - 4);
    for (int shift : {24, 16, 8, 0})
        chunk.push_back(uint8_t(crc >> shift));
    return chunk;
}

// A zTXt (or compressed iTXt) chunk whose text inflates to `size` spaces.
std::vector<uint8_t> compressedText(const char* type, size_t size)
{
    std::vector<uint8_t> data = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    if (std::strcmp(type, "iTXt") == 0)
        data.insert(data.end(), {1, 0, 0, 0}); // compressed, deflate, no language, no translation
    else
        data.push_back(0); // deflate
    std::vector<uint8_t> text(size, ' ');
    uLongf packed = compressBound(uLong(size));
    std::vector<uint8_t> out(packed);
    EXPECT_EQ(compress2(out.data(), &packed, text.data(), uLong(size), 9), Z_OK);
    data.insert(data.end(), out.begin(), out.begin() + long(packed));
    return pngChunk(type, data);
}

} // namespace

TEST(JpegCodec, RoundTripAtQuality90KeepsThePicture)
{
    auto photo = makePhoto(320, 240);
    std::string error;
    auto bytes = JpegCodec::encode(*photo, 90, &error);
    ASSERT_TRUE(bytes) << error;
    EXPECT_TRUE(JpegCodec::isJpeg(*bytes));
    auto decoded = JpegCodec::decode(*bytes, 1, &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->pixelWidth(), 320);
    EXPECT_EQ(decoded->pixelHeight(), 240);
    EXPECT_TRUE(decoded->isOpaque());
    EXPECT_EQ(decoded->pixel(17, 33) >> 24, 0xFFu);
    EXPECT_GT(psnr(*photo, *decoded), 35.0);
    // Lower quality is smaller and worse.
    auto low = JpegCodec::encode(*photo, 20);
    ASSERT_TRUE(low);
    EXPECT_LT(low->size(), bytes->size());
    EXPECT_LT(psnr(*photo, *JpegCodec::decode(*low)), psnr(*photo, *decoded));
}

TEST(JpegCodec, DctScaledDecodeGivesScaledSizes)
{
    auto bytes = JpegCodec::encode(*makePhoto(1000, 750), 90);
    ASSERT_TRUE(bytes);
    struct Case {
        int denominator, width, height;
    };
    for (Case c : {Case {1, 1000, 750}, Case {2, 500, 375}, Case {4, 250, 188}, Case {8, 125, 94}}) {
        auto image = JpegCodec::decode(*bytes, c.denominator);
        ASSERT_TRUE(image) << c.denominator;
        EXPECT_EQ(image->pixelWidth(), c.width);
        EXPECT_EQ(image->pixelHeight(), c.height);
        auto size = JpegCodec::scaledSize(*bytes, c.denominator);
        ASSERT_TRUE(size);
        EXPECT_EQ(size->first, c.width);
        EXPECT_EQ(size->second, c.height);
    }
    EXPECT_NE(jpegError(*bytes, 3).find("scale"), std::string::npos);
}

TEST(JpegCodec, BadInputFailsWithAClearError)
{
    auto bytes = JpegCodec::encode(*makePhoto(256, 256), 90);
    ASSERT_TRUE(bytes);
    EXPECT_NE(jpegError(truncated(*bytes, bytes->size() / 2)).find("truncated"), std::string::npos);
    EXPECT_FALSE(jpegError(truncated(*bytes, bytes->size() / 2), 8).empty());
    EXPECT_FALSE(jpegError(truncated(*bytes, 40)).empty());
    EXPECT_EQ(jpegError(kGarbage), "data is not a JPEG image");
    EXPECT_EQ(jpegError({}), "JPEG data is empty");
    // A JPEG signature followed by garbage.
    EXPECT_FALSE(jpegError({0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).empty());
    // A header that claims 65280 x 65280 pixels is refused before any memory is taken.
    auto forged = *bytes;
    for (size_t i = 2; i + 9 < forged.size(); ++i)
        if (forged[i] == 0xFF && forged[i + 1] == 0xC0) {
            forged[i + 5] = forged[i + 7] = 0xFF;
            forged[i + 6] = forged[i + 8] = 0x00;
            break;
        }
    EXPECT_EQ(
        jpegError(forged), "JPEG image of 65280 x 65280 is too large to decode (at most 134217728 pixels)");
    std::string error;
    EXPECT_FALSE(JpegCodec::decodeFile("/nonexistent/photo.jpg", 1, &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_FALSE(JpegCodec::encode(*Image::createWithoutBitmap({10, 10}), 90, &error));
}

TEST(JpegCodec, AProgressiveFileOfThousandsOfScansIsBroken)
{
    // A few hundred repeats decode (the file is sound); past TurboJPEG's limit every road that
    // decodes a JPEG reports it broken instead of spending seconds on it.
    std::string error;
    auto fine = JpegCodec::decode(jpegWithRepeatedScans(300), 1, &error);
    ASSERT_TRUE(fine) << error;
    EXPECT_EQ(fine->pixel(10, 10), 0xFF808080u);
    auto bomb = jpegWithRepeatedScans(2000);
    for (int denominator : {1, 8})
        EXPECT_NE(jpegError(bomb, denominator).find("more than 500 scans"), std::string::npos);
    EXPECT_FALSE(decodeImage(bomb, DecodeBudget::forScreen(640, 1136), &error));
    EXPECT_NE(error.find("more than 500 scans"), std::string::npos) << error;
    EXPECT_FALSE(decodeImageForScreen(bomb, 640, 1136, &error));
}

TEST(PngCodec, RoundTripIsExactForEveryPremultipliedValue)
{
    // Column = colour value, row = alpha: every valid premultiplied pair appears.
    auto image = Image::create(256, 256);
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t p = 0; p < 256; ++p) {
            uint32_t c = std::min(p, a);
            uint32_t other = (c * 7) % (a + 1);
            image->setPixel(int(p), int(a), a << 24 | c << 16 | other << 8 | (a - c));
        }
    std::string error;
    auto bytes = PngCodec::encode(*image, &error);
    ASSERT_TRUE(bytes) << error;
    auto decoded = PngCodec::decode(*bytes, 1, &error);
    ASSERT_TRUE(decoded) << error;
    ASSERT_EQ(decoded->pixelWidth(), 256);
    ASSERT_EQ(decoded->pixelHeight(), 256);
    EXPECT_FALSE(decoded->isOpaque());
    int mismatches = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            mismatches += decoded->pixel(x, y) != image->pixel(x, y);
    EXPECT_EQ(mismatches, 0);
}

TEST(PngCodec, OpaqueImagesRoundTripWithoutAlpha)
{
    auto photo = makePhoto(64, 48);
    auto bytes = PngCodec::encode(*photo);
    ASSERT_TRUE(bytes);
    auto decoded = PngCodec::decode(*bytes);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->isOpaque());
    EXPECT_EQ(std::memcmp(decoded->data(), photo->data(), size_t(photo->stride()) * 48), 0);

    auto half = PngCodec::decode(*bytes, 2);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->pixelWidth(), 32);
    EXPECT_EQ(half->pixelHeight(), 24);
}

TEST(PngCodec, CompressedTextIsSkippedUninflated)
{
    auto photo = makePhoto(16, 16);
    auto plain = *PngCodec::encode(*photo);
    // Text before the pixels (read with the header) and after them, one part inflating past
    // what libpng lets a chunk take.
    auto bombed = plain;
    std::vector<uint8_t> text;
    for (size_t size : {size_t(4) << 20, size_t(4) << 20, size_t(16) << 20}) {
        auto chunk = compressedText("zTXt", size);
        text.insert(text.end(), chunk.begin(), chunk.end());
    }
    auto international = compressedText("iTXt", size_t(4) << 20);
    text.insert(text.end(), international.begin(), international.end());
    const size_t afterHeader = 8 + 25, beforeEnd = bombed.size() - 12;
    bombed.insert(bombed.begin() + long(beforeEnd), text.begin(), text.end());
    bombed.insert(bombed.begin() + long(afterHeader), text.begin(), text.end());

    std::string error;
    inflatedBytes = 0;
    auto expected = PngCodec::decode(plain, 1, &error);
    ASSERT_TRUE(expected) << error;
    const uint64_t pixelsAlone = inflatedBytes;
    inflatedBytes = 0;
    auto decoded = PngCodec::decode(bombed, 1, &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(inflatedBytes, pixelsAlone);
    EXPECT_GT(pixelsAlone, 0u);
    EXPECT_EQ(std::memcmp(decoded->data(), expected->data(), size_t(expected->stride()) * 16), 0);
}

TEST(PngCodec, BadInputFailsWithAClearError)
{
    EXPECT_EQ(pngError({}), "PNG data is empty");
    EXPECT_EQ(pngError(kGarbage), "data is not a PNG image");
    auto bytes = PngCodec::encode(*makePhoto(64, 64));
    ASSERT_TRUE(bytes);
    EXPECT_FALSE(pngError(truncated(*bytes, bytes->size() / 2)).empty());
    EXPECT_FALSE(pngError(truncated(*bytes, 12)).empty());
    auto corrupt = *bytes;
    for (size_t i = 60; i < corrupt.size(); i += 7)
        corrupt[i] ^= 0x5A;
    EXPECT_FALSE(pngError(corrupt).empty());
}

namespace {

// The bytes with `extra` put in front of the first marker `marker`.
std::vector<uint8_t> insertedBefore(std::vector<uint8_t> bytes, uint8_t marker, std::vector<uint8_t> extra)
{
    for (size_t i = 2; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == marker) {
            bytes.insert(bytes.begin() + std::ptrdiff_t(i), extra.begin(), extra.end());
            break;
        }
    return bytes;
}

} // namespace

TEST(JpegCodec, AWarningAboutTheHeaderIsNoReasonToRefuse)
{
    auto photo = makePhoto(256, 192);
    auto bytes = JpegCodec::encode(*photo, 90);
    ASSERT_TRUE(bytes);
    // Two stray bytes before the scan, as some encoders leave them: TurboJPEG warns and decodes.
    auto stray = insertedBefore(*bytes, 0xDA, {0x12, 0x34});
    std::string error;
    for (int denominator : {1, 4}) {
        auto decoded = JpegCodec::decode(stray, denominator, &error);
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(decoded->pixelWidth(), 256 / denominator);
        EXPECT_GT(psnr(*JpegCodec::decode(*bytes, denominator), *decoded), 99.0);
    }
    auto size = JpegCodec::scaledSize(stray, 2, &error);
    ASSERT_TRUE(size) << error;
    EXPECT_EQ(size->first, 128);
    ASSERT_TRUE(decodeImageForScreen(stray, 64, 64, &error)) << error;
    // Warnings about the picture itself still fail it, with or without one about the header.
    EXPECT_NE(jpegError(truncated(stray, stray.size() / 2)).find("truncated"), std::string::npos);
    EXPECT_NE(jpegError(truncated(stray, stray.size() - 2)).find("truncated"), std::string::npos);
    // An EXIF thumbnail's own end marker before the scan does not make a cut-off file whole.
    std::vector<uint8_t> app1 = {0xFF, 0xE1, 0, 12, 'E', 'x', 'i', 'f', 0, 0, 0xFF, 0xDA, 0xFF, 0xD9};
    auto withThumbnail = insertedBefore(stray, 0xDB, app1);
    ASSERT_TRUE(JpegCodec::decode(withThumbnail, 1, &error)) << error;
    EXPECT_NE(
        jpegError(truncated(withThumbnail, withThumbnail.size() / 2)).find("truncated"), std::string::npos);
}

namespace {

int appendBytes(GifFileType* gif, const GifByteType* data, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}

void putGraphicsControl(GifFileType* gif, int delay, int disposal, int transparent)
{
    GraphicsControlBlock gcb {disposal, false, delay, transparent};
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&gcb, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension);
}

void putFrame(GifFileType* gif, int left, int top, int width, int height, int colorIndex)
{
    EGifPutImageDesc(gif, left, top, width, height, false, nullptr);
    std::vector<GifPixelType> row(static_cast<size_t>(width), static_cast<GifPixelType>(colorIndex));
    for (int y = 0; y < height; ++y)
        EGifPutLine(gif, row.data(), width);
}

// A 4x4 animation: red full frame, a 2x2 green patch (disposed back to transparent), then a
// blue row, with delays 10, 0 and 250 centiseconds and a loop count of 3.
std::vector<uint8_t> threeFrameGif(bool withFrames = true)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    EGifSetGifVersion(gif, true);
    GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifPutScreenDesc(gif, 4, 4, 2, 0, map);
    if (withFrames) {
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        const GifByteType loop[3] = {1, 3, 0};
        EGifPutExtensionBlock(gif, 3, loop);
        EGifPutExtensionTrailer(gif);
        putGraphicsControl(gif, 10, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR);
        putFrame(gif, 0, 0, 4, 4, 1);
        putGraphicsControl(gif, 0, DISPOSE_BACKGROUND, NO_TRANSPARENT_COLOR);
        putFrame(gif, 1, 1, 2, 2, 2);
        putGraphicsControl(gif, 250, DISPOSE_DO_NOT, 0);
        EGifPutImageDesc(gif, 0, 3, 4, 1, false, nullptr);
        GifPixelType row[4] = {3, 0, 3, 0}; // index 0 is transparent here
        EGifPutLine(gif, row, 4);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

} // namespace

TEST(GifDecoder, ReadsFramesWithRawDelaysAndDisposal)
{
    auto bytes = threeFrameGif();
    ASSERT_TRUE(GifDecoder::isGif(bytes));
    std::string error;
    auto animation = GifDecoder::decode(bytes, &error);
    ASSERT_TRUE(animation) << error;
    ASSERT_EQ(animation->frames.size(), 3u);
    EXPECT_EQ(animation->width, 4);
    EXPECT_EQ(animation->height, 4);
    EXPECT_EQ(animation->loopCount, 3);
    EXPECT_EQ(animation->frames[0].delayCentiseconds, 10);
    EXPECT_EQ(animation->frames[1].delayCentiseconds, 0); // not clamped
    EXPECT_EQ(animation->frames[2].delayCentiseconds, 250);

    const Image& first = *animation->frames[0].image;
    EXPECT_EQ(first.pixel(0, 0), kRed);
    EXPECT_EQ(first.pixel(3, 3), kRed);
    const Image& second = *animation->frames[1].image;
    EXPECT_EQ(second.pixel(0, 0), kRed);
    EXPECT_EQ(second.pixel(1, 1), kGreen);
    EXPECT_EQ(second.pixel(2, 2), kGreen);
    // The green patch was disposed to transparent; the third frame's transparent pixels let the
    // canvas show through.
    const Image& third = *animation->frames[2].image;
    EXPECT_EQ(third.pixel(1, 1), 0u);
    EXPECT_EQ(third.pixel(0, 0), kRed);
    EXPECT_EQ(third.pixel(0, 3), kBlue);
    EXPECT_EQ(third.pixel(1, 3), kRed);
    EXPECT_EQ(third.pixel(2, 3), kBlue);

    auto firstOnly = decodeImage(bytes);
    ASSERT_TRUE(firstOnly);
    EXPECT_EQ(firstOnly->pixel(2, 2), kRed);
}

TEST(GifDecoder, InterlacedFramesComeOutInRowOrder)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifPutScreenDesc(gif, 1, 8, 2, 0, map);
    EGifPutImageDesc(gif, 0, 0, 1, 8, true, nullptr);
    // Rows 0..7 get colours 1,2,3,1,2,3,1,2; an interlaced file stores rows 0,4,2,6,1,3,5,7.
    for (int row : {0, 4, 2, 6, 1, 3, 5, 7}) {
        GifPixelType pixel = GifPixelType(row % 3 + 1);
        EGifPutLine(gif, &pixel, 1);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);

    auto animation = GifDecoder::decode(out);
    ASSERT_TRUE(animation);
    const uint32_t expected[3] = {kRed, kGreen, kBlue};
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(animation->frames[0].image->pixel(0, row), expected[row % 3]) << row;
}

TEST(GifDecoder, BadInputFailsWithAClearError)
{
    EXPECT_EQ(gifError(threeFrameGif(false)), "GIF has no frames");
    EXPECT_EQ(gifError({}), "GIF data is empty");
    EXPECT_EQ(gifError(kGarbage), "data is not a GIF image");
    auto bytes = threeFrameGif();
    for (size_t keep : {size_t(6), size_t(13), bytes.size() / 2, bytes.size() - 2})
        EXPECT_FALSE(gifError(truncated(bytes, keep)).empty()) << keep;
    EXPECT_FALSE(gifError({'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}).empty());

    // A small screen whose one frame claims 9000 x 9000 pixels (after an extension to walk past)
    // is refused before anything is allocated for it.
    std::vector<uint8_t> forged = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0, 0x21, 0xF9, 4, 0, 0, 0,
        0, 0, 0x2C, 0, 0, 0, 0, 0x28, 0x23, 0x28, 0x23, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
    EXPECT_EQ(gifError(forged), "GIF frame of 81000000 pixels is too large to decode");
}

// A GIF with a screen of `width` x `height`, two colours (black, red), made by giflib's encoder
// with `write` putting its records.
std::vector<uint8_t> encodedGif(int width, int height, const std::function<void(GifFileType*)>& write)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    EGifSetGifVersion(gif, true);
    GifColorType colors[2] = {{0, 0, 0}, {255, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(2, colors);
    EGifPutScreenDesc(gif, width, height, 1, 0, map);
    write(gif);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

// The records of a GIF made by encodedGif: what follows its header and colour table, trailer left out.
std::vector<uint8_t> recordsOf(const std::vector<uint8_t>& gif)
{
    return {gif.begin() + 13 + 6, gif.end() - 1};
}

std::vector<uint8_t> joined(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A screen descriptor, a global colour table of two entries and `frames` frames of w x h that
// each hold one LZW clear-and-end code: a few bytes that claim as much as they like.
std::vector<uint8_t> claimingGif(int screenWidth, int screenHeight, int frames, int w, int h)
{
    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', uint8_t(screenWidth), uint8_t(screenWidth >> 8),
        uint8_t(screenHeight), uint8_t(screenHeight >> 8), 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
    for (int i = 0; i < frames; ++i) {
        std::vector<uint8_t> frame = {0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h),
            uint8_t(h >> 8), 0, 2, 2, 0x4C, 0x01, 0};
        b.insert(b.end(), frame.begin(), frame.end());
    }
    b.push_back(0x3B);
    return b;
}

TEST(GifDecoder, RefusesClaimsBeyondTheMemoryBudgetBeforeAllocating)
{
    // 8192 x 8192 in under 40 bytes: a 256 MB canvas.
    auto huge = claimingGif(8192, 8192, 1, 1, 1);
    EXPECT_LT(huge.size(), 112u);
    EXPECT_EQ(gifError(huge), "GIF canvas of 8192 x 8192 is too large to decode");
    std::string error;
    EXPECT_FALSE(decodeImage(huge, &error));
    EXPECT_EQ(error, "GIF canvas of 8192 x 8192 is too large to decode");

    // 2000 x 2000 is fine alone (16 MB) but not as 40 full-canvas frames (640 MB composed).
    auto frame
        = recordsOf(encodedGif(2000, 2000, [](GifFileType* gif) { putFrame(gif, 0, 0, 2000, 2000, 1); }));
    auto many = encodedGif(2000, 2000, [](GifFileType*) {});
    many.pop_back(); // the trailer
    for (int i = 0; i < 40; ++i)
        many.insert(many.end(), frame.begin(), frame.end());
    many.push_back(0x3B);
    // The canvas and a saved copy (32 MB), then 20 MB a frame (its copy and its raster): 11 fit.
    EXPECT_EQ(gifError(many), "GIF animation at 2000 x 2000 is too large to decode beyond 11 frames");
    // As a still image only the first frame is decoded, which fits.
    auto still = decodeImage(many, &error);
    ASSERT_TRUE(still) << error;
    EXPECT_EQ(still->pixelWidth(), 2000);
    EXPECT_EQ(still->pixel(1999, 1999), kRed);
}

TEST(GifDecoder, AnExtensionWhoseFirstSubBlockIsEmptyEndsThere)
{
    auto screen = encodedGif(2, 2, [](GifFileType*) {});
    std::vector<uint8_t> header(screen.begin(), screen.end() - 1);
    auto redFrame = recordsOf(encodedGif(2, 2, [](GifFileType* gif) { putFrame(gif, 0, 0, 2, 2, 1); }));
    auto blackPixel = recordsOf(encodedGif(2, 2, [](GifFileType* gif) { putFrame(gif, 1, 1, 1, 1, 0); }));
    const std::vector<uint8_t> emptyControl = {0x21, 0xF9, 0}, emptyComment = {0x21, 0xFE, 0},
                               trailer = {0x3B};

    std::string error;
    auto animation = GifDecoder::decode(
        joined({header, emptyControl, redFrame, emptyComment, blackPixel, trailer}), &error);
    ASSERT_TRUE(animation) << error;
    ASSERT_EQ(animation->frames.size(), 2u);
    EXPECT_FALSE(animation->frames[0].hasGraphicControl);
    EXPECT_EQ(animation->frames[0].image->pixel(1, 1), kRed);
    EXPECT_EQ(animation->frames[1].image->pixel(0, 0), kRed);
    EXPECT_EQ(animation->frames[1].image->pixel(1, 1), 0xFF000000u);
    auto still = decodeImage(joined({header, emptyControl, redFrame, trailer}), &error);
    ASSERT_TRUE(still) << error;
    EXPECT_EQ(still->pixel(0, 0), kRed);

    // A frame of no pixels draws nothing and is still a frame; an extension may end the file.
    const std::vector<uint8_t> nothing = {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0x2C, 0};
    animation = GifDecoder::decode(joined({header, redFrame, nothing, emptyComment, trailer}), &error);
    ASSERT_TRUE(animation) << error;
    EXPECT_EQ(animation->frames.size(), 2u);
    EXPECT_EQ(animation->frames[1].image->pixel(0, 0), kRed);
    // A stray byte between records is a broken file, not something to skip.
    EXPECT_NE(
        gifError(joined({header, redFrame, {0}, blackPixel, trailer})).find("corrupt"), std::string::npos);
}

TEST(GifDecoder, FramesHiddenBehindAnEmptyExtensionMeetTheBudget)
{
    // A 100 x 100 screen, an empty graphic control and a stray end of block, then sixteen frames
    // of 4096 x 4096 (256 MB of rasters) with real picture data. A walk that takes the extension
    // to end at its first empty sub-block sees no frames here; a reader that takes one more
    // sub-block finds all sixteen.
    auto header = encodedGif(100, 100, [](GifFileType*) {});
    header.pop_back();
    auto big
        = recordsOf(encodedGif(4096, 4096, [](GifFileType* gif) { putFrame(gif, 0, 0, 4096, 4096, 1); }));
    std::vector<uint8_t> hostile = joined({header, {0x21, 0xF9, 0, 0}});
    for (int i = 0; i < 16; ++i)
        hostile.insert(hostile.end(), big.begin(), big.end());
    hostile.push_back(0x3B);
    std::string error;
    EXPECT_FALSE(GifDecoder::decode(hostile, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(decodeImage(hostile, &error));

    // The few hundred bytes that claim one 65535 x 32768 frame the same way.
    std::vector<uint8_t> claim = joined({header, {0x21, 0xF9, 0, 0}});
    for (int i = 0; i < 8; ++i)
        claim.insert(claim.end(), {0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0x80, 0, 2, 2, 0x4C, 0x01, 0});
    claim.push_back(0x3B);
    EXPECT_LT(claim.size(), 300u);
    EXPECT_FALSE(GifDecoder::decode(claim, &error));
    EXPECT_FALSE(decodeImage(claim, &error));

    // Written properly, the first of those frames is an ordinary picture.
    auto first = decodeImage(joined({header, big, {0x3B}}), &error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->pixel(99, 99), kRed);
}

TEST(GifDecoder, StillImageIsTheFirstFrameAndKeepsItsTransparency)
{
    auto bytes = threeFrameGif();
    auto still = decodeImage(bytes);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->pixel(1, 1), kRed);
    EXPECT_EQ(still->pixel(3, 3), kRed);
    // Truncating after the first frame's data still gives the first frame.
    std::string error;
    EXPECT_FALSE(decodeImage(truncated(bytes, 20), &error));
    EXPECT_FALSE(error.empty());
}

TEST(ImageDecoding, SniffsTheFormat)
{
    auto photo = makePhoto(16, 16);
    auto jpeg = JpegCodec::encode(*photo, 90);
    auto png = PngCodec::encode(*photo);
    ASSERT_TRUE(jpeg && png);
    EXPECT_EQ(decodeImage(*jpeg)->pixelWidth(), 16);
    EXPECT_EQ(decodeImage(*png)->pixel(3, 3), photo->pixel(3, 3));
    std::string error;
    EXPECT_FALSE(decodeImage(kGarbage, &error));
    EXPECT_EQ(error, "image data is not JPEG, PNG or GIF");
    EXPECT_FALSE(decodeImage({}, &error));
    EXPECT_EQ(error, "image data is empty");
}

TEST(ImageDecoding, ScreenDecodeTakesTheSmallestScaleThatStillCoversTheScreen)
{
    struct Case {
        int width, height, screenWidth, screenHeight, denominator;
    };
    const Case cases[] = {
        {4032, 3024, 640, 1136, 4}, // 1008 x 756 covers 853 x 640 in landscape
        {3024, 4032, 640, 1136, 4},
        {4032, 3024, 1536, 2048, 1}, // a tablet: half size (2016) falls short of 2048
        {1600, 1200, 640, 1136, 1}, // half size (800) falls short of 853 in landscape
        {640, 480, 640, 1136, 1}, // never upscaled, never scaled down below the screen
        {12000, 9000, 640, 1136, 8},
        {0, 0, 640, 1136, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(screenScaleDenominator(c.width, c.height, c.screenWidth, c.screenHeight), c.denominator)
            << c.width << "x" << c.height << " on " << c.screenWidth << "x" << c.screenHeight;

    auto photo = makePhoto(64, 48);
    auto jpeg = JpegCodec::encode(*photo, 90);
    ASSERT_TRUE(jpeg);
    auto forScreen = decodeImageForScreen(*jpeg, 16, 16);
    ASSERT_TRUE(forScreen);
    EXPECT_EQ(forScreen->pixelWidth(), 16); // 1/4 still covers 16 x 12 (and 16 x 12 turned)
    auto png = PngCodec::encode(*photo);
    EXPECT_EQ(decodeImageForScreen(*png, 16, 16)->pixelWidth(), 64);
}

using mivo::test::jpegClaiming;
using mivo::test::pngClaiming;

TEST(ImageDecoding, ABudgetRefusesForgedSizesBeforeDecoding)
{
    const DecodeBudget phone = DecodeBudget::forScreen(640, 1136);
    struct Case {
        std::vector<uint8_t> bytes;
        const char* error;
    } cases[] = {
        {jpegClaiming(11585, 11585),
            "JPEG image of 11585 x 11585 is too large to decode (at most 16777216 pixels)"},
        {jpegClaiming(4097, 4096),
            "JPEG image of 4097 x 4096 is too large to decode (at most 16777216 pixels)"},
        {pngClaiming(11585, 11585),
            "PNG image of 11585 x 11585 is too large to decode (at most 16777216 pixels)"},
        {claimingGif(4097, 4096, 1, 1, 1), "GIF canvas of 4097 x 4096 is too large to decode"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(decodeImage(c.bytes, phone, &error));
        EXPECT_EQ(error, c.error);
    }
    // The app's own files keep the larger limit (these hold no picture data, so they fail later).
    std::string error;
    EXPECT_FALSE(decodeImage(jpegClaiming(11585, 11585), &error));
    EXPECT_EQ(error.find("too large"), std::string::npos) << error;
    EXPECT_FALSE(decodeImage(pngClaiming(11585, 11585), &error));
    EXPECT_EQ(error.find("too large"), std::string::npos) << error;
}

TEST(ImageDecoding, ABudgetDecodesJpegsForTheScreenAndTheRestWhole)
{
    auto photo = makePhoto(1600, 1200);
    auto jpeg = JpegCodec::encode(*photo, 85);
    auto png = PngCodec::encode(*photo);
    ASSERT_TRUE(jpeg && png);
    std::string error;
    // Half size (800 x 600) still covers the fit on a 450 x 600 screen turned (600 x 450); a
    // quarter does not.
    auto forScreen = decodeImage(*jpeg, DecodeBudget::forScreen(450, 600), &error);
    ASSERT_TRUE(forScreen) << error;
    EXPECT_EQ(forScreen->pixelWidth(), 800);
    EXPECT_EQ(decodeImage(*jpeg, DecodeBudget::forScreen(0, 0), &error)->pixelWidth(), 1600);
    EXPECT_EQ(decodeImage(*png, DecodeBudget::forScreen(450, 600), &error)->pixelWidth(), 1600);
}

namespace {

TEST(ImageDecoding, OnlyARegularFileIsReadAndNothingWaitsForAFifo)
{
    mivo::test::TimeLimit limit(30);
    mivo::test::TempHome home;
    const std::filesystem::path& h = home.path();
    auto jpeg = JpegCodec::encode(*makePhoto(64, 48), 85);
    ASSERT_TRUE(jpeg);
    ASSERT_TRUE(foundation::writeFileAtomically(
        h / "photo.jpg", std::string_view(reinterpret_cast<const char*>(jpeg->data()), jpeg->size())));
    std::filesystem::create_directory(h / "folder.jpg");
    ASSERT_EQ(::mkfifo((h / "fifo.jpg").c_str(), 0600), 0);
    std::filesystem::create_symlink(h / "photo.jpg", h / "link.jpg");

    for (auto [name, why] : {std::pair {"folder.jpg", "it is a folder"}, {"fifo.jpg", "it is a FIFO"},
             {"link.jpg", "it is a symbolic link"}}) {
        SCOPED_TRACE(name);
        std::string error;
        EXPECT_FALSE(decodeImageFile(h / name, &error));
        EXPECT_EQ(error, "cannot open " + (h / name).string() + ": " + why);
        EXPECT_FALSE(JpegCodec::decodeFile(h / name, 4, &error));
        EXPECT_FALSE(PngCodec::decodeFile(h / name, 1, &error));
        EXPECT_FALSE(GifDecoder::decodeFile(h / name, &error));
    }
    std::string error;
    auto image = decodeImageFile(h / "photo.jpg", &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->pixelWidth(), 64);
    EXPECT_FALSE(readImageFile(h / "photo.jpg", &error, jpeg->size() - 1));
    EXPECT_NE(error.find("more than the " + std::to_string(jpeg->size() - 1) + " allowed"), std::string::npos)
        << error;
}

} // namespace
