// Filling a grid's 19 image views with server thumbnails (160 x 120 JPEGs over loopback HTTP),
// beside the plain way to get the same pixels: libcurl fetching them one after another on one
// keep-alive connection and decoding each on the spot. Ours: from the network (download, decode on
// workers, keep in both caches), from the disk cache, and from the memory cache.

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/ui/ImageView.h"
#include "platform/webimage/ImageCache.h"
#include "platform/webimage/ImageViewWebCache.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kCells = 19;
constexpr int kWidth = 160;
constexpr int kHeight = 120;

// cpp-httplib listens with a backlog of 5: a grid's connections past it lose their SYN and retry
// a second later.
class Server : public httplib::Server {
public:
    void raiseBacklog(int backlog) { ::listen(svr_sock_, backlog); }
};

// The thumbnails and a loopback server for them, made once.
struct Fixture {
    Server server;
    std::thread thread;
    std::vector<std::string> jpegs;
    std::vector<std::string> urls;
    std::filesystem::path home;

    Fixture()
    {
        home = std::filesystem::temp_directory_path() / ("mivo-webimage-bench-" + std::to_string(::getpid()));
        foundation::Paths::setHome(home);
        for (int i = 0; i < kCells; ++i) {
            auto image = graphics::Image::create(kWidth, kHeight);
            uint32_t noise = 977u * uint32_t(i + 1);
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    noise = noise * 1664525u + 1013904223u;
                    uint32_t grain = noise >> 29;
                    image->setPixel(x, y,
                        0xff000000u | ((x * 255 / kWidth + grain) & 0xff) << 16
                            | ((y * 255 / kHeight + uint32_t(i) * 13) & 0xff) << 8 | ((x ^ y) & 0xff));
                }
            }
            auto bytes = graphics::JpegCodec::encode(*image, 80);
            jpegs.emplace_back(bytes->begin(), bytes->end());
        }
        server.Get(
            R"(/thumb/(\d+)\.jpg)", [this](const httplib::Request& request, httplib::Response& response) {
                const std::string& body = jpegs[std::stoul(request.matches[1])];
                response.set_content(body.data(), body.size(), "image/jpeg");
            });
        server.set_tcp_nodelay(true);
        // As mivo-server: enough threads that no request waits behind an idle keep-alive one.
        server.new_task_queue = [] { return new httplib::ThreadPool(32); };
        int port = server.bind_to_any_port("127.0.0.1");
        server.raiseBacklog(128);
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (int i = 0; i < kCells; ++i)
            urls.push_back(
                "http://127.0.0.1:" + std::to_string(port) + "/thumb/" + std::to_string(i) + ".jpg");
    }
    ~Fixture()
    {
        server.stop();
        thread.join();
        std::filesystem::remove_all(home);
    }
};

Fixture& fixture()
{
    static Fixture made;
    return made;
}

bool samePixels(const graphics::Image& a, const graphics::Image& b)
{
    if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight())
        return false;
    for (int y = 0; y < a.pixelHeight(); ++y) {
        if (std::memcmp(a.data() + size_t(y) * size_t(a.stride()), b.data() + size_t(y) * size_t(b.stride()),
                size_t(a.pixelWidth()) * 4)
            != 0)
            return false;
    }
    return true;
}

// The plain way: one easy handle, one connection, fetch and decode each in turn.
std::vector<std::shared_ptr<graphics::Image>> fetchAndDecode(CURL* easy)
{
    std::vector<std::shared_ptr<graphics::Image>> images;
    for (const auto& url : fixture().urls) {
        std::string body;
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(
            easy, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* user) {
                static_cast<std::string*>(user)->append(data, size * count);
                return size * count;
            });
        if (curl_easy_perform(easy) != CURLE_OK)
            return {};
        images.push_back(
            graphics::decodeImage(std::span(reinterpret_cast<const uint8_t*>(body.data()), body.size())));
    }
    return images;
}

