#include "platform/net/HttpClient.h"

#include "platform/foundation/RegularFile.h"
#include "platform/foundation/RunLoop.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace net {

namespace {

using SteadyClock = std::chrono::steady_clock;

// An upload's file, opened once and checked: what is sent is that very file, streamed from the disk
// in curl's pieces, never a FIFO or folder swapped in under its name later.
struct UploadFile {
    foundation::RegularFile file;
    curl_off_t position {0};
    // Why the file could not be sent whole; empty while it can.
    std::string failure;
};

struct Transfer {
    uint64_t id {0};
    HttpRequest request;
    HttpClient::Completion completion;
    HttpClient::Progress progress;
    std::shared_ptr<HttpTask> task;
    CURL* easy {nullptr};
    curl_mime* mime {nullptr};
    std::optional<UploadFile> upload;
    curl_slist* headers {nullptr};
    char errorBuffer[CURL_ERROR_SIZE] {};
    HttpResponse response;
    SteadyClock::time_point lastActivity;
    curl_off_t lastSent {0};
    curl_off_t lastReceived {0};
    curl_off_t reportedSent {-1};
    curl_off_t uploadTotal {0};
    bool tooLarge {false};

    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
        if (mime)
            curl_mime_free(mime);
        if (headers)
            curl_slist_free_all(headers);
    }

    SteadyClock::time_point deadline() const
    {
        return lastActivity
            + std::chrono::duration_cast<SteadyClock::duration>(
                std::chrono::duration<double>(request.timeout));
    }
};

size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    size_t bytes = size * count;
    // A chunked reply announces no length and an announced one may be false: the transfer stops
    // at the first byte past the limit, so no more than the limit is ever read or kept.
    if (transfer->response.body.size() + bytes > uint64_t(transfer->request.maxBodySize)) {
        transfer->tooLarge = true;
        return 0;
    }
    if (transfer->response.body.empty()) {
        // One buffer of the announced length (within the limit, which curl checked) instead of
        // growing by doubling, which would hold up to one and a half times the body at its peak.
        curl_off_t announced = -1;
        curl_easy_getinfo(transfer->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        if (announced > 0 && announced <= transfer->request.maxBodySize)
            transfer->response.body.reserve(size_t(announced));
    }
    transfer->response.body.append(data, bytes);
    transfer->lastActivity = SteadyClock::now();
    return bytes;
}

size_t writeHeader(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (line.rfind("HTTP/", 0) == 0) {
        // A new response begins (after "100 Continue" or a redirect).
        transfer->response.headers.clear();
    } else if (auto colon = line.find(':'); colon != std::string::npos) {
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        transfer->response.headers.emplace_back(line.substr(0, colon), value);
    }
    transfer->lastActivity = SteadyClock::now();
    return size * count;
}

// At most the size the file had when it was checked, which is the length announced for it.
size_t readUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto& upload = *static_cast<UploadFile*>(user);
    uint64_t left = upload.file.size() - uint64_t(upload.position);
    size_t wanted = size_t(std::min<uint64_t>(left, uint64_t(size) * count));
    if (wanted == 0)
        return 0;
    ssize_t got = -1;
    do
        got = ::pread(upload.file.descriptor(), buffer, wanted, off_t(upload.position));
    while (got < 0 && errno == EINTR);
    if (got <= 0) {
        upload.failure = got < 0 ? std::strerror(errno) : "it became shorter while it was sent";
        return CURL_READFUNC_ABORT;
    }
    upload.position += got;
    return size_t(got);
}

// A part is read again from its start when a request is sent again (a redirect, an authentication).
int seekUpload(void* user, curl_off_t offset, int origin)
{
    auto& upload = *static_cast<UploadFile*>(user);
    if (origin != SEEK_SET || offset < 0 || uint64_t(offset) > upload.file.size())
        return CURL_SEEKFUNC_CANTSEEK;
    upload.position = offset;
    return CURL_SEEKFUNC_OK;
}

