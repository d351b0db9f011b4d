#include "platform/net/HttpRequest.h"

namespace net {

HttpRequest HttpRequest::get(std::string url, double timeout)
{
    HttpRequest request;
    request.method = Method::Get;
    request.url = std::move(url);
    request.timeout = timeout;
    return request;
}

HttpRequest HttpRequest::formPost(std::string url, const Fields& fields, double timeout)
{
    HttpRequest request;
    request.method = Method::Post;
    request.url = std::move(url);
    request.body = formEncode(fields);
    request.contentType = "application/x-www-form-urlencoded; charset=utf-8";
    request.timeout = timeout;
    return request;
}

HttpRequest HttpRequest::multipartPost(
    std::string url, Fields fields, std::optional<FilePart> file, double timeout)
{
    HttpRequest request;
    request.method = Method::Post;
    request.url = std::move(url);
    request.multipart = true;
    request.formFields = std::move(fields);
    request.filePart = std::move(file);
    request.timeout = timeout;
    return request;
}

std::string percentEncode(std::string_view text)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '_' || c == '.' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string formEncode(const HttpRequest::Fields& fields)
{
    std::string out;
    for (auto& [name, value] : fields) {
        if (!out.empty())
            out += '&';
        out += percentEncode(name);
        out += '=';
        out += percentEncode(value);
    }
    return out;
}

} // namespace net
