// The backdrop blur against OpenCV's box filter and against the memory floor (three plain copies
// of the buffer), single-threaded, on screen-sized snapshots. After the runs a table gives each
// size and radius with the ratio of our time to OpenCV's.

#include "components/alert/ImageEffects.h"
#include "platform/graphics/BoxBlur.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/graphics/SaturationMatrix.h"
#include "platform/render/Renderer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>

#if MIVO_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

using graphics::BoxBlur;
using graphics::PixelBuffer;
using graphics::SaturationMatrix;

namespace {

constexpr double kScale = 2.0;

struct Snapshot {
    std::shared_ptr<graphics::Image> a;
    std::shared_ptr<graphics::Image> b;
};

// Something like a screen: bars, cards and text-sized noise on a light background.
Snapshot makeSnapshot(int width, int height)
{
    auto image = graphics::Image::create(width, height, kScale);
    image->fill(0xFFF2F2F2);
    std::mt19937 rng(42);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((rng() & 7) == 0)
                image->setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
    {
        graphics::GraphicsContext context(*image);
        const double w = width / kScale, h = height / kScale;
        context.fillRect({0, 0, w, 64}, graphics::Color::rgba(0.1, 0.3, 0.7));
        for (int i = 0; i < 6; ++i)
            context.fillRect(
                {16, 80 + i * (h - 100) / 6, w - 32, (h - 100) / 7}, graphics::Color::rgba(1, 1, 1));
    }
    image->setOpaque(true); // a screen snapshot
    return {image, graphics::Image::create(width, height, kScale)};
}

const std::pair<int, int> kSizes[] = {{640, 1136}, {1280, 2272}};
const int kRadii[] = {5, 30};

std::string sizeName(int w, int h)
{
    return std::to_string(w) + "x" + std::to_string(h);
}

void blurOurs(benchmark::State& state, int w, int h, int radius, BoxBlur::Implementation impl)
{
    auto snapshot = makeSnapshot(w, h);
    const uint32_t box = BoxBlur::boxSize(radius, kScale);
    const PixelBuffer a = PixelBuffer::of(*snapshot.a), b = PixelBuffer::of(*snapshot.b);
    for (auto _ : state) {
        BoxBlur::convolveThreeTimes(a, b, box, impl);
        benchmark::DoNotOptimize(snapshot.b->data());
        benchmark::ClobberMemory();
    }
    state.counters["box"] = box;
    state.SetBytesProcessed(int64_t(state.iterations()) * 3 * snapshot.a->stride() * h);
}

void threeCopies(benchmark::State& state, int w, int h)
{
    auto snapshot = makeSnapshot(w, h);
    const size_t bytes = size_t(snapshot.a->stride()) * h;
    for (auto _ : state) {
        std::memcpy(snapshot.b->data(), snapshot.a->data(), bytes);
        std::memcpy(snapshot.a->data(), snapshot.b->data(), bytes);
        std::memcpy(snapshot.b->data(), snapshot.a->data(), bytes);
        benchmark::DoNotOptimize(snapshot.b->data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 3 * int64_t(bytes));
}

#if MIVO_HAVE_OPENCV
void blurOpenCv(benchmark::State& state, int w, int h, int radius)
{
    auto snapshot = makeSnapshot(w, h);
    const int box = static_cast<int>(BoxBlur::boxSize(radius, kScale));
    cv::Mat a(h, w, CV_8UC4, snapshot.a->data(), snapshot.a->stride());
    cv::Mat b(h, w, CV_8UC4, snapshot.b->data(), snapshot.b->stride());
    for (auto _ : state) {
        cv::blur(a, b, cv::Size(box, box), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        cv::blur(b, a, cv::Size(box, box), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        cv::blur(a, b, cv::Size(box, box), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        benchmark::DoNotOptimize(snapshot.b->data());
        benchmark::ClobberMemory();
    }
    state.counters["box"] = box;
}
#endif

// The whole backdrop effect as the alert runs it: copy, blur, saturation 1.8, draw, tint.
void backdropEffect(benchmark::State& state, int w, int h)
{
    auto snapshot = makeSnapshot(w, h);
    for (auto _ : state) {
        auto out = ImageEffects::applyBlurWithRadius(*snapshot.a, 5, graphics::Color::white(0.2, 0.7), 1.8);
        benchmark::DoNotOptimize(out.get());
    }
}

void saturationOnly(benchmark::State& state, int w, int h)
{
    auto snapshot = makeSnapshot(w, h);
    const auto matrix = SaturationMatrix::make(1.8);
    for (auto _ : state) {
        SaturationMatrix::apply(PixelBuffer::of(*snapshot.a), PixelBuffer::of(*snapshot.b), matrix);
        benchmark::DoNotOptimize(snapshot.b->data());
        benchmark::ClobberMemory();
    }
}

// A screen to snapshot: the noisy picture above under an image view, with labels over it.
std::shared_ptr<ui::View> makeScreen(int w, int h)
{
    auto root = ui::View::create({0, 0, w / kScale, h / kScale});
    root->setBackgroundColor(graphics::Color::white());
    auto picture = ui::ImageView::create(root->bounds());
    picture->setImage(makeSnapshot(w, h).a);
    root->addSubview(picture);
    for (int i = 0; i < 12; ++i) {
        auto label = ui::Label::create({16, 80.0 + i * 40, w / kScale - 32, 30});
        label->setText("待上传任务 " + std::to_string(i + 1));
        root->addSubview(label);
    }
    return root;
}

const graphics::Color kTint = graphics::Color::white(0.2, 0.7);

// The whole backdrop the alert makes: snapshot, blur 5, saturation 1.8, tint.
void backdropOurs(benchmark::State& state, int w, int h)
{
    auto screen = makeScreen(w, h);
    std::shared_ptr<graphics::Image> out;
    for (auto _ : state) {
        auto picture = ImageEffects::convertViewToImage(*screen);
        out = ImageEffects::applyBlurWithRadius(*picture, 5, kTint, 1.8);
        benchmark::DoNotOptimize(out.get());
    }
    state.counters["box"] = BoxBlur::boxSize(5, kScale);
}

#if MIVO_HAVE_OPENCV
// The same steps as a careful OpenCV program takes them: the same renderer draws the snapshot
// into a buffer kept between frames, then three box filters, the colour matrix as a transform,
// and the tint as a scale and an offset.
struct OpenCvBackdrop {
    std::shared_ptr<graphics::Image> snapshot;
    cv::Mat a, b, out, matrix;

    OpenCvBackdrop(int w, int h)
        : snapshot(graphics::Image::create(w, h, kScale))
        , a(h, w, CV_8UC4, snapshot->data(), snapshot->stride())
        , b(h, w, CV_8UC4)
        , matrix(4, 4, CV_32F)
    {
        const auto m = SaturationMatrix::make(1.8);
        for (int output = 0; output < 4; ++output)
            for (int input = 0; input < 4; ++input)
                matrix.at<float>(output, input) = float(m[input * 4 + output]) / SaturationMatrix::kDivisor;
    }
    void run(ui::View& screen)
    {
        snapshot->fill(0xFF000000);
        render::Renderer(kScale).renderView(screen, *snapshot);
        const int box = int(BoxBlur::boxSize(5, kScale));
        cv::blur(a, b, cv::Size(box, box), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        cv::blur(b, a, cv::Size(box, box), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        cv::blur(a, b, cv::Size(box, box), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        cv::transform(b, a, matrix);
        // Source-over of the premultiplied tint: out = in * (1 - alpha) + tint * alpha.
        const double alpha = kTint.a, grey = kTint.r * 255 * alpha;
        a.convertTo(out, -1, 1 - alpha, 0);
        cv::add(out, cv::Scalar(grey, grey, grey, 255 * alpha), out);
    }
};

void backdropOpenCv(benchmark::State& state, int w, int h)
{
    auto screen = makeScreen(w, h);
    OpenCvBackdrop backdrop(w, h);
    for (auto _ : state) {
        backdrop.run(*screen);
        benchmark::DoNotOptimize(backdrop.out.data);
    }
    // Both sides must make the same picture: every channel within a few steps of rounding.
    auto picture = ImageEffects::convertViewToImage(*screen);
    auto ours = ImageEffects::applyBlurWithRadius(*picture, 5, kTint, 1.8);
    int worst = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = ours->data() + size_t(y) * ours->stride();
        const uint8_t* q = backdrop.out.ptr<uint8_t>(y);
        for (int x = 0; x < w * 4; ++x)
            worst = std::max(worst, std::abs(int(p[x]) - int(q[x])));
    }
    state.counters["max_diff"] = worst;
    if (worst > 4)
        state.SkipWithError("OpenCV's backdrop and ours differ");
}
#endif

// Keeps each run's mean real time (ms) by name for the closing table.
class RecordingReporter final : public benchmark::ConsoleReporter {
public:
    RecordingReporter()
        : ConsoleReporter(OO_Tabular)
    { }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const double seconds
                = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            times[run.run_name.function_name] = seconds * 1e3;
        }
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    graphics::setScreenScale(kScale);
#if MIVO_HAVE_OPENCV
    cv::setNumThreads(1);
#endif
    for (auto [w, h] : kSizes) {
        const std::string size = sizeName(w, h);
        for (int radius : kRadii) {
            const std::string suffix = size + "/r" + std::to_string(radius);
            benchmark::RegisterBenchmark(
                ("Blur/" + suffix).c_str(), blurOurs, w, h, radius, BoxBlur::Implementation::Best)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(
                ("BlurPortable/" + suffix).c_str(), blurOurs, w, h, radius, BoxBlur::Implementation::Portable)
                ->Unit(benchmark::kMillisecond);
#if MIVO_HAVE_OPENCV
            benchmark::RegisterBenchmark(("OpenCvBlur/" + suffix).c_str(), blurOpenCv, w, h, radius)
                ->Unit(benchmark::kMillisecond);
#endif
        }
        benchmark::RegisterBenchmark(("ThreeCopies/" + size).c_str(), threeCopies, w, h)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Saturation/" + size).c_str(), saturationOnly, w, h)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BackdropEffect/" + size).c_str(), backdropEffect, w, h)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Backdrop/" + size).c_str(), backdropOurs, w, h)
            ->Unit(benchmark::kMillisecond);
#if MIVO_HAVE_OPENCV
        benchmark::RegisterBenchmark(("OpenCvBackdrop/" + size).c_str(), backdropOpenCv, w, h)
            ->Unit(benchmark::kMillisecond);
#endif
    }

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nvector path: %s\n", BoxBlur::hasVectorPath() ? "AVX2" : "none (portable code)");
    std::printf("%-10s %6s %9s %11s %13s %9s %9s\n", "size", "radius", "ours ms", "portable ms",
        "three copies", "OpenCV ms", "ratio");
    for (auto [w, h] : kSizes) {
        const std::string size = sizeName(w, h);
        for (int radius : kRadii) {
            const std::string suffix = size + "/r" + std::to_string(radius);
            auto find = [&](const std::string& name) {
                auto it = reporter.times.find(name);
                return it == reporter.times.end() ? 0.0 : it->second;
            };
            const double ours = find("Blur/" + suffix);
            const double portable = find("BlurPortable/" + suffix);
            const double copies = find("ThreeCopies/" + size);
            const double opencv = find("OpenCvBlur/" + suffix);
            if (ours == 0)
                continue;
            std::printf("%-10s %6d %9.3f %11.3f %13.3f %9.3f %9s\n", size.c_str(), radius, ours, portable,
                copies, opencv, opencv > 0 ? std::to_string(ours / opencv).substr(0, 5).c_str() : "n/a");
        }
    }
    std::printf("\n%-10s %12s %12s %9s  (snapshot, blur 5, saturation 1.8, tint)\n", "size", "backdrop ms",
        "OpenCV ms", "ratio");
    for (auto [w, h] : kSizes) {
        const std::string size = sizeName(w, h);
        auto find = [&](const std::string& name) {
            auto it = reporter.times.find(name);
            return it == reporter.times.end() ? 0.0 : it->second;
        };
        const double ours = find("Backdrop/" + size), opencv = find("OpenCvBackdrop/" + size);
        if (ours > 0)
            std::printf("%-10s %12.3f %12.3f %9s\n", size.c_str(), ours, opencv,
                opencv > 0 ? std::to_string(ours / opencv).substr(0, 5).c_str() : "n/a");
    }
    return 0;
}
