#include "platform/media/LibavSupport.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace media {

namespace {

// The file a URL names, or nullopt for a URL of another scheme ("http://...").
std::optional<std::string> localPath(std::string_view url)
{
    for (std::string_view prefix : {"file://", "file:"}) {
        if (url.starts_with(prefix))
            return std::string(url.substr(prefix.size()));
    }
    size_t scheme = url.find("://");
    bool hasScheme = scheme != std::string_view::npos && scheme > 0
        && std::all_of(url.begin(), url.begin() + scheme,
            [](char c) { return std::isalnum(uint8_t(c)) || c == '+' || c == '-' || c == '.'; });
    return hasScheme ? std::nullopt : std::optional(std::string(url));
}

} // namespace

std::string libavError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return text;
}

int openInput(AVFormatContext** context, const std::string& url, AVDictionary** options, std::string* error)
{
    auto fail = [&](int code, const std::string& why) {
        if (error)
            *error = why;
        return code;
    };
    auto path = localPath(url);
    std::optional<foundation::RegularFile> file;
    std::string source = url;
    if (path) {
        std::string why;
        if (!(file = foundation::RegularFile::open(*path, &why))) {
            // The context is freed on failure, as libav's own open does.
            avformat_free_context(*context);
            *context = nullptr;
            return fail(AVERROR(EINVAL), why);
        }
        source = "/dev/fd/" + std::to_string(file->descriptor());
    }
    int rc = avformat_open_input(context, source.c_str(), nullptr, options);
    return rc < 0 ? fail(rc, "cannot open " + url + ": " + libavError(rc)) : rc;
}

int openOutput(AVIOContext** output, const std::filesystem::path& path, std::string* error)
{
    int descriptor = foundation::createFile(path, error);
    if (descriptor < 0)
        return AVERROR(EINVAL);
    std::string source = "/dev/fd/" + std::to_string(descriptor);
    int rc = avio_open(output, source.c_str(), AVIO_FLAG_WRITE);
    ::close(descriptor);
    if (rc < 0) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        if (error)
            *error = "cannot create " + path.string() + ": " + libavError(rc);
    }
    return rc;
}

} // namespace media
