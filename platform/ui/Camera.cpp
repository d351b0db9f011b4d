#include "platform/ui/Camera.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Paths.h"
#include "platform/media/LibavSupport.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace ui {

namespace fs = std::filesystem;

namespace {

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

std::string lowercaseExtension(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

struct InputCloser {
    AVFormatContext* context = nullptr;
    ~InputCloser() { avformat_close_input(&context); }
};

struct OutputCloser {
    AVFormatContext* context = nullptr;
    ~OutputCloser()
    {
        if (!context)
            return;
        if (context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

} // namespace

Camera& Camera::shared()
{
    static Camera camera;
    return camera;
}

void Camera::setFolder(fs::path folder)
{
    m_folder = std::move(folder);
    m_scanned = false;
    m_nextPhoto = 0;
}

void Camera::scan() const
{
    if (m_scanned)
        return;
    m_scanned = true;
    m_photos.clear();
    m_movies.clear();
    fs::path folder = m_folder.empty() ? foundation::Paths::resource("camera") : m_folder;
    std::error_code code;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        // Links are passed over as the reads would refuse them.
        if (it->symlink_status(code).type() == fs::file_type::regular)
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::string extension = lowercaseExtension(file);
        if (extension == ".jpg" || extension == ".jpeg")
            m_photos.push_back(file);
        else if (extension == ".mp4" || extension == ".mov") {
            if (auto movie = probe(file))
                m_movies.push_back(*movie);
        }
    }
}

const std::vector<fs::path>& Camera::photos() const
{
    scan();
    return m_photos;
}

const std::vector<Camera::Movie>& Camera::movies() const
{
    scan();
    return m_movies;
}

std::optional<fs::path> Camera::currentPhoto() const
{
    const auto& all = photos();
    if (all.empty())
        return std::nullopt;
    return all[m_nextPhoto % all.size()];
}

void Camera::advancePhoto()
{
    if (!photos().empty())
        m_nextPhoto = (m_nextPhoto + 1) % photos().size();
}

std::optional<Camera::Movie> Camera::movieFitting(int maxWidth, int maxHeight) const
{
    for (const auto& movie : movies()) {
        if (maxWidth <= 0 || maxHeight <= 0)
            return movie;
        // Either way round: a portrait movie of a landscape size fits too.
        int longSide = std::max(movie.width, movie.height), shortSide = std::min(movie.width, movie.height);
        if (longSide <= std::max(maxWidth, maxHeight) && shortSide <= std::min(maxWidth, maxHeight))
            return movie;
    }
    return std::nullopt;
}

std::optional<Camera::Movie> Camera::probe(const fs::path& file, std::string* error)
{
    InputCloser input;
    std::string openError;
    int rc = media::openInput(&input.context, file.string(), nullptr, &openError);
    if (rc < 0) {
        setError(error, openError);
        return std::nullopt;
    }
    if ((rc = avformat_find_stream_info(input.context, nullptr)) < 0) {
        setError(error, "cannot read " + file.string() + ": " + media::libavError(rc));
        return std::nullopt;
    }
    int video = av_find_best_stream(input.context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0) {
        setError(error, file.string() + " has no video");
        return std::nullopt;
    }
    Movie movie;
    movie.file = file;
    movie.width = input.context->streams[video]->codecpar->width;
    movie.height = input.context->streams[video]->codecpar->height;
    movie.duration = input.context->duration > 0 ? double(input.context->duration) / AV_TIME_BASE : 0;
    return movie;
}

std::optional<fs::path> Camera::record(const Movie& movie, double maximumDuration, std::string* error)
{
    static std::atomic<unsigned> counter {0};
    fs::path folder = foundation::Paths::temporary();
    foundation::createDirectories(folder);
    fs::path target = folder / foundation::format("capture-%u-%u.mp4", unsigned(::getpid()), counter++);

    InputCloser input;
    std::string openError;
    int rc = media::openInput(&input.context, movie.file.string(), nullptr, &openError);
    if (rc < 0) {
        setError(error, openError);
        return std::nullopt;
    }
    if ((rc = avformat_find_stream_info(input.context, nullptr)) < 0) {
        setError(error, "cannot read " + movie.file.string() + ": " + media::libavError(rc));
        return std::nullopt;
    }
    OutputCloser output;
    if ((rc = avformat_alloc_output_context2(&output.context, nullptr, "mp4", target.c_str())) < 0) {
        setError(error, "cannot make an MP4 writer: " + media::libavError(rc));
        return std::nullopt;
    }
    // Stream copy of video and audio; whatever MP4 cannot carry is left out.
    std::vector<int> map(input.context->nb_streams, -1);
    for (unsigned i = 0; i < input.context->nb_streams; ++i) {
        auto* parameters = input.context->streams[i]->codecpar;
        if (parameters->codec_type != AVMEDIA_TYPE_VIDEO && parameters->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        AVStream* stream = avformat_new_stream(output.context, nullptr);
        if (!stream || avcodec_parameters_copy(stream->codecpar, parameters) < 0) {
            setError(error, "cannot copy a stream of " + movie.file.string());
            return std::nullopt;
        }
        stream->codecpar->codec_tag = 0;
        stream->time_base = input.context->streams[i]->time_base;
        map[i] = stream->index;
    }
    if ((rc = media::openOutput(&output.context->pb, target, error)) < 0)
        return std::nullopt;
    auto fail = [&](const std::string& text) -> std::optional<fs::path> {
        setError(error, text);
        avio_closep(&output.context->pb);
        std::error_code ignored;
        fs::remove(target, ignored);
        return std::nullopt;
    };
    if ((rc = avformat_write_header(output.context, nullptr)) < 0)
        return fail("cannot write the movie header: " + media::libavError(rc));
    AVPacket* packet = av_packet_alloc();
    while (packet && av_read_frame(input.context, packet) >= 0) {
        int index = packet->stream_index;
        if (index < 0 || size_t(index) >= map.size() || map[size_t(index)] < 0) {
            av_packet_unref(packet);
            continue;
        }
        AVRational inBase = input.context->streams[index]->time_base;
        int64_t when = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        // The recording stops at the limit: frames shown from then on are not recorded.
        if (maximumDuration > 0 && when != AV_NOPTS_VALUE
            && when * av_q2d(inBase) >= maximumDuration - 1e-9) {
            av_packet_unref(packet);
            continue;
        }
        AVStream* out = output.context->streams[map[size_t(index)]];
        packet->stream_index = out->index;
        av_packet_rescale_ts(packet, inBase, out->time_base);
        packet->pos = -1;
        rc = av_interleaved_write_frame(output.context, packet);
        av_packet_unref(packet);
        if (rc < 0) {
            av_packet_free(&packet);
            return fail("cannot write the movie: " + media::libavError(rc));
        }
    }
    av_packet_free(&packet);
    if ((rc = av_write_trailer(output.context)) < 0)
        return fail("cannot finish the movie: " + media::libavError(rc));
    return target;
}

} // namespace ui
