#include "platform/media/MovieDecoder.h"

#include "platform/graphics/Image.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/LibavSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <pthread.h>
#include <vector>

namespace media {

namespace {

// Frame times are compared with a slack far below any frame interval, so the clock reaching a
// frame's time exactly finds that frame despite rounding.
constexpr double kTimeSlack = 1e-6;
// Decoded pictures waiting for conversion to the screen's pixel format.
constexpr size_t kConversionsAhead = 4;
// The worker keeps at most this much sound queued on the device ahead of what is heard.
constexpr double kAudioAhead = 1.0;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void initialiseNetwork()
{
    static std::once_flag once;
    std::call_once(once, [] { avformat_network_init(); });
}

} // namespace

struct MovieDecoder::Codec {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    SwsContext* scaler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* held = nullptr;
    int videoStream = -1;
    int audioStream = -1;
    AVRational videoTimeBase {1, 1};
    AVRational audioTimeBase {1, 1};
    int64_t startTime = 0;
    int64_t audioStartTime = 0;
    double frameInterval = 1.0 / 25;
    double lastTime = -1;
    std::vector<float> samples;
    std::vector<std::shared_ptr<graphics::Image>> pool;
    size_t poolLimit = 0;
    bool alphaChecked = false;
    bool alphaOpaque = false;
    // Pictures handed on for showing since the movie opened.
    uint64_t delivered = 0;
    // A frame held back while decoding towards a seek target.
    bool haveHeld = false;
    std::optional<double> seekTarget;

    // The interrupt callback reads these from inside blocking libav calls.
    std::atomic<bool> cancel {false};
    std::atomic<double> ioStart {0};
    double stallTimeout = 10;
    bool stalled = false;

    ~Codec()
    {
        sws_freeContext(scaler);
        av_frame_free(&held);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&audio);
        avcodec_free_context(&video);
        avformat_close_input(&format);
    }

    static int interrupt(void* opaque)
    {
        auto* self = static_cast<Codec*>(opaque);
        if (self->cancel.load())
            return 1;
        if (steadySeconds() - self->ioStart.load() > self->stallTimeout) {
            self->stalled = true;
            return 1;
        }
        return 0;
    }
    void beginIo() { ioStart.store(steadySeconds()); }
    std::string stalledText() const
    {
        char text[64];
        std::snprintf(text, sizeof(text), "the movie stalled: nothing came for %.1f s", stallTimeout);
        return text;
    }

    double videoTimeOf(const AVFrame* decoded)
    {
        int64_t stamp = decoded->best_effort_timestamp != AV_NOPTS_VALUE ? decoded->best_effort_timestamp
                                                                         : decoded->pts;
        double time = stamp != AV_NOPTS_VALUE ? double(stamp - startTime) * av_q2d(videoTimeBase)
                                              : lastTime + frameInterval;
        lastTime = time;
        return time;
    }

    std::shared_ptr<graphics::Image> convert(const AVFrame* decoded)
    {
        scaler = sws_getCachedContext(scaler, decoded->width, decoded->height, AVPixelFormat(decoded->format),
            decoded->width, decoded->height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler)
            return nullptr;
        auto image = recycledImage(decoded->width, decoded->height);
        if (!image)
            return nullptr;
        uint8_t* planes[4] = {image->data(), nullptr, nullptr, nullptr};
        int strides[4] = {image->stride(), 0, 0, 0};
        sws_scale(scaler, decoded->data, decoded->linesize, 0, decoded->height, planes, strides);
        // Video has no alpha. The converter writes it opaque; that is checked on the first frame,
        // and should it ever not, every frame gets its alpha set.
        if (!alphaChecked) {
            alphaChecked = true;
            alphaOpaque = isOpaque(*image);
        }
        if (!alphaOpaque) {
            for (int y = 0; y < decoded->height; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(image->data() + size_t(y) * size_t(image->stride()));
                for (int x = 0; x < decoded->width; ++x)
                    row[x] |= 0xFF000000u;
            }
        }
        image->setOpaque(true);
        return image;
    }

