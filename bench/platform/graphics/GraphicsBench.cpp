// Codec and drawing throughput on a 12-megapixel photo-like picture (4032 x 3024, a phone
// camera's size). Set MIVO_BENCH_PPM=<path> to also write the picture as a PPM, so that
// TurboJPEG's own tjbench can be run on the same pixels (see compare-tjbench.sh).

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

using namespace graphics;

namespace {

constexpr int kPhotoWidth = 4032;
constexpr int kPhotoHeight = 3024;
constexpr int kThumbnailDenominator = 8;

// A deterministic stand-in for a photo: a sky-to-ground gradient, soft blobs of colour, hard
// edges from a few shapes, and sensor-like grain, so JPEG meets smooth areas, edges and noise.
std::shared_ptr<Image> makePhoto()
{
    auto image = Image::create(kPhotoWidth, kPhotoHeight);
    {
        GraphicsContext context(*image);
        double w = kPhotoWidth, h = kPhotoHeight;
        for (int band = 0; band < 64; ++band) {
            double t = band / 63.0;
            context.fillRect({0, h * band / 64, w, h / 64 + 1},
                Color::rgba(0.35 + 0.4 * t, 0.55 + 0.2 * std::sin(t * 3), 0.9 - 0.6 * t));
        }
        uint32_t seed = 7;
        auto random = [&] {
            seed = seed * 1664525u + 1013904223u;
            return (seed >> 8) / double(1 << 24);
        };
        for (int i = 0; i < 60; ++i) {
            double size = 150 + random() * 900;
            context.setFillColor(Color::rgba(random(), random(), random(), 0.25 + 0.5 * random()));
            context.fillEllipse(
                {random() * w - size / 2, random() * h - size / 2, size, size * (0.5 + random())});
        }
        context.setStrokeColor(Color::rgba(0.1, 0.1, 0.12));
        context.setLineWidth(14);
        for (int i = 0; i < 25; ++i) {
            context.addRoundedRect(
                {random() * w, random() * h, 200 + random() * 800, 100 + random() * 500}, 40);
            context.strokePath();
        }
    }
    uint32_t seed = 99;
    for (int y = 0; y < kPhotoHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image->data() + size_t(y) * image->stride());
        for (int x = 0; x < kPhotoWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int grain = int((seed >> 27) & 15) - 8;
            uint32_t p = row[x], out = 0xFF000000u;
            for (int shift : {0, 8, 16}) {
                int c = std::clamp(int((p >> shift) & 0xFF) + grain, 0, 255);
                out |= uint32_t(c) << shift;
            }
            row[x] = out;
        }
    }
    image->setOpaque(true);
    return image;
}

const Image& photo()
{
    static auto image = makePhoto();
    return *image;
}

const std::vector<uint8_t>& photoJpeg()
{
    static auto bytes = *JpegCodec::encode(photo(), 90);
    return bytes;
}

void writePpm(const Image& image, const char* path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.pixelWidth() << ' ' << image.pixelHeight() << "\n255\n";
    std::vector<char> row(size_t(image.pixelWidth()) * 3);
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            uint32_t p = image.pixel(x, y);
            row[x * 3] = char((p >> 16) & 0xFF);
            row[x * 3 + 1] = char((p >> 8) & 0xFF);
            row[x * 3 + 2] = char(p & 0xFF);
        }
        out.write(row.data(), std::streamsize(row.size()));
    }
}

void BM_JpegEncodeQuality90(benchmark::State& state)
{
    const Image& image = photo();
    size_t bytes = 0;
    for (auto _ : state) {
        auto jpeg = JpegCodec::encode(image, 90);
        bytes = jpeg->size();
        benchmark::DoNotOptimize(jpeg);
    }
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["MPixels/s"] = benchmark::Counter(
        double(kPhotoWidth) * kPhotoHeight / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_JpegDecodeFull(benchmark::State& state)
{
    const auto& bytes = photoJpeg();
    for (auto _ : state)
        benchmark::DoNotOptimize(JpegCodec::decode(bytes, 1));
}

// The thumbnail path: the DCT does the scaling, so most of the work is never done.
void BM_JpegDecodeThumbnailDct(benchmark::State& state)
{
    const auto& bytes = photoJpeg();
    for (auto _ : state)
        benchmark::DoNotOptimize(JpegCodec::decode(bytes, kThumbnailDenominator));
}

// What the thumbnail path replaces: a full decode, then a good-quality downscale to the same size.
void BM_JpegDecodeFullThenDownscale(benchmark::State& state)
{
    const auto& bytes = photoJpeg();
    int w = (kPhotoWidth + 7) / 8, h = (kPhotoHeight + 7) / 8;
    for (auto _ : state) {
        auto full = JpegCodec::decode(bytes, 1);
        auto thumbnail = Image::create(w, h);
        GraphicsContext context(*thumbnail);
        context.drawImage(*full, {0, 0, double(w), double(h)});
        context.flush();
        benchmark::DoNotOptimize(thumbnail->data());
    }
}

void BM_PngEncodePhoto(benchmark::State& state)
{
    const Image& image = photo();
    size_t bytes = 0;
    for (auto _ : state) {
        auto png = PngCodec::encode(image);
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_PngDecodePhoto(benchmark::State& state)
{
    static auto bytes = *PngCodec::encode(photo());
    for (auto _ : state)
        benchmark::DoNotOptimize(PngCodec::decode(bytes));
}

} // namespace

BENCHMARK(BM_JpegEncodeQuality90)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegDecodeFull)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegDecodeThumbnailDct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegDecodeFullThenDownscale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngEncodePhoto)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngDecodePhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (const char* path = std::getenv("MIVO_BENCH_PPM")) {
        writePpm(photo(), path);
        std::fprintf(stderr, "wrote %s\n", path);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
