#include "platform/net/HttpResponse.h"

#include <algorithm>
#include <cctype>

namespace net {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::string HttpResponse::header(std::string_view name) const
{
    for (auto it = headers.rbegin(); it != headers.rend(); ++it) {
        if (equalsIgnoringCase(it->first, name))
            return it->second;
    }
    return {};
}

std::string HttpResponse::mimeType() const
{
    std::string type = header("Content-Type");
    if (auto semicolon = type.find(';'); semicolon != std::string::npos)
        type.resize(semicolon);
    auto first = type.find_first_not_of(" \t");
    auto last = type.find_last_not_of(" \t");
    if (first == std::string::npos)
        return {};
    type = type.substr(first, last - first + 1);
    std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return std::tolower(c); });
    return type;
}

} // namespace net
