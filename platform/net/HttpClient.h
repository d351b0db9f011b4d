#pragma once

#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "platform/net/HttpTask.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace net {

// HTTP on libcurl's multi interface, all transfers on one network thread. Completion and upload
// progress callbacks are posted to the main run loop, progress always before the completion, and
// every started request gets exactly one completion: destroying the client ends the requests still
// running as cancelled. The caller's blocks are released on the main thread.
class HttpClient final {
public:
    using Completion = std::function<void(HttpResponse)>;
    // A POST's bytes of the body sent so far and the body's whole size; a GET's bytes received
    // and the expected size (-1 when the server gave none).
    using Progress = std::function<void(int64_t sent, int64_t expected)>;

    static HttpClient& shared();
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    std::shared_ptr<HttpTask> start(HttpRequest request, Completion completion, Progress progress = {});

private:
    struct Engine;
    std::shared_ptr<Engine> m_engine;
};

} // namespace net