    static bool isOpaque(const graphics::Image& image)
    {
        for (int y = 0; y < image.pixelHeight(); ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(image.data() + size_t(y) * size_t(image.stride()));
            for (int x = 0; x < image.pixelWidth(); ++x) {
                if ((row[x] >> 24) != 0xFF)
                    return false;
            }
        }
        return true;
    }

    // Pictures come back to the pool once nobody else holds them (the queue and the screen let
    // go of them as playback moves on), so a playing movie stops allocating after its first
    // frames. Only this thread takes from the pool, and a picture held by the pool alone can
    // gain no other holder meanwhile.
    std::shared_ptr<graphics::Image> recycledImage(int width, int height)
    {
        for (auto& image : pool) {
            if (image.use_count() == 1 && image->pixelWidth() == width && image->pixelHeight() == height)
                return image;
        }
        auto image = graphics::Image::createUninitialized(width, height);
        if (image && pool.size() < poolLimit)
            pool.push_back(image);
        return image;
    }

    // Interleaved float copies of the decoder's sample layouts.
    bool interleave(const AVFrame* decoded)
    {
        const int channels = decoded->ch_layout.nb_channels;
        const int count = decoded->nb_samples;
        samples.resize(size_t(channels) * size_t(count));
        auto format = AVSampleFormat(decoded->format);
        const bool planar = av_sample_fmt_is_planar(format);
        auto sampleAt = [&](int channel, int index) -> float {
            const uint8_t* base = planar ? decoded->extended_data[channel] : decoded->extended_data[0];
            const int at = planar ? index : index * channels + channel;
            switch (av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_FLT:
                return reinterpret_cast<const float*>(base)[at];
            case AV_SAMPLE_FMT_DBL:
                return float(reinterpret_cast<const double*>(base)[at]);
            case AV_SAMPLE_FMT_S16:
                return reinterpret_cast<const int16_t*>(base)[at] / 32768.0f;
            case AV_SAMPLE_FMT_S32:
                return float(reinterpret_cast<const int32_t*>(base)[at] / 2147483648.0);
            case AV_SAMPLE_FMT_U8:
                return (base[at] - 128) / 128.0f;
            default:
                return 0;
            }
        };
        switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_FLT:
        case AV_SAMPLE_FMT_DBL:
        case AV_SAMPLE_FMT_S16:
        case AV_SAMPLE_FMT_S32:
        case AV_SAMPLE_FMT_U8:
            break;
        default:
            return false;
        }
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < channels; ++c)
                samples[size_t(i) * size_t(channels) + size_t(c)] = sampleAt(c, i);
        return true;
    }
};

std::unique_ptr<MovieDecoder> MovieDecoder::start(std::string url, Options options)
{
    initialiseNetwork();
    auto decoder = std::unique_ptr<MovieDecoder>(new MovieDecoder(std::move(url), options));
    decoder->m_thread = std::thread([raw = decoder.get()] {
        pthread_setname_np(pthread_self(), "movie-decode");
        raw->run();
    });
    decoder->m_converter = std::thread([raw = decoder.get()] {
        pthread_setname_np(pthread_self(), "movie-convert");
        raw->convertLoop();
    });
    return decoder;
}

MovieDecoder::MovieDecoder(std::string url, Options options)
    : m_url(std::move(url))
    , m_options(options)
    , m_codec(std::make_unique<Codec>())
{
    m_codec->stallTimeout = options.stallTimeout;
    // The queue, the pictures being converted, the one on screen and the one being replaced.
    m_codec->poolLimit = options.queueCapacity + kConversionsAhead + 3;
    if (m_options.queueCapacity == 0)
        const_cast<Options&>(m_options).queueCapacity = 1;
}

MovieDecoder::~MovieDecoder()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_codec->cancel.store(true);
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_converter.joinable())
        m_converter.join();
    for (auto& pending : m_toConvert)
        av_frame_free(&pending.frame);
}

MovieDecoder::Status MovieDecoder::status() const
{
    std::lock_guard lock(m_mutex);
    return m_status;
}

std::string MovieDecoder::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

MovieInfo MovieDecoder::info() const
{
    std::lock_guard lock(m_mutex);
    return m_info;
}

