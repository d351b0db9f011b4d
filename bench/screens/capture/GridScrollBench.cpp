// Scrolling a shot grid of 18 photos and the video (brand Ombry's list), every photo taken: each
// frame moves the content 6 points (down to the end, then back up), lays the grid out (cells that
// come into sight are dequeued and filled, their thumbnails read from disk as the grid does) and
// renders the screen at 640 x 1136. Beside it, in the same run, the renderer benchmark's busy
// frame; the grid's frame should take at most 1.3 times as long.
//
//   bench_grid_scroll [benchmark options]

#include "bench/platform/render/BusyScreen.h"
#include "core/media/Thumbnailer.h"
#include "core/net/UserInfo.h"
#include "core/store/BaseDatabaseManager.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/PngCodec.h"
#include "platform/render/Renderer.h"
#include "platform/ui/CollectionView.h"
#include "screens/capture/PendingCollectionViewController.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

namespace {

namespace fs = std::filesystem;

// A home with one Ombry task whose every shot has a thumbnail file.
struct GridHome {
    fs::path path;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<PendingCollectionViewController> grid;

    GridHome()
    {
        std::string pattern = (fs::temp_directory_path() / "mivo-bench-XXXXXX").string();
        path = mkdtemp(pattern.data());
        foundation::Paths::setHome(path);
        foundation::UserDefaults::standard().reload();
        foundation::UserDefaults::standard().set(LocalDocumentManager::kCurrentUserKey, "user1003");
        BaseDatabaseManager::resetSharedManagersForTesting();
        auto user = UserInfo::sharedInstance();
        user->setCompanyName("Ombry");
        NewTaskFields fields {"B100", "上海浦东仓", "平安保险", "86000", "常规产品", "方案"};
        TaskRecordUtil::storeNewTask(fields, "Ombry", "ombry", 1003, foundation::Date::now());

        auto photo
            = graphics::readImageFile(fs::path(MIVO_SOURCE_DIR) / "Resources/camera/sample-photo-1.jpg");
        auto thumbnail = media::Thumbnailer::fromJpeg(*photo);
        auto store = IMivoDataBaseManager::sharedManager();
        auto records = store->listMivoUploadTasks(data::Predicate::withFormat("applyNO=%@", "B100"));
        int number = 0;
        for (const auto& record : *records) {
            bool video = record->resourceType() == "video";
            auto folder = LocalDocumentManager::userFolder(
                video ? LocalDocumentManager::kVideoFolder : LocalDocumentManager::kPictureFolder);
            std::string name = "_" + std::to_string(++number) + ".jpg";
            std::ofstream(*folder / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(thumbnail->data()), std::streamsize(thumbnail->size()));
            store->updateMivoUploadTask(
                record, foundation::Map {{"taskStatus", "PENDING"}, {"screenshotName", name}});
        }

        ui::Application::shared().resetForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
        grid = PendingCollectionViewController::create();
        grid->setApplyTaskNO("B100");
        grid->setApplyTaskPhotoType("方案");
        window->setRootViewController(grid);
        ui::Application::shared().layoutWindows();
    }

    ~GridHome()
    {
        grid.reset();
        window.reset();
        ui::Application::shared().resetForTesting();
        BaseDatabaseManager::resetSharedManagersForTesting();
        std::error_code ignored;
        fs::remove_all(path, ignored);
        foundation::Paths::setHome({});
    }
};

void BM_GridScrollFrame(benchmark::State& state)
{
    ui::Screen::mainScreen().setScale(busy::kScale);
    GridHome home;
    auto& view = *home.grid->collectionView();
    render::Renderer renderer(busy::kScale);
    auto frame = graphics::Image::create(640, 1136, busy::kScale);
    double maximum = view.maximumContentOffset().y;
    double y = 0, step = 6;
    for (auto _ : state) {
        y += step;
        if (y >= maximum || y <= 0) {
            step = -step;
            y = std::clamp(y, 0.0, maximum);
        }
        view.setContentOffset({0, y});
        ui::Application::shared().layoutWindows();
        renderer.renderScreen(*frame);
        benchmark::DoNotOptimize(frame->data());
    }
    // The last frame, to look at: MIVO_BENCH_SNAPSHOT=FILE.png.
    if (const char* snapshot = std::getenv("MIVO_BENCH_SNAPSHOT")) {
        if (auto png = graphics::PngCodec::encode(*frame))
            std::ofstream(snapshot, std::ios::binary)
                .write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->size()));
    }
    state.counters["cells"] = double(view.numberOfItemsInSection(0) + view.numberOfItemsInSection(1));
    state.counters["cellViews"] = double(view.viewsMadeForReuseIdentifier("Cell"));
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GridScrollFrame)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_RendererBusyScreen(benchmark::State& state)
{
    ui::Screen::mainScreen().setScale(busy::kScale);
    busy::Screen screen;
    render::Renderer renderer(busy::kScale);
    auto frame = graphics::Image::create(640, 1136, busy::kScale);
    for (auto _ : state) {
        renderer.renderScreen(*frame);
        benchmark::DoNotOptimize(frame->data());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RendererBusyScreen)->Unit(benchmark::kMillisecond)->MinTime(1.0);

class Recorder final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();
    double grid = 0, busyFrame = 0;
    for (auto& [name, ms] : recorder.milliseconds) {
        if (name.find("GridScroll") != std::string::npos)
            grid = ms;
        else if (name.find("Busy") != std::string::npos)
            busyFrame = ms;
    }
    if (grid > 0 && busyFrame > 0)
        std::cout << foundation::format("\ngrid scroll %.2f ms/frame (%.0f fps), busy frame %.2f ms/frame, "
                                        "ratio %.2fx (target at most 1.3x)\n",
            grid, 1000 / grid, busyFrame, grid / busyFrame);
    return 0;
}
