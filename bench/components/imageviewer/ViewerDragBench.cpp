// Dragging the image viewer's photo with the dynamics running: each frame the finger moves on a
// circle, the run loop advances 1/60 s (the animator takes its two fixed steps, the attachment pulls
// the photo round and turns it) and the screen is drawn at 640 x 1136. Beside it, in the same run,
// the renderer benchmark's busy frame; a drag frame should take at most 1.3 times as long.
//
//   bench_imageviewer_drag [benchmark options]

#include "bench/platform/render/BusyScreen.h"
#include "components/imageviewer/ImageViewerController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PngCodec.h"
#include "platform/render/Renderer.h"
#include "platform/ui/AttachmentBehavior.h"
#include "platform/ui/ImageView.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace {

constexpr graphics::Point kGrab {160, 284};
constexpr double kCircle = 60;

// A photo decoded for the screen, as the shot grids hand it over: 640 x 480 pixels at scale 2,
// bands of colour and a few discs.
std::shared_ptr<graphics::Image> photo()
{
    auto image = graphics::Image::create(640, 480, busy::kScale);
    graphics::GraphicsContext context(*image);
    for (int band = 0; band < 24; ++band)
        context.fillRect(
            {0, band * 10.0, 320, 10}, graphics::Color::rgba(0.2 + band / 40.0, 0.5 - band / 60.0, 0.7, 1));
    context.setFillColor(graphics::Color::rgba(0.95, 0.75, 0.2));
    for (int disc = 0; disc < 6; ++disc)
        context.fillEllipse({20.0 + disc * 48, 80, 40, 40});
    context.flush();
    return image;
}

// The viewer open over the busy screen (the app's road: the scaled backdrop), the photo held by a
// finger.
struct DragScene {
    busy::Screen screen;
    std::shared_ptr<ui::ViewController> behind = ui::ViewController::create();
    std::shared_ptr<ImageViewerController> viewer;
    std::shared_ptr<ui::Touch> finger;
    double angle = 0;

    DragScene()
    {
        foundation::RunLoop::main().setClock(std::make_shared<foundation::ManualClock>(0.0));
        // The busy screen becomes the screen behind the viewer, which covers it.
        auto busyViews = screen.window->subviews();
        screen.window->setRootViewController(behind);
        behind->view()->setBackgroundColor(graphics::Color::white());
        for (const auto& view : busyViews)
            behind->view()->addSubview(view);
        auto info = ImageViewerInfo::create();
        info->image = photo();
        info->referenceRect = {20, 100, 280, 200};
        info->referenceView = behind->view();
        viewer = ImageViewerController::create(
            info, ImageViewerController::Image, ImageViewerController::Scaled);
        viewer->showFromViewController(behind, ImageViewerController::FromOriginalPosition);
        foundation::RunLoop::main().runFor(0.5);
        auto& app = ui::Application::shared();
        finger = app.touchDown(kGrab);
        // Past the pan's hysteresis, onto the circle.
        for (int i = 1; i <= 6; ++i) {
            foundation::RunLoop::main().runFor(1.0 / 60);
            app.touchMoved(finger, {kGrab.x + kCircle * i / 6, kGrab.y});
        }
        foundation::RunLoop::main().runFor(0.5); // the photo settles under the finger
    }

    graphics::Point fingerAt() const
    {
        return {kGrab.x + kCircle * std::cos(angle), kGrab.y + kCircle * std::sin(angle)};
    }
    // One frame of the drag: the finger moves 3 degrees round, the dynamics run 1/60 s.
    void frame()
    {
        angle += M_PI / 60;
        ui::Application::shared().touchMoved(finger, fingerAt());
        foundation::RunLoop::main().runFor(1.0 / 60);
        ui::Application::shared().layoutWindows();
    }
    // The point grabbed hangs within a couple of points of the finger, on screen.
    bool photoFollowsTheFinger() const
    {
        auto attachment = viewer->attachmentBehavior();
        if (!viewer->flags().isDraggingImage || !attachment)
            return false;
        auto scroll = viewer->scrollView();
        graphics::Offset offset = attachment->offsetFromCenter();
        graphics::Rect bounds = viewer->imageView()->bounds();
        graphics::Point local {bounds.midX() + offset.horizontal, bounds.midY() + offset.vertical};
        graphics::Point grabbed = viewer->imageView()->convertPointToView(local, nullptr);
        graphics::Point finger = fingerAt();
        return std::hypot(grabbed.x - finger.x, grabbed.y - finger.y) < 3;
    }
};

// One drag for the whole run (the finger never lifts), made before the busy screen's.
DragScene& dragScene()
{
    static DragScene* scene = [] {
        ui::Screen::mainScreen().setScale(busy::kScale);
        return new DragScene;
    }();
    return *scene;
}

void dragFrame(benchmark::State& state)
{
    DragScene& scene = dragScene();
    render::Renderer renderer(busy::kScale);
    auto target = graphics::Image::create(640, 1136, busy::kScale);
    for (auto _ : state) {
        scene.frame();
        renderer.renderScreen(*target);
        benchmark::DoNotOptimize(target->data());
    }
    if (!scene.photoFollowsTheFinger())
        state.SkipWithError("the photo does not hang from the finger");
    // The last frame, to look at: MIVO_BENCH_SNAPSHOT=FILE.png.
    if (const char* snapshot = std::getenv("MIVO_BENCH_SNAPSHOT"))
        if (auto png = graphics::PngCodec::encode(*target))
            std::ofstream(snapshot, std::ios::binary)
                .write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->size()));
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void busyFrame(benchmark::State& state)
{
    ui::Screen::mainScreen().setScale(busy::kScale);
    busy::Screen screen;
    render::Renderer renderer(busy::kScale);
    auto target = graphics::Image::create(640, 1136, busy::kScale);
    for (auto _ : state) {
        renderer.renderScreen(*target);
        benchmark::DoNotOptimize(target->data());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

class Recorder final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                milliseconds[run.run_name.function_name]
                    = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    ui::Screen::mainScreen().usePhoneProfile();
    // The drag itself is right before it is timed.
    for (int i = 0; i < 120; ++i)
        dragScene().frame();
    if (!dragScene().photoFollowsTheFinger()) {
        std::fprintf(stderr, "the photo does not hang from the finger\n");
        return 1;
    }
    benchmark::RegisterBenchmark("ViewerDragFrame", dragFrame)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("RendererBusyScreen", busyFrame)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();
    double drag = recorder.milliseconds["ViewerDragFrame"],
           busy = recorder.milliseconds["RendererBusyScreen"];
    if (drag > 0 && busy > 0)
        std::printf(
            "\nviewer drag %.2f ms/frame (%.0f fps), busy frame %.2f ms/frame, ratio %.2fx (target at "
            "most 1.3x)\n",
            drag, 1000 / drag, busy, drag / busy);
    return 0;
}