size_t MovieDecoder::queuedFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_frames.size() + m_inFlight;
}

bool MovieDecoder::stopping() const
{
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

void MovieDecoder::setStatus(Status status)
{
    {
        std::lock_guard lock(m_mutex);
        m_status = status;
    }
    m_changed.notify_all();
}

void MovieDecoder::fail(std::string why)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_status = Status::Failed;
        m_error = std::move(why);
    }
    m_changed.notify_all();
}

std::optional<MovieFrame> MovieDecoder::takeFrameAt(double time, int* skipped)
{
    std::optional<MovieFrame> latest;
    int passed = 0;
    {
        std::lock_guard lock(m_mutex);
        while (!m_frames.empty() && m_frames.front().time <= time + kTimeSlack) {
            if (latest)
                ++passed;
            latest = std::move(m_frames.front());
            m_frames.pop_front();
        }
    }
    if (latest)
        m_changed.notify_all();
    if (skipped)
        *skipped = passed;
    return latest;
}

bool MovieDecoder::isSettledAt(double time) const
{
    std::lock_guard lock(m_mutex);
    return isSettledLocked(time);
}

bool MovieDecoder::waitUntilSettled(double time, double realTimeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::duration<double>(realTimeout), [&] {
        // A full queue cannot take the frame that would settle it; the caller takes frames first.
        return isSettledLocked(time) || m_frames.size() >= m_options.queueCapacity;
    });
}

bool MovieDecoder::waitWhileOpening(double realTimeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::duration<double>(realTimeout), [&] { return m_status != Status::Opening; });
}

bool MovieDecoder::isSettledLocked(double time) const
{
    if (!m_frames.empty() && m_frames.back().time > time + kTimeSlack)
        return true;
    // The end, or a failure, counts once the frames still being converted have arrived.
    return (m_status == Status::Ended || m_status == Status::Failed) && m_inFlight == 0;
}

void MovieDecoder::seek(double time)
{
    {
        std::lock_guard lock(m_mutex);
        m_frames.clear();
        ++m_seekGeneration;
        m_seekTarget = std::max(0.0, time);
        if (m_status == Status::Ended)
            m_status = Status::Ready;
    }
    if (m_audio)
        m_audio->clear();
    m_changed.notify_all();
}

void MovieDecoder::convertLoop()
{
    for (;;) {
        Pending pending;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stopping || !m_toConvert.empty(); });
            if (m_stopping)
                return;
            pending = m_toConvert.front();
            m_toConvert.pop_front();
        }
        m_changed.notify_all();
        auto image = m_codec->convert(pending.frame);
        av_frame_free(&pending.frame);
        {
            std::lock_guard lock(m_mutex);
            --m_inFlight;
            if (image && pending.generation == m_seekGeneration)
                m_frames.push_back({pending.time, std::move(image)});
        }
        m_changed.notify_all();
    }
}

void MovieDecoder::run()
{
    if (!open())
        return;
    decodeLoop();
}

