#pragma once

#include "platform/foundation/Value.h"

#include <string>

// How the screens address the server and read its reply envelope.
class RequestUrlUtil final {
public:
    static constexpr const char* kNetworkFailureMessage = "网络超时,请重新尝试!";

    // The base URL, the endpoint path and the request time stamp ("%@%@%lld").
    static std::string urlFor(const std::string& path);
    // The envelope's "Success".
    static bool succeeded(const foundation::Value& reply);
    // The envelope's "Msg", or `fallback` when the reply has none.
    static std::string message(const foundation::Value& reply, const std::string& fallback);
    // The user default "userName": the owner of the tasks the lists show.
    static std::string currentUserName();
};
