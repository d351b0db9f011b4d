// Playing the 640 x 480 sample movie with subtitles (decoding ahead on the player's worker, each
// frame drawn with its cue into a 640 x 480 picture on the main thread) beside libav decoding the
// same frames alone with the same decoder settings. Both report the time for the whole movie (60
// frames) and check that they went through the same frames. A third run plays a 30 frames a second
// movie in real time and counts the frames it dropped.
//
//   bench_movie [benchmark options]

#include "components/subtitles/Subtitles.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Label.h"
#include "platform/ui/MoviePlayerController.h"
#include "platform/ui/MoviePlayerView.h"
#include "platform/ui/Screen.h"

#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string kSample = std::string(MIVO_SOURCE_DIR) + "/Resources/camera/sample-video.mp4";
const std::string kSubtitles = std::string(MIVO_SOURCE_DIR) + "/Resources/example.srt";
constexpr double kScale = 2;

// The frame times libav alone decodes from a movie (the yardstick's work), in milliseconds.
std::vector<long> libavDecode(const std::string& path)
{
    std::vector<long> times;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return times;
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, format->streams[stream]->codecpar);
    decoder->thread_count = 1; // as the player's decoder
    avcodec_open2(decoder, codec, nullptr);
    const AVRational base = format->streams[stream]->time_base;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto receive = [&] {
        while (avcodec_receive_frame(decoder, frame) == 0) {
            times.push_back(std::lround(double(frame->best_effort_timestamp) * av_q2d(base) * 1000));
            benchmark::DoNotOptimize(frame->data[0][0]);
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream && avcodec_send_packet(decoder, packet) == 0)
            receive();
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    receive();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return times;
}

struct Playback {
    std::vector<long> times; // of the frames shown, in milliseconds
    int dropped = 0;
    bool cueShown = false;
};

// Plays the movie with subtitles on the run loop's clock, drawing the player's picture every
// `step` seconds (a manual clock) or at every turn of the loop (a real one).
Playback play(const std::string& path, double step)
{
    Playback result;
    auto player = ui::MoviePlayerController::initWithContentURL(path);
    player->setControlStyle(ui::MovieControlStyle::None);
    auto view = player->view();
    view->setFrame({0, 0, 320, 240});
    Subtitles::openSRTFileAtPath(
        player, kSubtitles, [](bool) {}, nullptr);
    render::Renderer renderer(kScale);
    auto picture = graphics::Image::create(640, 480, kScale);
    bool finished = false;
    auto token = std::make_shared<int>(0);
    foundation::NotificationCenter::defaultCenter().addObserver(token,
        ui::MoviePlayerController::kPlaybackDidFinishNotification,
        [&finished](const foundation::Notification&) { finished = true; });
    player->play();
    auto& loop = foundation::RunLoop::main();
    double shown = -1;
    bool first = true;
    while (!finished) {
        if (step > 0)
            loop.runFor(first ? 0 : step);
        else
            loop.runOnce();
        first = false;
        if (player->shownFrameTime() != shown) {
            shown = player->shownFrameTime();
            result.times.push_back(std::lround(shown * 1000));
            view->layoutIfNeeded();
            graphics::GraphicsContext context(*picture);
            renderer.drawView(context, *view);
            benchmark::DoNotOptimize(picture->data());
            result.cueShown |= !Subtitles::subtitleLabel(*player)->text().empty();
        }
        if (step <= 0)
            loop.waitForNextEvent(foundation::RunLoop::kFrameInterval);
    }
    result.dropped = player->droppedFrames();
    return result;
}

void BM_LibavDecodeSample(benchmark::State& state)
{
    size_t frames = 0;
    for (auto _ : state)
        frames = libavDecode(kSample).size();
    state.counters["frames"] = double(frames);
    state.counters["ms_per_frame"] = benchmark::Counter(double(frames) * double(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LibavDecodeSample)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_PlaySampleWithSubtitles(benchmark::State& state)
{
    setenv("MIVO_NO_AUDIO", "1", 1);
    ui::Screen::mainScreen().setScale(kScale);
    auto& loop = foundation::RunLoop::main();
    const std::vector<long> expected = libavDecode(kSample);
    Playback playback;
    for (auto _ : state) {
        loop.reset();
        loop.setClock(std::make_shared<foundation::ManualClock>(0.0));
        playback = play(kSample, 1.0 / 25);
    }
    loop.reset();
    if (playback.times != expected || !playback.cueShown) {
        state.SkipWithError("the player did not show the frames libav decodes, or no cue");
    }
    state.counters["frames"] = double(playback.times.size());
    state.counters["dropped"] = playback.dropped;
    state.counters["ms_per_frame"]
        = benchmark::Counter(double(playback.times.size()) * double(state.iterations()),
            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlaySampleWithSubtitles)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// A 640 x 480 movie at 30 frames a second, made with ffmpeg's test source and mpeg4 encoder.
std::string thirtyFramesMovie()
{
    static const std::string path = [] {
        auto file = std::filesystem::temp_directory_path()
            / ("mivo-bench-30fps-" + std::to_string(getpid()) + ".mp4");
        std::string command
            = "ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=640x480:rate=30:duration=4"
              " -c:v mpeg4 -q:v 6 -g 30 -pix_fmt yuv420p "
            + file.string();
        if (std::system(command.c_str()) != 0)
            return std::string();
        static const std::string made = file.string();
        std::atexit([] { std::filesystem::remove(made); });
        return made;
    }();
    return path;
}

void BM_PlayThirtyFramesASecondInRealTime(benchmark::State& state)
{
    setenv("MIVO_NO_AUDIO", "1", 1);
    ui::Screen::mainScreen().setScale(kScale);
    const std::string movie = thirtyFramesMovie();
    if (movie.empty()) {
        state.SkipWithError("ffmpeg could not make the 30 frames a second movie");
        return;
    }
    auto& loop = foundation::RunLoop::main();
    const std::vector<long> expected = libavDecode(movie);
    Playback playback;
    for (auto _ : state) {
        loop.reset();
        playback = play(movie, 0);
    }
    loop.reset();
    state.counters["frames"] = double(playback.times.size());
    state.counters["expected"] = double(expected.size());
    state.counters["dropped"] = playback.dropped;
    if (expected.empty() || playback.dropped != 0 || playback.times != expected)
        state.SkipWithError("frames were dropped at 30 frames a second");
}
BENCHMARK(BM_PlayThirtyFramesASecondInRealTime)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
