#include "server/Thumbnailer.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <turbojpeg.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace server {

namespace {

constexpr int kQuality = 80;

std::vector<uint8_t> encodeRgb(const uint8_t* rgb, int width, int height, int pitch)
{
    tjhandle handle = tjInitCompress();
    if (!handle)
        return {};
    unsigned char* out = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> result;
    if (tjCompress2(handle, rgb, width, pitch, height, TJPF_RGB, &out, &size, TJSAMP_420, kQuality, 0) == 0)
        result.assign(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return result;
}

void fitLongSide(int width, int height, int& outWidth, int& outHeight)
{
    int longSide = std::max(width, height);
    if (longSide <= Thumbnailer::kTargetLongSide) {
        outWidth = width;
        outHeight = height;
        return;
    }
    outWidth = std::max(1, width * Thumbnailer::kTargetLongSide / longSide);
    outHeight = std::max(1, height * Thumbnailer::kTargetLongSide / longSide);
}

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

std::vector<uint8_t> Thumbnailer::photoThumbnail(const std::vector<uint8_t>& jpeg)
{
    tjhandle handle = tjInitDecompress();
    if (!handle)
        return {};
    std::vector<uint8_t> result;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    auto* data = const_cast<unsigned char*>(jpeg.data());
    if (tjDecompressHeader3(handle, data, jpeg.size(), &width, &height, &subsampling, &colorspace) == 0) {
        // The smallest DCT scale that still covers the target size; 1/8 at most.
        int count = 0;
        tjscalingfactor* factors = tjGetScalingFactors(&count);
        tjscalingfactor chosen {1, 1};
        int chosenLong = std::max(width, height);
        for (int i = 0; i < count; ++i) {
            if (factors[i].num > factors[i].denom)
                continue;
            int scaledLong = TJSCALED(std::max(width, height), factors[i]);
            if (scaledLong >= kTargetLongSide && scaledLong < chosenLong) {
                chosen = factors[i];
                chosenLong = scaledLong;
            }
        }
        int scaledWidth = TJSCALED(width, chosen);
        int scaledHeight = TJSCALED(height, chosen);
        std::vector<uint8_t> rgb(static_cast<size_t>(scaledWidth) * scaledHeight * 3);
        if (tjDecompress2(handle, data, jpeg.size(), rgb.data(), scaledWidth, scaledWidth * 3, scaledHeight,
                TJPF_RGB, TJFLAG_FASTDCT | TJFLAG_LIMITSCANS)
            == 0)
            result = encodeRgb(rgb.data(), scaledWidth, scaledHeight, scaledWidth * 3);
    }
    tjDestroy(handle);
    return result;
}

std::vector<uint8_t> Thumbnailer::videoThumbnail(const std::filesystem::path& video)
{
    // An undecodable upload is expected input here, not worth libav's console noise.
    av_log_set_level(AV_LOG_FATAL);
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, video.c_str(), nullptr, nullptr) < 0)
        return {};
    std::vector<uint8_t> result;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    const AVCodec* decoder = nullptr;
    int stream = -1;
    if (avformat_find_stream_info(format, nullptr) >= 0)
        stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream >= 0 && decoder && (codec = avcodec_alloc_context3(decoder))
        && avcodec_parameters_to_context(codec, format->streams[stream]->codecpar) >= 0
        && avcodec_open2(codec, decoder, nullptr) >= 0) {
        bool gotFrame = false;
        int packetsRead = 0;
        while (!gotFrame && packetsRead < 500 && av_read_frame(format, packet) >= 0) {
            ++packetsRead;
            if (packet->stream_index == stream && avcodec_send_packet(codec, packet) >= 0)
                gotFrame = avcodec_receive_frame(codec, frame) == 0;
            av_packet_unref(packet);
        }
        if (!gotFrame && avcodec_send_packet(codec, nullptr) >= 0)
            gotFrame = avcodec_receive_frame(codec, frame) == 0;
        if (gotFrame && frame->width > 0 && frame->height > 0) {
            int width = 0, height = 0;
            fitLongSide(frame->width, frame->height, width, height);
            SwsContext* sws
                = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                    width, height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
            if (sws) {
                std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
                uint8_t* planes[4] = {rgb.data(), nullptr, nullptr, nullptr};
                int pitches[4] = {width * 3, 0, 0, 0};
                sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, pitches);
                sws_freeContext(sws);
                result = encodeRgb(rgb.data(), width, height, width * 3);
            }
        }
    }
    avcodec_free_context(&codec);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avformat_close_input(&format);
    return result;
}

std::vector<uint8_t> Thumbnailer::placeholder(bool isVideo)
{
    constexpr int kWidth = 160, kHeight = 120;
    std::vector<uint8_t> rgb(kWidth * kHeight * 3, 0x80);
    if (isVideo) {
        // A white "play" triangle, so a video without a decodable frame is still recognisable.
        for (int y = 30; y < 90; ++y) {
            int half = y < 60 ? y - 30 : 90 - y;
            for (int x = 65; x < 65 + half; ++x) {
                uint8_t* p = &rgb[(y * kWidth + x) * 3];
                p[0] = p[1] = p[2] = 0xFF;
            }
        }
    }
    return encodeRgb(rgb.data(), kWidth, kHeight, kWidth * 3);
}

bool Thumbnailer::makeThumbnail(const std::filesystem::path& source, const std::filesystem::path& destination,
    bool isVideo, std::string* note)
{
    std::vector<uint8_t> bytes;
    if (isVideo) {
        bytes = videoThumbnail(source);
    } else {
        std::ifstream in(source, std::ios::binary);
        std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes = photoThumbnail(jpeg);
    }
    if (bytes.empty()) {
        if (note)
            *note = isVideo ? "no decodable video frame; placeholder thumbnail"
                            : "not a JPEG; placeholder thumbnail";
        bytes = placeholder(isVideo);
    }
    return !bytes.empty() && writeFile(destination, bytes);
}

} // namespace server
