#include "core/net/GetBaseUrlAndPortModel.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <cctype>

using foundation::trimmed;

namespace {

std::string textOf(const foundation::Value& value)
{
    if (value.isInt())
        return std::to_string(value.asInt());
    return trimmed(value.asString());
}

bool startsWithIgnoringCase(const std::string& text, const char* prefix)
{
    std::string_view p(prefix);
    return text.size() >= p.size() && std::equal(p.begin(), p.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// "<host>:<port>" of the user defaults, with "http://" in front unless the host names its scheme.
std::string hostAndPort()
{
    auto& defaults = foundation::UserDefaults::standard();
    const foundation::Value& storedHost = defaults.value(GetBaseUrlAndPortModel::kBaseUrlKey);
    const foundation::Value& storedPort = defaults.value(GetBaseUrlAndPortModel::kBasePortKey);
    // Only a missing key means the built-in server: an address the inspector blanked is used as
    // stored, so the inspector's data goes to no host he did not choose.
    if (storedHost.isNull() || storedPort.isNull())
        return foundation::format(
            "%s:%s", GetBaseUrlAndPortModel::kDefaultHost, GetBaseUrlAndPortModel::kDefaultPort);
    std::string host = textOf(storedHost);
    std::string port = textOf(storedPort);
    if (!startsWithIgnoringCase(host, "http:") && !startsWithIgnoringCase(host, "https:"))
        host = "http://" + host;
    return foundation::format("%s:%s", host.c_str(), port.c_str());
}

} // namespace

std::string GetBaseUrlAndPortModel::getBaseUrlAndPort()
{
    return hostAndPort() + "/Services";
}

std::string GetBaseUrlAndPortModel::getBaseImageUrlModel()
{
    return hostAndPort();
}