// Ours: each URL into its own image view; done when every view shows its image.
std::vector<std::shared_ptr<graphics::Image>> loadGrid(std::vector<std::shared_ptr<ui::ImageView>>& views)
{
    int done = 0;
    for (int i = 0; i < kCells; ++i) {
        webimage::setImageWithURL(*views[i], fixture().urls[i], nullptr,
            [&done](std::shared_ptr<graphics::Image>, std::string, std::string) { ++done; });
    }
    foundation::RunLoop::main().runUntil([&] { return done == kCells; }, 30);
    std::vector<std::shared_ptr<graphics::Image>> images;
    for (auto& view : views)
        images.push_back(view->image());
    return images;
}

std::vector<std::shared_ptr<ui::ImageView>> makeViews()
{
    std::vector<std::shared_ptr<ui::ImageView>> views;
    for (int i = 0; i < kCells; ++i)
        views.push_back(ui::ImageView::create(graphics::Rect {0, 0, 75, 75}));
    return views;
}

void checkEqual(benchmark::State& state, const std::vector<std::shared_ptr<graphics::Image>>& images)
{
    CURL* easy = curl_easy_init();
    auto expected = fetchAndDecode(easy);
    curl_easy_cleanup(easy);
    if (images.size() != expected.size())
        return state.SkipWithError("a load failed");
    for (size_t i = 0; i < images.size(); ++i) {
        if (!images[i] || !expected[i] || !samePixels(*images[i], *expected[i]))
            return state.SkipWithError("ours and the yardstick differ");
    }
}

void clearCaches()
{
    auto& cache = webimage::ImageCache::sharedImageCache();
    cache.waitForDiskWrites();
    bool cleared = false;
    cache.clearDisk([&] { cleared = true; });
    foundation::RunLoop::main().runUntil([&] { return cleared; }, 30);
    cache.clearMemory();
}

void BM_GridFromNetwork_Ours(benchmark::State& state)
{
    auto views = makeViews();
    std::vector<std::shared_ptr<graphics::Image>> images;
    for (auto _ : state) {
        state.PauseTiming();
        clearCaches();
        state.ResumeTiming();
        images = loadGrid(views);
    }
    checkEqual(state, images);
}
BENCHMARK(BM_GridFromNetwork_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridFromNetwork_CurlAndDecode(benchmark::State& state)
{
    CURL* easy = curl_easy_init();
    for (auto _ : state)
        benchmark::DoNotOptimize(fetchAndDecode(easy));
    curl_easy_cleanup(easy);
}
BENCHMARK(BM_GridFromNetwork_CurlAndDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridFromDisk_Ours(benchmark::State& state)
{
    auto views = makeViews();
    clearCaches();
    loadGrid(views);
    webimage::ImageCache::sharedImageCache().waitForDiskWrites();
    std::vector<std::shared_ptr<graphics::Image>> images;
    for (auto _ : state) {
        state.PauseTiming();
        webimage::ImageCache::sharedImageCache().clearMemory();
        state.ResumeTiming();
        images = loadGrid(views);
    }
    checkEqual(state, images);
}
BENCHMARK(BM_GridFromDisk_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridFromDisk_ReadAndDecode(benchmark::State& state)
{
    auto& cache = webimage::ImageCache::sharedImageCache();
    if (!cache.diskImageExists(fixture().urls.back()))
        return state.SkipWithError("run with BM_GridFromDisk_Ours first: it fills the disk cache");
    for (auto _ : state) {
        for (const auto& url : fixture().urls)
            benchmark::DoNotOptimize(graphics::decodeImageFile(cache.cachePathForKey(url)));
    }
}
BENCHMARK(BM_GridFromDisk_ReadAndDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridFromMemory_Ours(benchmark::State& state)
{
    auto views = makeViews();
    std::vector<std::shared_ptr<graphics::Image>> images = loadGrid(views);
    for (auto _ : state)
        images = loadGrid(views);
    checkEqual(state, images);
}
BENCHMARK(BM_GridFromMemory_Ours)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
