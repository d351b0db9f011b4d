// JPEGs as real devices and real failures produce them: CMYK and YCCK files, and decodes that
// keep working after a refused one.
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <thread>
#include <turbojpeg.h>

using namespace graphics;

namespace {

struct Ink {
    uint8_t c, m, y, k; // stored inverted, as Adobe writes them: 255 is no ink
};

// A four-band CMYK picture written with libjpeg itself, so the colour space is plain CMYK.
std::vector<uint8_t> cmykJpeg(const std::vector<Ink>& bands, int bandWidth, int height)
{
    jpeg_compress_struct cinfo {};
    jpeg_error_mgr jerr {};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(bandWidth * bands.size());
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_CMYK);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(cinfo.image_width * 4);
    for (size_t x = 0; x < cinfo.image_width; ++x) {
        Ink ink = bands[x / bandWidth];
        row[x * 4] = ink.c, row[x * 4 + 1] = ink.m, row[x * 4 + 2] = ink.y, row[x * 4 + 3] = ink.k;
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    free(out);
    return bytes;
}

// TurboJPEG turns CMYK pixels into a YCCK file.
std::vector<uint8_t> ycckJpeg(const std::vector<Ink>& bands, int bandWidth, int height)
{
    int width = bandWidth * int(bands.size());
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Ink ink = bands[x / bandWidth];
            uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
            p[0] = ink.c, p[1] = ink.m, p[2] = ink.y, p[3] = ink.k;
        }
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(
        tjCompress2(handle, pixels.data(), width, 0, height, TJPF_CMYK, &out, &size, TJSAMP_444, 100, 0), 0);
    std::vector<uint8_t> bytes(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return bytes;
}

int colorspaceOf(const std::vector<uint8_t>& bytes)
{
    tjhandle handle = tjInitDecompress();
    int w = 0, h = 0, sub = 0, cs = -1;
    tjDecompressHeader3(handle, bytes.data(), bytes.size(), &w, &h, &sub, &cs);
    tjDestroy(handle);
    return cs;
}

std::vector<uint8_t> rgbJpeg(int width, int height)
{
    auto image = Image::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->setPixel(x, y, 0xFF000000u | uint32_t(x * 255 / width) << 16 | 0x8040);
    image->setOpaque(true);
    return *JpegCodec::encode(*image, 90);
}

void expectNear(uint32_t pixel, uint32_t expected, int tolerance, const std::string& what)
{
    for (int shift : {0, 8, 16, 24})
        EXPECT_NEAR(int((pixel >> shift) & 0xFF), int((expected >> shift) & 0xFF), tolerance)
            << what << std::hex << " got " << pixel << " want " << expected;
}

} // namespace

TEST(JpegCodec, CmykAndYcckFilesDecodeToRgb)
{
    // White, black (full K), pure cyan, pure magenta plus yellow (red), in inverted ink values.
    const std::vector<Ink> bands
        = {{255, 255, 255, 255}, {255, 255, 255, 0}, {0, 255, 255, 255}, {255, 0, 0, 255}};
    const std::vector<uint32_t> rgb = {0xFFFFFFFF, 0xFF000000, 0xFF00FFFF, 0xFFFF0000};
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int colorspace;
    };
    for (const Case& c : {Case {"CMYK", cmykJpeg(bands, 16, 16), TJCS_CMYK},
             Case {"YCCK", ycckJpeg(bands, 16, 16), TJCS_YCCK}}) {
        ASSERT_EQ(colorspaceOf(c.bytes), c.colorspace) << c.name;
        std::string error;
        auto image = JpegCodec::decode(c.bytes, 1, &error);
        ASSERT_TRUE(image) << c.name << ": " << error;
        EXPECT_EQ(image->pixelWidth(), 64);
        EXPECT_TRUE(image->isOpaque());
        for (size_t band = 0; band < bands.size(); ++band)
            expectNear(image->pixel(int(band) * 16 + 8, 8), rgb[band], 3,
                std::string(c.name) + " band " + std::to_string(band));
        // Thumbnails of such files come through the same path.
        auto small = JpegCodec::decode(c.bytes, 8, &error);
        ASSERT_TRUE(small) << error;
        EXPECT_EQ(small->pixelWidth(), 8);
        expectNear(small->pixel(5, 1), rgb[2], 4, std::string(c.name) + " at 1/8");
    }
}

TEST(JpegCodec, ARefusedFileDoesNotStopLaterDecodesOnTheThread)
{
    const auto good = rgbJpeg(64, 48);
    auto forged = good; // a header claiming 65535 x 65535, beyond what the decoder accepts
    for (size_t i = 2; i + 9 < forged.size(); ++i)
        if (forged[i] == 0xFF && forged[i + 1] == 0xC0) {
            std::fill(forged.begin() + long(i) + 5, forged.begin() + long(i) + 9, 0xFF);
            break;
        }
    size_t scan = 0;
    for (size_t i = 2; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xDA) {
            scan = i;
            break;
        }
    ASSERT_GT(scan, 0u);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int scale;
    };
    const std::vector<Case> refused = {
        {"65535 x 65535 header", forged, 1},
        {"cut before its scan", {good.begin(), good.begin() + long(scan)}, 1},
        {"cut before its scan, thumbnail", {good.begin(), good.begin() + long(scan)}, 8},
        {"cut inside its scan", {good.begin(), good.begin() + long(good.size() * 2 / 3)}, 1},
        {"signature then garbage", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 2}, 1},
    };
    auto decodesOnThisThread = [&] {
        for (const Case& c : refused) {
            std::string error;
            EXPECT_FALSE(JpegCodec::decode(c.bytes, c.scale, &error)) << c.name;
            EXPECT_FALSE(error.empty()) << c.name;
            for (int scale : {1, 8}) {
                auto image = JpegCodec::decode(good, scale, &error);
                EXPECT_TRUE(image) << "after " << c.name << ": " << error;
                auto size = JpegCodec::scaledSize(good, scale);
                EXPECT_TRUE(size) << "after " << c.name;
            }
        }
    };
    decodesOnThisThread();
    std::thread worker(decodesOnThisThread); // a save queue's thread has its own decoder
    worker.join();
}