bool MovieDecoder::open()
{
    Codec& c = *m_codec;
    auto failed = [&](const std::string& why) {
        fail(c.stalled ? c.stalledText() : why);
        return false;
    };
    c.format = avformat_alloc_context();
    if (!c.format)
        return failed("out of memory");
    c.format->interrupt_callback = {&Codec::interrupt, &c};
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "rw_timeout", int64_t(m_options.stallTimeout * 1e6), 0);
    c.beginIo();
    std::string openError;
    int rc = openInput(&c.format, m_url, &options, &openError);
    av_dict_free(&options);
    if (rc < 0)
        return failed(openError);
    c.beginIo();
    if (rc = avformat_find_stream_info(c.format, nullptr); rc < 0)
        return failed("cannot read the streams of " + m_url + ": " + libavError(rc));

    const AVCodec* videoCodec = nullptr;
    c.videoStream = av_find_best_stream(c.format, AVMEDIA_TYPE_VIDEO, -1, -1, &videoCodec, 0);
    if (c.videoStream < 0 || !videoCodec)
        return failed("no decodable video in " + m_url);
    AVStream* stream = c.format->streams[c.videoStream];
    c.video = avcodec_alloc_context3(videoCodec);
    if (!c.video || avcodec_parameters_to_context(c.video, stream->codecpar) < 0)
        return failed("bad video parameters in " + m_url);
    // One thread: the picture conversion and the screen already run beside it, and frame
    // threading only adds latency at phone-video sizes.
    c.video->thread_count = 1;
    if (rc = avcodec_open2(c.video, videoCodec, nullptr); rc < 0)
        return failed(std::string("cannot open the ") + videoCodec->name + " decoder: " + libavError(rc));
    c.videoTimeBase = stream->time_base;
    c.startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    AVRational rate = av_guess_frame_rate(c.format, stream, nullptr);
    if (rate.num > 0 && rate.den > 0)
        c.frameInterval = 1.0 / av_q2d(rate);

    MovieInfo info;
    info.width = stream->codecpar->width;
    info.height = stream->codecpar->height;
    AVRational aspect = av_guess_sample_aspect_ratio(c.format, stream, nullptr);
    if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den)
        info.width = std::max(1, int(std::lround(info.width * av_q2d(aspect))));
    info.frameRate = 1.0 / c.frameInterval;
    if (c.format->duration != AV_NOPTS_VALUE && c.format->duration > 0)
        info.duration = double(c.format->duration) / AV_TIME_BASE;
    else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        info.duration = double(stream->duration) * av_q2d(stream->time_base);

    const AVCodec* audioCodec = nullptr;
    c.audioStream = av_find_best_stream(c.format, AVMEDIA_TYPE_AUDIO, -1, c.videoStream, &audioCodec, 0);
    info.hasAudio = c.audioStream >= 0 && audioCodec;
    if (info.hasAudio && m_options.decodeAudio) {
        AVStream* sound = c.format->streams[c.audioStream];
        c.audio = avcodec_alloc_context3(audioCodec);
        if (c.audio && avcodec_parameters_to_context(c.audio, sound->codecpar) >= 0
            && avcodec_open2(c.audio, audioCodec, nullptr) >= 0)
            m_audio = AudioOutput::open(c.audio->sample_rate, c.audio->ch_layout.nb_channels);
        if (!m_audio)
            avcodec_free_context(&c.audio);
        c.audioTimeBase = sound->time_base;
        c.audioStartTime = sound->start_time != AV_NOPTS_VALUE ? sound->start_time : c.startTime;
    }

    c.packet = av_packet_alloc();
    c.frame = av_frame_alloc();
    c.held = av_frame_alloc();
    if (!c.packet || !c.frame || !c.held)
        return failed("out of memory");
    {
        std::lock_guard lock(m_mutex);
        m_info = info;
        if (m_stopping)
            return false;
        m_status = Status::Ready;
    }
    m_changed.notify_all();
    return true;
}

