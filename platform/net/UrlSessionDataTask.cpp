#include "platform/net/UrlSessionDataTask.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpClient.h"

#include <cctype>

namespace net {

namespace {

bool startsWith(const std::string& text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "file:///a%20b/c.gif" -> "/a b/c.gif"; nullopt for a malformed escape.
std::optional<std::string> filePath(const std::string& url)
{
    std::string encoded = url.substr(std::string_view("file://").size());
    if (startsWith(encoded, "localhost/"))
        encoded.erase(0, std::string_view("localhost").size());
    std::string path;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            path += encoded[i];
            continue;
        }
        if (i + 2 >= encoded.size() || !std::isxdigit(uint8_t(encoded[i + 1]))
            || !std::isxdigit(uint8_t(encoded[i + 2])))
            return std::nullopt;
        path += char(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return path;
}

} // namespace

bool UrlSessionDataTask::isFileUrl(const std::string& url)
{
    return startsWith(url, "file://");
}

std::shared_ptr<UrlSessionDataTask> UrlSessionDataTask::create(
    std::string url, Completion completion, double timeout)
{
    bool fetchable
        = startsWith(url, "http://") || startsWith(url, "https://") || (isFileUrl(url) && filePath(url));
    if (!fetchable)
        return nullptr;
    return std::make_shared<UrlSessionDataTask>(std::move(url), std::move(completion), timeout);
}

UrlSessionDataTask::UrlSessionDataTask(std::string url, Completion completion, double timeout)
    : m_url(std::move(url))
    , m_completion(std::move(completion))
    , m_timeout(timeout)
{ }

UrlSessionDataTask::~UrlSessionDataTask() = default;

void UrlSessionDataTask::resume()
{
    if (m_state != State::Suspended)
        return;
    m_state = State::Running;
    if (isFileUrl(m_url)) {
        startFileRead();
        return;
    }
    // The task keeps itself alive until its completion has run, as a session keeps its tasks.
    auto self = shared_from_this();
    auto request = HttpRequest::get(m_url, m_timeout);
    request.maxBodySize = HttpRequest::kMediaMaxBodySize;
    m_httpTask = HttpClient::shared().start(
        std::move(request),
        [self](HttpResponse response) {
            Result result;
            result.errorKind
                = self->m_state == State::Canceling ? HttpErrorKind::Cancelled : response.errorKind;
            result.errorText
                = result.errorKind == HttpErrorKind::Cancelled ? "cancelled" : response.errorText;
            // Any answer of the server comes with its body, as the phone's data task gives it.
            bool answered
                = result.errorKind == HttpErrorKind::None || result.errorKind == HttpErrorKind::HttpStatus;
            if (answered) {
                result.status = response.status;
                result.data = std::move(response.body);
            }
            self->finish(std::move(result));
        },
        [self](int64_t received, int64_t expected) {
            if (self->m_state != State::Running)
                return;
            self->m_received = received;
            self->m_expected = expected;
        });
}

void UrlSessionDataTask::startFileRead()
{
    auto self = shared_from_this();
    std::string path = *filePath(m_url);
    foundation::dispatchGlobalAsync([self, path] {
        Result result;
        // A folder or FIFO in the file's place is a file that cannot be read, never a wait.
        auto file = foundation::RegularFile::open(path, &result.errorText);
        if (file && file->size() > uint64_t(HttpRequest::kMediaMaxBodySize)) {
            result.errorKind = HttpErrorKind::TooLarge;
            result.errorText = "the file " + path + " is too large";
        } else if (file) {
            result.data = file->readText(uint64_t(HttpRequest::kMediaMaxBodySize), &result.errorText);
        }
        if (!result.data && result.errorKind == HttpErrorKind::None)
            result.errorKind = HttpErrorKind::File;
        foundation::RunLoop::main().post([self, result = std::move(result)]() mutable {
            if (self->m_state == State::Canceling) {
                result = {std::nullopt, 0, HttpErrorKind::Cancelled, "cancelled"};
            } else if (result.data) {
                self->m_received = self->m_expected = int64_t(result.data->size());
            }
            self->finish(std::move(result));
        });
    });
}

void UrlSessionDataTask::cancel()
{
    if (m_state != State::Running)
        return;
    m_state = State::Canceling;
    if (m_httpTask)
        m_httpTask->cancel();
}

void UrlSessionDataTask::finish(Result result)
{
    if (m_state == State::Completed)
        return;
    m_state = State::Completed;
    m_httpTask.reset();
    if (auto completion = std::move(m_completion))
        completion(std::move(result));
}

} // namespace net
