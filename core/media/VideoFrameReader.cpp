#include "core/media/VideoFrameReader.h"

#include "platform/graphics/Image.h"
#include "platform/media/LibavSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>

namespace media {

struct VideoFrameReader::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    SwsContext* scaler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* kept = nullptr;
    int streamIndex = -1;
    AVRational timeBase {1, 1};
    int64_t startTime = 0;
    double duration = 0;
    int displayWidth = 0;
    int displayHeight = 0;

    ~State()
    {
        sws_freeContext(scaler);
        av_frame_free(&kept);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
        avformat_close_input(&format);
    }

    double secondsOf(int64_t timestamp) const { return double(timestamp - startTime) * av_q2d(timeBase); }
};

std::shared_ptr<VideoFrameReader> VideoFrameReader::open(
    const std::filesystem::path& path, std::string* error)
{
    auto fail = [&](const std::string& reason) -> std::shared_ptr<VideoFrameReader> {
        if (error)
            *error = reason;
        return nullptr;
    };
    auto state = std::make_unique<State>();
    if (std::string why; openInput(&state->format, path.string(), nullptr, &why) < 0)
        return fail(why);
    if (int rc = avformat_find_stream_info(state->format, nullptr); rc < 0)
        return fail("cannot read the streams of " + path.string() + ": " + libavError(rc));

    const AVCodec* codec = nullptr;
    state->streamIndex = av_find_best_stream(state->format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (state->streamIndex < 0 || !codec)
        return fail("no decodable video stream in " + path.string());
    AVStream* stream = state->format->streams[state->streamIndex];
    state->decoder = avcodec_alloc_context3(codec);
    if (!state->decoder)
        return fail("out of memory");
    if (int rc = avcodec_parameters_to_context(state->decoder, stream->codecpar); rc < 0)
        return fail("bad codec parameters: " + libavError(rc));
    if (int rc = avcodec_open2(state->decoder, codec, nullptr); rc < 0)
        return fail(std::string("cannot open the ") + codec->name + " decoder: " + libavError(rc));
    state->packet = av_packet_alloc();
    state->frame = av_frame_alloc();
    state->kept = av_frame_alloc();
    if (!state->packet || !state->frame || !state->kept)
        return fail("out of memory");

    state->timeBase = stream->time_base;
    state->startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (state->format->duration != AV_NOPTS_VALUE && state->format->duration > 0)
        state->duration = double(state->format->duration) / AV_TIME_BASE;
    else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        state->duration = double(stream->duration) * av_q2d(stream->time_base);

    int width = stream->codecpar->width;
    int height = stream->codecpar->height;
    if (width <= 0 || height <= 0)
        return fail("the video stream of " + path.string() + " has no size");
    AVRational aspect = av_guess_sample_aspect_ratio(state->format, stream, nullptr);
    if (aspect.num > 0 && aspect.den > 0)
        width = std::max(1, int(std::lround(width * av_q2d(aspect))));
    state->displayWidth = width;
    state->displayHeight = height;
    return std::shared_ptr<VideoFrameReader>(new VideoFrameReader(std::move(state)));
}

VideoFrameReader::VideoFrameReader(std::unique_ptr<State> state)
    : m_state(std::move(state))
{ }

VideoFrameReader::~VideoFrameReader() = default;

double VideoFrameReader::duration() const
{
    return m_state->duration;
}
int VideoFrameReader::width() const
{
    return m_state->displayWidth;
}
int VideoFrameReader::height() const
{
    return m_state->displayHeight;
}

void VideoFrameReader::setMaximumSize(int width, int height)
{
    m_maximumWidth = std::max(0, width);
    m_maximumHeight = std::max(0, height);
}

std::shared_ptr<graphics::Image> VideoFrameReader::copyImageAtTime(
    double seconds, double toleranceBefore, double toleranceAfter, double* actualTime, std::string* error)
{
    auto fail = [&](const std::string& reason) -> std::shared_ptr<graphics::Image> {
        if (error)
            *error = reason;
        return nullptr;
    };
    State& s = *m_state;
    // A little slack at the end: containers round their durations. Frame times are compared with
    // a slack far below any frame interval, so a time read from a frame finds that frame.
    constexpr double kEndSlack = 0.05;
    constexpr double kTimeSlack = 1e-6;
    if (!(seconds >= 0) || (s.duration > 0 && seconds > s.duration + kEndSlack))
        return fail("time outside the video");
    toleranceBefore = std::max(0.0, toleranceBefore);
    toleranceAfter = std::max(0.0, toleranceAfter);

    int64_t target = s.startTime + std::llround(seconds / av_q2d(s.timeBase));
    if (avformat_seek_file(s.format, s.streamIndex, INT64_MIN, target, target, AVSEEK_FLAG_BACKWARD) < 0
        && avformat_seek_file(
               s.format, s.streamIndex, INT64_MIN, s.startTime, s.startTime, AVSEEK_FLAG_BACKWARD)
            < 0)
        return fail("cannot seek in the video");
    avcodec_flush_buffers(s.decoder);
    av_frame_unref(s.kept);

    // Decodes on from the key frame before the target. A frame inside the tolerance window ends
    // the search at once; otherwise the answer is the last frame at or before the target (or the
    // first one after it when the target precedes every frame).
    bool haveKept = false;
    bool done = false;
    bool draining = false;
    double keptTime = 0;
    auto consider = [&](AVFrame* frame) {
        int64_t timestamp
            = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
        double time = timestamp != AV_NOPTS_VALUE ? s.secondsOf(timestamp) : (haveKept ? keptTime : 0);
        bool inWindow
            = time >= seconds - toleranceBefore - kTimeSlack && time <= seconds + toleranceAfter + kTimeSlack;
        bool after = time > seconds + kTimeSlack;
        if (inWindow || !after || !haveKept) {
            av_frame_unref(s.kept);
            av_frame_move_ref(s.kept, frame);
            haveKept = true;
            keptTime = time;
        }
        if (inWindow || after)
            done = true;
        av_frame_unref(frame);
    };

    while (!done) {
        int rc = avcodec_receive_frame(s.decoder, s.frame);
        if (rc == 0) {
            consider(s.frame);
            continue;
        }
        if (rc == AVERROR_EOF)
            break;
        if (rc != AVERROR(EAGAIN))
            return fail("decoding failed: " + libavError(rc));
        if (draining)
            break;
        rc = av_read_frame(s.format, s.packet);
        if (rc < 0) {
            draining = true;
            avcodec_send_packet(s.decoder, nullptr);
            continue;
        }
        if (s.packet->stream_index == s.streamIndex) {
            int sent = avcodec_send_packet(s.decoder, s.packet);
            if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA) {
                av_packet_unref(s.packet);
                return fail("decoding failed: " + libavError(sent));
            }
        }
        av_packet_unref(s.packet);
    }
    if (!haveKept)
        return fail("no frame could be decoded");

    AVFrame* frame = s.kept;
    int outWidth = s.displayWidth;
    int outHeight = s.displayHeight;
    double factor = 1.0;
    if (m_maximumWidth > 0)
        factor = std::min(factor, double(m_maximumWidth) / outWidth);
    if (m_maximumHeight > 0)
        factor = std::min(factor, double(m_maximumHeight) / outHeight);
    outWidth = std::max(1, int(std::lround(outWidth * factor)));
    outHeight = std::max(1, int(std::lround(outHeight * factor)));
    s.scaler = sws_getCachedContext(s.scaler, frame->width, frame->height, AVPixelFormat(frame->format),
        outWidth, outHeight, AV_PIX_FMT_RGB32, SWS_AREA | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!s.scaler)
        return fail("cannot convert the frame's pixel format");
    auto image = graphics::Image::create(outWidth, outHeight);
    if (!image)
        return fail("out of memory");
    uint8_t* planes[4] = {image->data(), nullptr, nullptr, nullptr};
    int strides[4] = {image->stride(), 0, 0, 0};
    if (sws_scale(s.scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) != outHeight)
        return fail("cannot convert the frame");
    // Video has no alpha; make sure every pixel says so whatever the converter wrote there.
    for (int y = 0; y < outHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image->data() + size_t(y) * size_t(image->stride()));
        for (int x = 0; x < outWidth; ++x)
            row[x] |= 0xFF000000u;
    }
    image->setOpaque(true);
    if (actualTime)
        *actualTime = keptTime;
    return image;
}

} // namespace media