void postProgress(Transfer& transfer, curl_off_t sent, curl_off_t total)
{
    if (!transfer.progress || total == 0 || sent == transfer.reportedSent)
        return;
    transfer.reportedSent = sent;
    foundation::RunLoop::main().post([progress = transfer.progress, sent, total] {
        progress(static_cast<int64_t>(sent), static_cast<int64_t>(total));
    });
}

curl_off_t expectedDownload(Transfer& transfer)
{
    curl_off_t expected = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    return expected > 0 ? expected : -1;
}

int onTransferInfo(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    auto* transfer = static_cast<Transfer*>(user);
    if (sent != transfer->lastSent || received != transfer->lastReceived) {
        transfer->lastSent = sent;
        transfer->lastReceived = received;
        transfer->lastActivity = SteadyClock::now();
    }
    curl_off_t total = 0;
    if (curl_easy_getinfo(transfer->easy, CURLINFO_CONTENT_LENGTH_UPLOAD_T, &total) == CURLE_OK && total > 0)
        transfer->uploadTotal = total;
    if (transfer->request.method == HttpRequest::Method::Post && sent > 0)
        postProgress(*transfer, sent, transfer->uploadTotal);
    if (transfer->request.method == HttpRequest::Method::Get && received > 0)
        postProgress(*transfer, received, expectedDownload(*transfer));
    return 0;
}

HttpErrorKind kindOf(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return HttpErrorKind::None;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpErrorKind::Timeout;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return HttpErrorKind::CannotConnect;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return HttpErrorKind::ConnectionLost;
    case CURLE_READ_ERROR:
        return HttpErrorKind::File;
    case CURLE_ABORTED_BY_CALLBACK:
        return HttpErrorKind::Cancelled;
    default:
        return HttpErrorKind::Other;
    }
}

} // namespace

struct HttpClient::Engine : std::enable_shared_from_this<Engine> {
    std::mutex mutex;
    std::deque<std::unique_ptr<Transfer>> pending;
    bool stopping {false};
    CURLM* multi {nullptr};
    std::thread thread;
    uint64_t nextId {1};
    // Owned by the network thread, and by the destructor once that thread has stopped.
    std::map<CURL*, std::unique_ptr<Transfer>> active;

    void wake() { curl_multi_wakeup(multi); }

    ~Engine()
    {
        if (multi)
            curl_multi_cleanup(multi);
    }

    // Posts the one completion. The caller's blocks (the progress one too, which may hold the
    // object that made the request) travel with it, so they are released on the main thread.
    void finish(std::unique_ptr<Transfer> transfer, HttpErrorKind kind, std::string text)
    {
        transfer->response.errorKind = kind;
        transfer->response.errorText = std::move(text);
        foundation::RunLoop::main().post(
            [completion = std::move(transfer->completion), progress = std::move(transfer->progress),
                response = std::move(transfer->response)]() mutable {
                completion(std::move(response));
                completion = nullptr;
                progress = nullptr;
            });
    }

    // After the thread has stopped: every request still here ends as cancelled.
    void cancelRemaining()
    {
        for (auto& [easy, transfer] : active) {
            remove(easy);
            finish(std::move(transfer), HttpErrorKind::Cancelled, "cancelled");
        }
        active.clear();
        std::deque<std::unique_ptr<Transfer>> left;
        {
            std::lock_guard lock(mutex);
            left.swap(pending);
        }
        for (auto& transfer : left)
            finish(std::move(transfer), HttpErrorKind::Cancelled, "cancelled");
    }

    void remove(CURL* easy) { curl_multi_remove_handle(multi, easy); }

