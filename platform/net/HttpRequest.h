#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace net {

// A file sent as one part of a multipart/form-data body, streamed from disk while uploading.
struct FilePart {
    std::string name; // the form field name
    std::filesystem::path path;
    std::string fileName; // the name the server sees
    std::string mimeType;
};

// What to send. A request is a GET, a POST with a raw body (form-encoded by formPost()), or a
// multipart POST when `multipart` is set. The timeout is an idle timeout: the request fails when
// no byte moved in either direction (or no connection was made) for that long. A reply body longer
// than `maxBodySize` ends the request with HttpErrorKind::TooLarge as soon as it is seen.
struct HttpRequest {
    enum class Method { Get, Post };
    using Fields = std::vector<std::pair<std::string, std::string>>;

    // Far above any JSON reply the server sends (a list of thousands of tasks is a few MB);
    // requests answered by one small object set a far lower limit.
    static constexpr int64_t kDefaultMaxBodySize = 32 * 1024 * 1024;
    // Photos and thumbnails: far above a 12 MP JPEG.
    static constexpr int64_t kMediaMaxBodySize = 64 * 1024 * 1024;

    Method method {Method::Get};
    std::string url;
    Fields headers;
    std::string body;
    std::string contentType;
    bool multipart {false};
    Fields formFields; // the text parts of a multipart body, in order
    std::optional<FilePart> filePart;
    double timeout {60};
    int64_t maxBodySize {kDefaultMaxBodySize};

    static HttpRequest get(std::string url, double timeout);
    // "application/x-www-form-urlencoded" body of the fields in order.
    static HttpRequest formPost(std::string url, const Fields& fields, double timeout);
    static HttpRequest multipartPost(
        std::string url, Fields fields, std::optional<FilePart> file, double timeout);
};

// Percent-encodes everything but unreserved characters (RFC 3986), spaces as %20.
std::string percentEncode(std::string_view text);
std::string formEncode(const HttpRequest::Fields& fields);

} // namespace net
