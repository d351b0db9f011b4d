#include "server/AdminClient.h"

#include <cstdio>
#include <httplib.h>
#include <nlohmann/json.hpp>

namespace server {

int AdminClient::run(const std::string& baseUrl, const std::string& action, const Form& form)
{
    std::string url = baseUrl;
    // Accept the base URL the app uses too ("http://host:port/Services").
    if (auto at = url.find("/Services"); at != std::string::npos)
        url.erase(at);
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    httplib::Client client(url);
    client.set_tcp_nodelay(true);
    client.set_connection_timeout(5);
    client.set_read_timeout(30);
    httplib::Params params(form.begin(), form.end());
    auto result = client.Post(("/admin/" + action).c_str(), params);
    if (!result) {
        std::fprintf(stderr, "mivo-server admin: cannot reach %s (%s)\n", url.c_str(),
            httplib::to_string(result.error()).c_str());
        return 2;
    }
    std::printf("%s\n", result->body.c_str());
    auto reply = nlohmann::json::parse(result->body, nullptr, false);
    bool success = reply.is_object() && reply.value("Success", false);
    return success ? 0 : 1;
}

} // namespace server