void MovieDecoder::decodeLoop()
{
    Codec& c = *m_codec;
    uint64_t generation = 0;

    // Hands a decoded picture to the queue, or holds it back while a seek decodes up to its target.
    auto deliver = [&](AVFrame* decoded, bool flushHeld) {
        // Conversion runs on its own thread, so the next frame decodes meanwhile.
        auto push = [&](const AVFrame* source, double time) {
            AVFrame* copy = av_frame_clone(source);
            if (!copy)
                return;
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_stopping || generation != m_seekGeneration || m_toConvert.size() < kConversionsAhead;
            });
            if (m_stopping || generation != m_seekGeneration) {
                av_frame_free(&copy);
                return;
            }
            m_toConvert.push_back({copy, time, generation});
            ++m_inFlight;
            ++c.delivered;
            lock.unlock();
            m_changed.notify_all();
        };
        if (flushHeld) {
            if (c.haveHeld)
                push(c.held, c.lastTime);
            c.haveHeld = false;
            c.seekTarget.reset();
            return;
        }
        double time = c.videoTimeOf(decoded);
        if (c.seekTarget) {
            if (time <= *c.seekTarget + kTimeSlack) {
                av_frame_unref(c.held);
                av_frame_move_ref(c.held, decoded);
                c.haveHeld = true;
                return;
            }
            if (c.haveHeld) {
                double heldTime = c.lastTime;
                // The held frame's own time was overwritten by the newer one's; recompute it.
                int64_t stamp = c.held->best_effort_timestamp != AV_NOPTS_VALUE
                    ? c.held->best_effort_timestamp
                    : c.held->pts;
                if (stamp != AV_NOPTS_VALUE)
                    heldTime = double(stamp - c.startTime) * av_q2d(c.videoTimeBase);
                push(c.held, heldTime);
                av_frame_unref(c.held);
            }
            c.haveHeld = false;
            c.seekTarget.reset();
        }
        push(decoded, time);
        m_changed.notify_all();
    };

    auto receiveVideo = [&] {
        while (avcodec_receive_frame(c.video, c.frame) == 0) {
            deliver(c.frame, false);
            av_frame_unref(c.frame);
        }
    };
    auto receiveAudio = [&] {
        while (c.audio && avcodec_receive_frame(c.audio, c.frame) == 0) {
            int64_t stamp = c.frame->best_effort_timestamp;
            double time
                = stamp != AV_NOPTS_VALUE ? double(stamp - c.audioStartTime) * av_q2d(c.audioTimeBase) : 0;
            if ((!c.seekTarget || time >= *c.seekTarget) && c.interleave(c.frame))
                m_audio->queue(c.samples.data(), size_t(c.frame->nb_samples), time);
            av_frame_unref(c.frame);
        }
    };

    bool ended = false;
    for (;;) {
        double target = 0;
        bool seekNow = false;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_stopping || m_seekGeneration != generation
                    || (!ended && m_frames.size() + m_inFlight < m_options.queueCapacity);
            });
            if (m_stopping)
                return;
            if (m_seekGeneration != generation) {
                generation = m_seekGeneration;
                target = m_seekTarget;
                seekNow = true;
            }
        }
        if (seekNow) {
            int64_t stamp = c.startTime + int64_t(std::llround(target / av_q2d(c.videoTimeBase)));
            c.beginIo();
            if (av_seek_frame(c.format, c.videoStream, stamp, AVSEEK_FLAG_BACKWARD) < 0)
                av_seek_frame(c.format, c.videoStream, c.startTime, AVSEEK_FLAG_BACKWARD);
            avcodec_flush_buffers(c.video);
            if (c.audio)
                avcodec_flush_buffers(c.audio);
            av_frame_unref(c.held);
            c.haveHeld = false;
            c.seekTarget = target;
            c.lastTime = -1;
            ended = false;
        }

        while (m_audio && m_audio->queuedSeconds() > kAudioAhead) {
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, std::chrono::milliseconds(10));
            if (m_stopping || m_seekGeneration != generation)
                break;
        }

        c.beginIo();
        int rc = av_read_frame(c.format, c.packet);
        // A stream cut short reports the end of its data too; its I/O error tells it apart.
        const bool broken = c.format->pb && c.format->pb->error < 0 && c.format->pb->error != AVERROR_EOF;
        if (!broken && !c.stalled && !c.cancel.load()
            && (rc == AVERROR_EOF || (rc < 0 && c.format->pb && avio_feof(c.format->pb)))) {
            avcodec_send_packet(c.video, nullptr);
            receiveVideo();
            avcodec_flush_buffers(c.video);
            deliver(nullptr, true);
            // A track without a single picture is no movie to play, not one that ended.
            if (c.delivered == 0) {
                fail("the movie holds no pictures: " + m_url);
                return;
            }
            ended = true;
            setStatus(Status::Ended);
            continue;
        }
        if (rc < 0) {
            if (stopping())
                return;
            fail(c.stalled ? c.stalledText()
                           : "reading the movie failed: " + libavError(broken ? c.format->pb->error : rc));
            return;
        }
        if (c.packet->stream_index == c.videoStream) {
            if (avcodec_send_packet(c.video, c.packet) == 0)
                receiveVideo();
        } else if (c.audio && c.packet->stream_index == c.audioStream) {
            if (avcodec_send_packet(c.audio, c.packet) == 0)
                receiveAudio();
        }
        av_packet_unref(c.packet);
    }
}

} // namespace media
