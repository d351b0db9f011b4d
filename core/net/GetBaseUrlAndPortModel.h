#pragma once

#include <string>

// The server's base URLs from the user defaults "staticBaseUrl" and "staticBasePort" (spaces
// around them trimmed; "http://" put in front unless the host starts with "http:" or "https:"),
// or the built-in default server on port 80 when either key is missing. Empty values are used as
// stored.
class GetBaseUrlAndPortModel final {
public:
    // "<host>:<port>/Services"
    static std::string getBaseUrlAndPort();
    // "<host>:<port>": the server's file paths are appended to it directly.
    static std::string getBaseImageUrlModel();

    static constexpr const char* kDefaultHost = "http://mivo.example.com";
    static constexpr const char* kDefaultPort = "80";
    static constexpr const char* kBaseUrlKey = "staticBaseUrl";
    static constexpr const char* kBasePortKey = "staticBasePort";
};
