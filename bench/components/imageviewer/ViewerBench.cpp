// Presenting the image viewer for a 12-megapixel photo, up to the first frame on screen: the
// photo decoded for the screen, the viewer made, the screen behind photographed, the viewer
// presented and the screen drawn. The yardstick is TurboJPEG alone decoding the same photo at
// the same scale. The first frame should cost at most 1.5 times the decode.

#include "components/imageviewer/ImageViewerController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr int kPhotoWidth = 4032, kPhotoHeight = 3024;

// A photo-like 12 MP JPEG: smooth gradients with fine detail, quality 90.
const std::vector<uint8_t>& photoJpeg()
{
    static const std::vector<uint8_t> bytes = [] {
        auto image = graphics::Image::createUninitialized(kPhotoWidth, kPhotoHeight);
        for (int y = 0; y < kPhotoHeight; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image->data() + size_t(y) * image->stride());
            for (int x = 0; x < kPhotoWidth; ++x) {
                uint32_t r = (x * 255 / kPhotoWidth) ^ ((y >> 3) & 15);
                uint32_t g = (y * 255 / kPhotoHeight);
                uint32_t b = uint32_t(128 + 100 * std::sin((x + y) * 0.01)) & 255;
                row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        }
        image->setOpaque(true);
        return *graphics::JpegCodec::encode(*image, 90);
    }();
    return bytes;
}

int screenPixelWidth()
{
    return int(ui::Screen::mainScreen().bounds().width() * ui::Screen::mainScreen().scale());
}
int screenPixelHeight()
{
    return int(ui::Screen::mainScreen().bounds().height() * ui::Screen::mainScreen().scale());
}

// A grid-like screen in a window, as the viewer's callers have.
struct Scene {
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ViewController> screen;
    std::shared_ptr<ui::View> grid;
    std::shared_ptr<graphics::Image> target;

    Scene()
    {
        foundation::RunLoop::main().setClock(std::make_shared<foundation::ManualClock>(0.0));
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
        screen = ui::ViewController::create();
        window->setRootViewController(screen);
        screen->view()->setBackgroundColor(graphics::Color::white());
        grid = ui::View::create({0, 64, 320, 504});
        screen->view()->addSubview(grid);
        for (int i = 0; i < 12; ++i) {
            auto cell
                = ui::ImageView::create(graphics::Rect {8.0 + (i % 3) * 104, 8.0 + (i / 3) * 124, 96, 96});
            cell->setBackgroundColor(graphics::Color::rgba(0.2 + i * 0.05, 0.4, 0.7));
            grid->addSubview(cell);
            auto caption = ui::Label::create({8.0 + (i % 3) * 104, 106.0 + (i / 3) * 124, 96, 20});
            caption->setText("左前45度");
            grid->addSubview(caption);
        }
        target = graphics::Image::create(
            screenPixelWidth(), screenPixelHeight(), ui::Screen::mainScreen().scale());
    }

    // Opens the viewer and draws the screen once its presentation has begun.
    std::shared_ptr<ImageViewerController> present(std::shared_ptr<graphics::Image> photo)
    {
        auto info = ImageViewerInfo::create();
        info->image = std::move(photo);
        info->referenceRect = grid->frame();
        info->referenceView = screen->view();
        auto viewer = ImageViewerController::create(
            info, ImageViewerController::Image, ImageViewerController::Scaled);
        viewer->showFromViewController(screen, ImageViewerController::FromOriginalPosition);
        render::Renderer().renderScreen(*target);
        return viewer;
    }

    void close(const std::shared_ptr<ImageViewerController>&)
    {
        screen->dismissViewController(false);
        foundation::RunLoop::main().runFor(0.5);
    }
};

void presentViewer(benchmark::State& state)
{
    Scene scene;
    const auto& jpeg = photoJpeg();
    for (auto _ : state) {
        auto photo = graphics::decodeImageForScreen(jpeg, screenPixelWidth(), screenPixelHeight());
        auto viewer = scene.present(std::move(photo));
        benchmark::DoNotOptimize(scene.target->data());
        state.PauseTiming();
        scene.close(viewer);
        state.ResumeTiming();
    }
}

void turboJpegAlone(benchmark::State& state)
{
    const auto& jpeg = photoJpeg();
    int denominator = graphics::screenScaleDenominator(
        kPhotoWidth, kPhotoHeight, screenPixelWidth(), screenPixelHeight());
    tjhandle handle = tjInitDecompress();
    tjscalingfactor factor {1, denominator};
    int width = TJSCALED(kPhotoWidth, factor), height = TJSCALED(kPhotoHeight, factor);
    for (auto _ : state) {
        // A fresh bitmap each time, as the viewer's photo is.
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t(width) * height * 4]);
        tjDecompress2(handle, jpeg.data(), jpeg.size(), pixels.get(), width, width * 4, height, TJPF_BGRA, 0);
        benchmark::DoNotOptimize(pixels.get());
    }
    tjDestroy(handle);
    state.counters["denominator"] = denominator;
}

// The viewer shows exactly the pixels TurboJPEG decodes.
bool outputsEqual()
{
    const auto& jpeg = photoJpeg();
    auto ours = graphics::decodeImageForScreen(jpeg, screenPixelWidth(), screenPixelHeight());
    Scene scene;
    auto viewer = scene.present(ours);
    if (viewer->imageView()->image() != ours)
        return false;
    int denominator = graphics::screenScaleDenominator(
        kPhotoWidth, kPhotoHeight, screenPixelWidth(), screenPixelHeight());
    tjscalingfactor factor {1, denominator};
    int width = TJSCALED(kPhotoWidth, factor), height = TJSCALED(kPhotoHeight, factor);
    if (ours->pixelWidth() != width || ours->pixelHeight() != height)
        return false;
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    tjhandle handle = tjInitDecompress();
    tjDecompress2(handle, jpeg.data(), jpeg.size(), pixels.data(), width, width * 4, height, TJPF_BGRA, 0);
    tjDestroy(handle);
    for (int y = 0; y < height; ++y)
        if (std::memcmp(ours->data() + size_t(y) * ours->stride(), pixels.data() + size_t(y) * width * 4,
                size_t(width) * 4)
            != 0)
            return false;
    scene.close(viewer);
    return true;
}

class RecordingReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.run_name.function_name]
                    = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    ui::Screen::mainScreen().usePhoneProfile();
    if (!outputsEqual()) {
        std::fprintf(stderr, "the viewer's photo differs from TurboJPEG's decode\n");
        return 1;
    }
    benchmark::RegisterBenchmark("PresentViewer/12MP", presentViewer)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TurboJpegScreenDecode/12MP", turboJpegAlone)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    double ours = reporter.times["PresentViewer/12MP"],
           yardstick = reporter.times["TurboJpegScreenDecode/12MP"];
    if (ours > 0 && yardstick > 0)
        std::printf("\nfirst frame of the viewer %.2f ms, TurboJPEG decode alone %.2f ms: ratio %.2f (target "
                    "<= 1.5)\n",
            ours, yardstick, ours / yardstick);
    return 0;
}
