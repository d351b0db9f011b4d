#include "core/media/VideoRemuxer.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RegularFile.h"
#include "platform/media/LibavSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace media {

namespace {

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

struct OutputCloser {
    void operator()(AVFormatContext* context) const
    {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
using Output = std::unique_ptr<AVFormatContext, OutputCloser>;

Input openInput(const std::filesystem::path& source, std::string* error)
{
    AVFormatContext* context = nullptr;
    if (media::openInput(&context, source.string(), nullptr, error) < 0)
        return nullptr;
    return Input(context);
}

bool isMp4Container(AVFormatContext* input)
{
    // The ISO family shares one demuxer; the major brand tells an MP4 from a QuickTime movie.
    if (!input->iformat || !std::strstr(input->iformat->name, "mp4"))
        return false;
    const AVDictionaryEntry* brand = av_dict_get(input->metadata, "major_brand", nullptr, 0);
    return brand && std::strncmp(brand->value, "qt", 2) != 0;
}

// A still picture opens as a one-frame video; it is no movie.
bool isStillImage(AVFormatContext* input)
{
    std::string_view name = input->iformat ? input->iformat->name : "";
    return name == "image2" || (name.size() > 5 && name.substr(name.size() - 5) == "_pipe");
}

// A stream that plays as moving pictures: cover art is a video stream too, but a single picture.
bool isPlayableVideo(const AVStream* stream)
{
    const AVCodecParameters* parameters = stream->codecpar;
    return parameters->codec_type == AVMEDIA_TYPE_VIDEO
        && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && parameters->width > 0
        && parameters->height > 0 && avcodec_find_decoder(parameters->codec_id);
}

// Reads the streams and refuses what is no movie; the reason in *error.
bool checkMovie(AVFormatContext* input, std::string* error)
{
    auto fail = [&](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (isStillImage(input))
        return fail("a still picture is not a movie");
    if (int rc = avformat_find_stream_info(input, nullptr); rc < 0)
        return fail("cannot read the streams: " + libavError(rc));
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (isPlayableVideo(input->streams[i]))
            return true;
    }
    return fail("the movie has no playable video track");
}

bool remux(AVFormatContext* input, const std::filesystem::path& destination, std::string* error)
{
    auto fail = [&](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    AVFormatContext* raw = nullptr;
    if (int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", destination.c_str()); rc < 0 || !raw)
        return fail("cannot create an MP4 writer: " + libavError(rc));
    Output output(raw);

    std::vector<int> mapping(input->nb_streams, -1);
    bool hasVideo = false;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters* parameters = input->streams[i]->codecpar;
        bool media = isPlayableVideo(input->streams[i]) || parameters->codec_type == AVMEDIA_TYPE_AUDIO;
        if (!media || avformat_query_codec(output->oformat, parameters->codec_id, FF_COMPLIANCE_NORMAL) != 1)
            continue;
        AVStream* stream = avformat_new_stream(output.get(), nullptr);
        if (!stream || avcodec_parameters_copy(stream->codecpar, parameters) < 0)
            return fail("out of memory");
        stream->codecpar->codec_tag = 0;
        stream->time_base = input->streams[i]->time_base;
        // Keeps the display matrix, so a movie shot upright still plays upright.
        for (int j = 0; j < input->streams[i]->nb_side_data; ++j) {
            const AVPacketSideData& side = input->streams[i]->side_data[j];
            if (uint8_t* copy = av_stream_new_side_data(stream, side.type, side.size))
                std::memcpy(copy, side.data, side.size);
        }
        mapping[i] = stream->index;
        hasVideo = hasVideo || parameters->codec_type == AVMEDIA_TYPE_VIDEO;
    }
    if (!hasVideo)
        return fail("the movie has no video that an MP4 file can carry");
    if (openOutput(&output->pb, destination, error) < 0)
        return false;
    if (int rc = avformat_write_header(output.get(), nullptr); rc < 0)
        return fail("cannot start the MP4 file: " + libavError(rc));

    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return fail("out of memory");
    int rc = 0;
    while ((rc = av_read_frame(input, packet)) >= 0) {
        // A stream that appears mid-file (MPEG-TS, FLV) has no output stream: skip its packets.
        int index = packet->stream_index;
        int target = index >= 0 && static_cast<size_t>(index) < mapping.size() ? mapping[index] : -1;
        if (target >= 0) {
            av_packet_rescale_ts(
                packet, input->streams[packet->stream_index]->time_base, output->streams[target]->time_base);
            packet->stream_index = target;
            packet->pos = -1;
            if (int written = av_interleaved_write_frame(output.get(), packet); written < 0) {
                av_packet_free(&packet);
                return fail("cannot write the MP4 file: " + libavError(written));
            }
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (rc != AVERROR_EOF)
        return fail("cannot read the movie: " + libavError(rc));
    if (int trailer = av_write_trailer(output.get()); trailer < 0)
        return fail("cannot finish the MP4 file: " + libavError(trailer));
    return true;
}

} // namespace

bool VideoRemuxer::isMp4(const std::filesystem::path& source)
{
    Input input = openInput(source, nullptr);
    return input && isMp4Container(input.get());
}

bool VideoRemuxer::copyAsMp4(
    const std::filesystem::path& source, const std::filesystem::path& destination, std::string* error)
{
    Input input = openInput(source, error);
    if (!input || !checkMovie(input.get(), error))
        return false;
    std::error_code code;
    if (isMp4Container(input.get())) {
        input.reset();
        // Copied from a descriptor checked again: the name may name something else by now.
        auto file = foundation::RegularFile::open(source, error);
        if (!file)
            return false;
        // Into a file made new: whatever lay under the name is not opened.
        int made = foundation::createFile(destination, error);
        if (made < 0)
            return false;
        std::filesystem::copy_file("/dev/fd/" + std::to_string(file->descriptor()),
            "/dev/fd/" + std::to_string(made), std::filesystem::copy_options::overwrite_existing, code);
        ::close(made);
        if (!code)
            return true;
        if (error)
            *error = "cannot copy " + source.string() + ": " + code.message();
    } else if (remux(input.get(), destination, error)) {
        return true;
    }
    std::filesystem::remove(destination, code);
    return false;
}

} // namespace media
