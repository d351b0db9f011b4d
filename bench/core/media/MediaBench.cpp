// Saving a 12-megapixel photo with its thumbnail (JPEG encode, DCT-scaled decode, area scaling,
// thumbnail encode, both files written), beside the least that TurboJPEG itself needs for it:
// one encode of the same pixels plus one 1/8-scale decode of the result, straight on the tj* API.
// And the launch's sweep of leftover media over a store of 3,000 tasks.

#include "core/media/MediaCleanup.h"
#include "core/media/MediaSaver.h"
#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 4032;
constexpr int kHeight = 3024;
constexpr int kQuality = media::MediaSaver::kPhotoQuality;

// A camera-like picture: smooth light with detail and sensor noise, so the encoder works as hard
// as on a real photo (a flat picture would flatter both sides).
const graphics::Image& photo()
{
    static std::shared_ptr<graphics::Image> image = [] {
        auto made = graphics::Image::create(kWidth, kHeight);
        uint32_t noise = 12345;
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(made->data() + size_t(y) * size_t(made->stride()));
            for (int x = 0; x < kWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                int grain = int(noise >> 28) - 8;
                int checker = ((x / 48 + y / 48) % 2) * 40;
                auto clamp = [](int v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
                uint32_t r = clamp(x * 200 / kWidth + checker + grain);
                uint32_t g = clamp(y * 200 / kHeight + grain);
                uint32_t b = clamp(((x ^ y) & 0xFF) / 2 + 60 + grain);
                row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        }
        made->setOpaque(true);
        return made;
    }();
    return *image;
}

fs::path benchFolder()
{
    static fs::path folder = [] {
        fs::path made = fs::temp_directory_path() / ("mivo-media-bench-" + std::to_string(::getpid()));
        fs::create_directories(made);
        return made;
    }();
    return folder;
}

void BM_MediaSaverPhotoWithThumbnail(benchmark::State& state)
{
    const auto& image = photo();
    int64_t stamp = 1733500000000000;
    size_t bytes = 0;
    for (auto _ : state) {
        auto prepared = media::MediaSaver::preparePhoto(image, benchFolder());
        auto saved = prepared ? media::MediaSaver::store(*prepared, benchFolder(), stamp) : std::nullopt;
        if (!saved) {
            state.SkipWithError("saving failed");
            break;
        }
        bytes = fs::file_size(saved->resourceFilePath);
        state.PauseTiming();
        fs::remove(saved->resourceFilePath);
        fs::remove(saved->screenshotPath);
        state.ResumeTiming();
    }
    state.counters["jpegBytes"] = double(bytes);
}

void BM_TurboJpegEncodeAndEighthDecode(benchmark::State& state)
{
    const auto& image = photo();
    tjhandle compressor = tjInitCompress();
    tjhandle decompressor = tjInitDecompress();
    std::vector<uint8_t> thumbnail(size_t(kWidth / 8 + 1) * size_t(kHeight / 8 + 1) * 4);
    for (auto _ : state) {
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        if (tjCompress2(compressor, image.data(), kWidth, image.stride(), kHeight, TJPF_BGRA, &jpeg, &size,
                TJSAMP_420, kQuality, 0)
            != 0) {
            state.SkipWithError("tjCompress2 failed");
            break;
        }
        int width = TJSCALED(kWidth, (tjscalingfactor {1, 8}));
        int height = TJSCALED(kHeight, (tjscalingfactor {1, 8}));
        if (tjDecompress2(decompressor, jpeg, size, thumbnail.data(), width, width * 4, height, TJPF_BGRA, 0)
            != 0) {
            state.SkipWithError("tjDecompress2 failed");
            tjFree(jpeg);
            break;
        }
        benchmark::DoNotOptimize(thumbnail.data());
        tjFree(jpeg);
    }
    tjDestroy(decompressor);
    tjDestroy(compressor);
}

// The same as a durable save does it by hand: the photo and a thumbnail encoded from the 1/8 decode
// are written and flushed to the disk, then their folder, as the saver does before it stores a record.
bool writeDurably(const fs::path& path, const unsigned char* bytes, unsigned long size)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, bytes, size) == ssize_t(size) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

