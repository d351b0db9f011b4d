#include "platform/net/UrlJoin.h"

#include "platform/foundation/Log.h"

#include <curl/curl.h>

#include <memory>

namespace net {

namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

// A part of the URL ("" when it has none); ports with the scheme's default filled in.
std::string part(CURLU* url, CURLUPart which)
{
    char* text = nullptr;
    if (curl_url_get(url, which, &text, which == CURLUPART_PORT ? CURLU_DEFAULT_PORT : 0) != CURLUE_OK)
        return {};
    std::string result(text);
    curl_free(text);
    return result;
}

Url parse(const std::string& text)
{
    Url url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
        return nullptr;
    return url;
}

std::optional<std::string> refuse(std::string_view baseUrl, std::string_view path, const char* why)
{
    foundation::logf("refused server path \"%.*s\" under \"%.*s\": %s", int(path.size()), path.data(),
        int(baseUrl.size()), baseUrl.data(), why);
    return std::nullopt;
}

} // namespace

std::optional<std::string> joinServerPath(std::string_view baseUrl, std::string_view path)
{
    Url base = parse(std::string(baseUrl));
    std::string scheme = base ? part(base.get(), CURLUPART_SCHEME) : std::string();
    if (scheme != "http" && scheme != "https")
        return refuse(baseUrl, path, "the base is not an http address");
    // Appended directly, anything else would read as part of the host or the port.
    if (path.empty() || path.front() != '/' || path.substr(0, 2) == "//"
        || path.find('\0') != std::string_view::npos)
        return refuse(baseUrl, path, "not an absolute path");

    // The base's own path, if it has one, stays in front.
    std::string prefix = part(base.get(), CURLUPART_PATH);
    while (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    Url joined(curl_url_dup(base.get()));
    std::string reference = prefix + std::string(path);
    if (!joined || curl_url_set(joined.get(), CURLUPART_URL, reference.c_str(), 0) != CURLUE_OK)
        return refuse(baseUrl, path, "not a valid address");
    for (CURLUPart which :
        {CURLUPART_SCHEME, CURLUPART_USER, CURLUPART_PASSWORD, CURLUPART_HOST, CURLUPART_PORT}) {
        if (part(joined.get(), which) != part(base.get(), which))
            return refuse(baseUrl, path, "it leads to another server");
    }
    return part(joined.get(), CURLUPART_URL);
}

} // namespace net
