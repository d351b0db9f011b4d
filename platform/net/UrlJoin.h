#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace net {

// The URL of a server path (a record's file or thumbnail path, "/Upload/..") under a base URL
// ("http://host:port"), built by libcurl's URL parser: the path goes after the base's own path,
// dot segments are resolved and unsafe bytes percent-encoded. nullopt (logged) when the base is
// not an http or https URL, or when the path is not an absolute path of that server: empty, not
// starting with one "/", or leading anywhere with another scheme, host or port ("//host/x",
// "@host:port/x", "http://host/x").
std::optional<std::string> joinServerPath(std::string_view baseUrl, std::string_view path);

} // namespace net