void BM_TurboJpegSaveDurablyByHand(benchmark::State& state)
{
    const auto& image = photo();
    tjhandle compressor = tjInitCompress();
    tjhandle decompressor = tjInitDecompress();
    const int width = TJSCALED(kWidth, (tjscalingfactor {1, 8}));
    const int height = TJSCALED(kHeight, (tjscalingfactor {1, 8}));
    std::vector<uint8_t> thumbnail(size_t(width) * size_t(height) * 4);
    const fs::path photoPath = benchFolder() / "by-hand.jpg", thumbnailPath = benchFolder() / "_by-hand.jpg";
    for (auto _ : state) {
        unsigned char* jpeg = nullptr;
        unsigned char* small = nullptr;
        unsigned long size = 0, smallSize = 0;
        bool ok = tjCompress2(compressor, image.data(), kWidth, image.stride(), kHeight, TJPF_BGRA, &jpeg,
                      &size, TJSAMP_420, kQuality, 0)
                == 0
            && tjDecompress2(
                   decompressor, jpeg, size, thumbnail.data(), width, width * 4, height, TJPF_BGRA, 0)
                == 0
            && tjCompress2(compressor, thumbnail.data(), width, width * 4, height, TJPF_BGRA, &small,
                   &smallSize, TJSAMP_420, 80, 0)
                == 0
            && writeDurably(photoPath, jpeg, size) && writeDurably(thumbnailPath, small, smallSize);
        int folder = ::open(benchFolder().c_str(), O_RDONLY | O_DIRECTORY);
        ok = ok && folder >= 0 && ::fsync(folder) == 0;
        if (folder >= 0)
            ::close(folder);
        tjFree(jpeg);
        tjFree(small);
        if (!ok) {
            state.SkipWithError("saving by hand failed");
            break;
        }
    }
    tjDestroy(decompressor);
    tjDestroy(compressor);
}

void BM_MediaSaverSampleVideo(benchmark::State& state)
{
    const fs::path movie = MIVO_SOURCE_DIR "/Resources/camera/sample-video.mp4";
    for (auto _ : state) {
        auto prepared = media::MediaSaver::prepareVideo(movie, benchFolder());
        auto saved
            = prepared ? media::MediaSaver::store(*prepared, benchFolder(), 1733500000000000) : std::nullopt;
        if (!saved) {
            state.SkipWithError("saving failed");
            break;
        }
        state.PauseTiming();
        fs::remove(saved->resourceFilePath);
        fs::remove(saved->screenshotPath);
        state.ResumeTiming();
    }
}

// The sweep at launch with 3,000 tasks of 19 media records stored (57,000 records) and the files
// of 300 of them on disk, plus a shot whose record never came, planted again before each sweep.
void BM_MediaCleanupSweepAtLaunch(benchmark::State& state)
{
    constexpr int kTasks = 3000, kShots = 19, kTasksOnDisk = 300;
    fs::path home = benchFolder() / "sweep-home";
    foundation::Paths::setHome(home);
    auto store = IMivoDataBaseManager::sharedManager();
    fs::path picture = foundation::Paths::documents() / "user7" / "picture";
    fs::create_directories(picture);
    int64_t stamp = 1733500000000000;
    for (int task = 0; task < kTasks; ++task) {
        std::vector<foundation::Map> records;
        for (int shot = 1; shot <= kShots; ++shot, ++stamp) {
            std::string name = foundation::format("%lld.jpg", static_cast<long long>(stamp));
            records.push_back(foundation::Map {{"applyNO", foundation::format("A%d", task)},
                {"taskPosition", std::to_string(shot)}, {"resourceType", "image"}, {"taskStatus", "PENDING"},
                {"resourceName", name}, {"screenshotName", "_" + name},
                {"resourceFilePath", (picture / name).string()},
                {"screenshotPath", (picture / ("_" + name)).string()}});
            if (task < kTasksOnDisk) {
                std::ofstream(picture / name) << 'x';
                std::ofstream(picture / ("_" + name)) << 'x';
            }
        }
        if (!store->insertMivoUploadTasks(records)) {
            state.SkipWithError("cannot fill the store");
            return;
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(picture / "1633500000000000.jpg") << 'x';
        std::ofstream(picture / "_1633500000000000.jpg") << 'x';
        state.ResumeTiming();
        auto removed = media::MediaCleanup::sweep(
            foundation::Paths::documents(), foundation::Paths::temporary(), *store);
        if (removed != 2u) {
            state.SkipWithError("the sweep did not remove the orphan pair");
            break;
        }
    }
    store.reset();
    BaseDatabaseManager::resetSharedManagersForTesting();
    foundation::Paths::setHome({});
}

} // namespace

BENCHMARK(BM_MediaSaverPhotoWithThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TurboJpegEncodeAndEighthDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TurboJpegSaveDurablyByHand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MediaSaverSampleVideo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MediaCleanupSweepAtLaunch)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(benchFolder(), ignored);
    return 0;
}