    // Builds the curl handle; an error text when the request cannot be sent.
    std::optional<std::string> setUp(Transfer& transfer)
    {
        const HttpRequest& request = transfer.request;
        CURL* easy = curl_easy_init();
        if (!easy)
            return "cannot create a transfer";
        transfer.easy = easy;
        curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorBuffer);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, writeHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onTransferInfo);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
        // Refuses a reply whose announced length is already too long, before any of it is read.
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBodySize));
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
        // URLs come from server answers: a "file://" one must not read the device's own files.
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_USERAGENT, "MivoInspector");
        curl_easy_setopt(
            easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max(1.0, request.timeout * 1000)));

        for (auto& [name, value] : request.headers)
            transfer.headers = curl_slist_append(transfer.headers, (name + ": " + value).c_str());
        // The stand-in and real servers answer at once; waiting for "100 Continue" only adds delay.
        transfer.headers = curl_slist_append(transfer.headers, "Expect:");

        if (request.method == HttpRequest::Method::Post) {
            // libcurl sends a request again when a reused keep-alive connection turns out dead
            // before any reply; a POST ("add", an upload) must not reach the server twice.
            curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
            curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
        }
        if (request.method == HttpRequest::Method::Get) {
            curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        } else if (request.multipart) {
            transfer.mime = curl_mime_init(easy);
            for (auto& [name, value] : request.formFields) {
                curl_mimepart* part = curl_mime_addpart(transfer.mime);
                curl_mime_name(part, name.c_str());
                curl_mime_data(part, value.data(), value.size());
            }
            if (request.filePart) {
                const FilePart& file = *request.filePart;
                std::string why;
                auto opened = foundation::RegularFile::open(file.path, &why);
                if (!opened)
                    return why;
                auto& upload = transfer.upload.emplace(UploadFile {std::move(*opened)});
                curl_mimepart* part = curl_mime_addpart(transfer.mime);
                curl_mime_name(part, file.name.c_str());
                if (curl_mime_data_cb(
                        part, curl_off_t(upload.file.size()), readUpload, seekUpload, nullptr, &upload)
                    != CURLE_OK)
                    return "cannot read the file " + file.path.string();
                curl_mime_filename(part, file.fileName.c_str());
                if (!file.mimeType.empty())
                    curl_mime_type(part, file.mimeType.c_str());
            }
            curl_easy_setopt(easy, CURLOPT_MIMEPOST, transfer.mime);
        } else {
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
            if (!request.contentType.empty())
                transfer.headers
                    = curl_slist_append(transfer.headers, ("Content-Type: " + request.contentType).c_str());
        }
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headers);
        transfer.lastActivity = SteadyClock::now();
        return std::nullopt;
    }

    void completed(CURL* easy, CURLcode code)
    {
        auto it = active.find(easy);
        if (it == active.end())
            return;
        auto transfer = std::move(it->second);
        active.erase(it);
        remove(easy);
        if (transfer->upload && !transfer->upload->failure.empty()) {
            auto text = "cannot read " + transfer->request.filePart->path.string() + ": "
                + transfer->upload->failure;
            finish(std::move(transfer), HttpErrorKind::File, text);
            return;
        }
        if (transfer->tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
            transfer->response.body.clear();
            transfer->response.body.shrink_to_fit();
            auto text
                = "The reply is larger than " + std::to_string(transfer->request.maxBodySize) + " bytes.";
            finish(std::move(transfer), HttpErrorKind::TooLarge, text);
            return;
        }
        if (code != CURLE_OK) {
            std::string text = transfer->errorBuffer[0] ? transfer->errorBuffer : curl_easy_strerror(code);
            finish(std::move(transfer), kindOf(code), text);
            return;
        }
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        transfer->response.status = status;
        if (transfer->progress && transfer->uploadTotal > 0) {
            curl_off_t sent = 0;
            curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
            if (sent > transfer->reportedSent)
                postProgress(*transfer, sent, transfer->uploadTotal);
        }
        if (transfer->request.method == HttpRequest::Method::Get && !transfer->response.body.empty())
            postProgress(*transfer, curl_off_t(transfer->response.body.size()), expectedDownload(*transfer));
        if (status < 200 || status > 299)
            finish(std::move(transfer), HttpErrorKind::HttpStatus, "HTTP status " + std::to_string(status));
        else
            finish(std::move(transfer), HttpErrorKind::None, {});
    }

    void run()
    {
        for (;;) {
            std::deque<std::unique_ptr<Transfer>> incoming;
            {
                std::lock_guard lock(mutex);
                if (stopping)
                    break;
                incoming.swap(pending);
            }
            for (auto& transfer : incoming) {
                if (transfer->task->isCancelled()) {
                    finish(std::move(transfer), HttpErrorKind::Cancelled, "cancelled");
                    continue;
                }
                if (auto error = setUp(*transfer)) {
                    finish(std::move(transfer), HttpErrorKind::File, *error);
                    continue;
                }
                curl_multi_add_handle(multi, transfer->easy);
                CURL* easy = transfer->easy;
                active.emplace(easy, std::move(transfer));
            }

            auto now = SteadyClock::now();
            for (auto it = active.begin(); it != active.end();) {
                Transfer& transfer = *it->second;
                bool cancelled = transfer.task->isCancelled();
                if (cancelled || now >= transfer.deadline()) {
                    auto owned = std::move(it->second);
                    it = active.erase(it);
                    remove(owned->easy);
                    if (cancelled)
                        finish(std::move(owned), HttpErrorKind::Cancelled, "cancelled");
                    else
                        finish(std::move(owned), HttpErrorKind::Timeout, "The request timed out.");
                    continue;
                }
                ++it;
            }

            int running = 0;
            curl_multi_perform(multi, &running);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE)
                    completed(message->easy_handle, message->data.result);
            }

            auto wait = std::chrono::milliseconds(1000);
            now = SteadyClock::now();
            for (auto& [easy, transfer] : active) {
                auto remaining
                    = std::chrono::duration_cast<std::chrono::milliseconds>(transfer->deadline() - now);
                wait = std::min(
                    wait, std::max(remaining + std::chrono::milliseconds(1), std::chrono::milliseconds(1)));
            }
            curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
        }
    }
};

