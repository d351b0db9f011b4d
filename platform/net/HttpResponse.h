#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace net {

// How a request ended. HttpStatus: the server answered with a status outside 200-299 (the
// response carries it, with its headers and body). TooLarge: the reply body passed the request's
// maxBodySize (the response then has no body).
enum class HttpErrorKind {
    None,
    Timeout,
    CannotConnect,
    ConnectionLost,
    HttpStatus,
    Cancelled,
    File,
    TooLarge,
    Other
};

struct HttpResponse {
    long status {0};
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    HttpErrorKind errorKind {HttpErrorKind::None};
    std::string errorText;

    bool succeeded() const { return errorKind == HttpErrorKind::None; }
    // The last header of that name (any case); empty when absent.
    std::string header(std::string_view name) const;
    // The media type of Content-Type, lower case, without parameters ("text/html").
    std::string mimeType() const;
};

} // namespace net
