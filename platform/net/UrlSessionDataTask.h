#pragma once

#include "platform/net/HttpResponse.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace net {

class HttpTask;

// Fetches the body of a URL: "http://" and "https://" on the shared HTTP client, "file://" read
// from disk on a worker. Made suspended; resume() starts it once. It counts the bytes received
// of those expected as they arrive (on the main thread), and cancel() ends it early. The
// completion runs exactly once, on the main queue, for every task that was resumed: with the data
// of whatever the server answered, whatever its status (a status outside 200-299 is also told as
// HttpErrorKind::HttpStatus), or without data and with the reason when the fetch failed, the body
// passed the media limit or the task was cancelled. The result is handed over, not copied.
class UrlSessionDataTask final : public std::enable_shared_from_this<UrlSessionDataTask> {
public:
    enum class State { Suspended, Running, Canceling, Completed };
    struct Result {
        std::optional<std::string> data;
        // The server's status; 0 for a file and when no answer came.
        long status {0};
        HttpErrorKind errorKind {HttpErrorKind::None};
        std::string errorText;
    };
    using Completion = std::function<void(Result)>;
    static constexpr double kDefaultTimeout = 60;

    // nullptr for a URL that no request can be made for (empty, or of another scheme).
    static std::shared_ptr<UrlSessionDataTask> create(
        std::string url, Completion completion, double timeout = kDefaultTimeout);
    UrlSessionDataTask(std::string url, Completion completion, double timeout);
    ~UrlSessionDataTask();
    UrlSessionDataTask(const UrlSessionDataTask&) = delete;
    UrlSessionDataTask& operator=(const UrlSessionDataTask&) = delete;

    const std::string& url() const { return m_url; }
    State state() const { return m_state; }
    int64_t countOfBytesReceived() const { return m_received; }
    // -1 until the size is known (and when the server never says).
    int64_t countOfBytesExpectedToReceive() const { return m_expected; }

    void resume();
    // The completion still runs, once, with HttpErrorKind::Cancelled (unless the task had ended).
    void cancel();

    static bool isFileUrl(const std::string& url);

private:
    void startFileRead();
    void finish(Result result);

    std::string m_url;
    Completion m_completion;
    double m_timeout;
    std::shared_ptr<HttpTask> m_httpTask;
    State m_state {State::Suspended};
    int64_t m_received {0};
    int64_t m_expected {-1};
};

} // namespace net