HttpClient& HttpClient::shared()
{
    static HttpClient client;
    return client;
}

HttpClient::HttpClient()
    : m_engine(std::make_shared<Engine>())
{
    // The run loop must outlive the client, whose thread posts to it.
    foundation::RunLoop::main();
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_engine->multi = curl_multi_init();
    m_engine->thread = std::thread([engine = m_engine.get()] { engine->run(); });
}

HttpClient::~HttpClient()
{
    {
        std::lock_guard lock(m_engine->mutex);
        m_engine->stopping = true;
    }
    m_engine->wake();
    if (m_engine->thread.joinable())
        m_engine->thread.join();
    m_engine->cancelRemaining();
    // A task's cancel() on another thread may hold the engine a moment longer: the multi handle
    // that it wakes goes with the engine's last owner, not here.
    m_engine.reset();
}

std::shared_ptr<HttpTask> HttpClient::start(HttpRequest request, Completion completion, Progress progress)
{
    auto transfer = std::make_unique<Transfer>();
    std::weak_ptr<Engine> weakEngine = m_engine;
    {
        std::lock_guard lock(m_engine->mutex);
        transfer->id = m_engine->nextId++;
    }
    transfer->task = std::make_shared<HttpTask>(transfer->id, [weakEngine] {
        if (auto engine = weakEngine.lock())
            engine->wake();
    });
    transfer->request = std::move(request);
    transfer->completion = std::move(completion);
    transfer->progress = std::move(progress);
    auto task = transfer->task;
    {
        std::lock_guard lock(m_engine->mutex);
        m_engine->pending.push_back(std::move(transfer));
    }
    m_engine->wake();
    return task;
}

} // namespace net
