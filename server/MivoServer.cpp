#include "server/MivoServer.h"

#include "server/MediaStore.h"
#include "server/Misbehaviour.h"
#include "server/ServerStore.h"
#include "server/ServiceApi.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <httplib.h>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <thread>

namespace server {

namespace {

constexpr size_t kMaxFieldBytes = 64 * 1024;
constexpr int kListenBacklog = 512;
constexpr const char* kDroppedHeader = "X-Mivo-Dropped";
constexpr const char* kRefusedMessage = "服务器拒绝了请求";
constexpr const char* kNonJsonBody = "<html><body><h1>Service Temporarily Unavailable</h1></body></html>";
constexpr size_t kHugeReplyBytes = 30'000'000;

// The "huge" reply, made as it is sent: a client that hangs up early costs the server nothing.
bool writeHugeReply(size_t offset, httplib::DataSink& sink)
{
    static const std::string head = R"({"Success":true,"Msg":"","Data":[0)";
    static const std::string zeros = [] {
        std::string text;
        for (int i = 0; i < 32 * 1024; ++i)
            text += ",0";
        return text;
    }();
    if (offset == 0)
        return sink.write(head.data(), head.size());
    if (offset < kHugeReplyBytes)
        return sink.write(zeros.data(), zeros.size());
    bool written = sink.write("]}", 2);
    sink.done();
    return written;
}

// What the current worker did out of the ordinary, for its request's log line.
thread_local std::string t_logNote;

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// cpp-httplib hides the socket from handlers; find it by its two ports and shut it down, so the
// client sees the connection close with no reply at all.
bool dropConnection(const httplib::Request& req)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (...) {
            continue;
        }
        sockaddr_storage local {}, peer {};
        socklen_t localLength = sizeof local, peerLength = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0
            || getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0)
            continue;
        if (portOf(local) == req.local_port && portOf(peer) == req.remote_port) {
            ::shutdown(fd, SHUT_RDWR);
            return true;
        }
    }
    return false;
}

Form formOf(const httplib::Request& req)
{
    Form form;
    for (const auto& [key, value] : req.params)
        form.emplace(key, value); // the first value of a key wins: the query's "method" over a body field
    for (const auto& [key, file] : req.files) {
        if (file.filename.empty())
            form.emplace(key, file.content);
    }
    return form;
}

void send(httplib::Response& res, const Reply& reply)
{
    res.status = reply.status;
    res.set_content(reply.body, reply.contentType);
}

bool isFilePart(const httplib::MultipartFormData& header)
{
    if (!header.filename.empty())
        return true;
    return header.name.starts_with("file") && header.name != "filename"
        && header.name != "filelastModifyTime";
}

// cpp-httplib listens with a backlog of 5: a client sending a task's files at once would see dropped
// SYNs (a one-second stall each) and, past the queue, resets.
class HttpServer : public httplib::Server {
public:
    void raiseBacklog(int backlog) { ::listen(svr_sock_, backlog); }
};

} // namespace

struct MivoServer::Impl {
    explicit Impl(ServerOptions o)
        : options(std::move(o))
    { }

    ServerOptions options;
    std::unique_ptr<ServerStore> store;
    std::unique_ptr<MediaStore> media;
    std::unique_ptr<ServiceApi> api;
    Misbehaviour misbehaviour;
    HttpServer http;
    std::thread thread;
    int port = -1;
    std::mutex logMutex;

    void log(const std::string& line)
    {
        if (!options.logRequests)
            return;
        std::time_t t = std::time(nullptr);
        std::tm tm {};
        localtime_r(&t, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
        std::lock_guard lock(logMutex);
        std::fprintf(stderr, "%s mivo-server: %s\n", stamp, line.c_str());
        std::fflush(stderr);
    }

    // Applies a rule before the handler runs; true when the request has been answered (or dropped).
    bool misbehaveBefore(const MisbehaviourRule& rule, const httplib::Request& req, httplib::Response& res,
        const httplib::ContentReader* reader)
    {
        misbehaviour.sleep(rule.delayMs);
        if (rule.delayMs > 0)
            t_logNote = " [delayed " + std::to_string(rule.delayMs) + " ms]";
        switch (rule.mode) {
        case MisbehaviourMode::Drop:
            log(req.method + " " + req.target + " -> dropped"
                + (dropConnection(req) ? "" : " (socket not found)"));
            t_logNote.clear();
            // Nothing more on this connection, and no second log line for it.
            res.set_header("Connection", "close");
            res.set_header(kDroppedHeader, "1");
            return true;
        case MisbehaviourMode::Status500:
        case MisbehaviourMode::NonJson:
        case MisbehaviourMode::Refuse:
        case MisbehaviourMode::Huge:
            if (reader) {
                // Read the body first so the reply is not lost to a reset connection.
                if (req.is_multipart_form_data())
                    (*reader)([](const httplib::MultipartFormData&) { return true; },
                        [](const char*, size_t) { return true; });
                else
                    (*reader)([](const char*, size_t) { return true; });
            }
            if (rule.mode == MisbehaviourMode::Status500) {
                res.status = 500;
                res.set_content("Internal Server Error", "text/plain");
            } else if (rule.mode == MisbehaviourMode::Huge) {
                res.status = 200;
                res.set_chunked_content_provider(reader ? "text/html" : "application/json", writeHugeReply);
            } else if (rule.mode == MisbehaviourMode::Refuse) {
                Reply refused = ServiceApi::failure(kRefusedMessage);
                // Upload replies always come as "text/html".
                if (reader)
                    refused.contentType = "text/html";
                send(res, refused);
            } else {
                res.status = 200;
                res.set_content(kNonJsonBody, "text/html");
            }
            t_logNote += std::string(" [misbehaving: ") + Misbehaviour::modeName(rule.mode) + "]";
            return true;
        default:
            return false;
        }
    }

    void misbehaveAfter(const MisbehaviourRule& rule, httplib::Response& res)
    {
        if (rule.mode != MisbehaviourMode::ContentType)
            return;
        std::string type = res.get_header_value("Content-Type").starts_with("text/html") ? "application/json"
                                                                                         : "text/plain";
        res.set_content(res.body, type);
        t_logNote += " [misbehaving: contenttype " + type + "]";
    }

    httplib::Server::Handler guarded(std::function<void(const httplib::Request&, httplib::Response&)> handler)
    {
        return [this, handler](const httplib::Request& req, httplib::Response& res) {
            auto rule = misbehaviour.take(req.target);
            if (rule && misbehaveBefore(*rule, req, res, nullptr))
                return;
            handler(req, res);
            if (rule)
                misbehaveAfter(*rule, res);
        };
    }

    void handleUpload(
        const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader)
    {
        auto rule = misbehaviour.take(req.target);
        if (rule && misbehaveBefore(*rule, req, res, &reader))
            return;
        Form form = formOf(req);
        UploadedPart part;
        bool ok = true;
        if (req.is_multipart_form_data()) {
            std::ofstream out;
            bool inFile = false;
            std::string currentField;
            std::set<std::string> seen;
            ok = reader(
                [&](const httplib::MultipartFormData& header) {
                    inFile = false;
                    currentField.clear();
                    if (out.is_open())
                        out.close();
                    if (isFilePart(header)) {
                        if (part.present) {
                            part.tooMany = true;
                            return true;
                        }
                        part.present = true;
                        part.partName = header.name;
                        part.fileName = header.filename;
                        part.contentType = header.content_type;
                        part.tempFile = media->newTempFile();
                        out.open(part.tempFile, std::ios::binary | std::ios::trunc);
                        inFile = true;
                        return static_cast<bool>(out);
                    }
                    if (seen.insert(header.name).second && !form.count(header.name)) {
                        currentField = header.name;
                        form[currentField];
                    }
                    return true;
                },
                [&](const char* data, size_t length) {
                    if (inFile) {
                        part.size += length;
                        if (part.size > api->maxUploadBytes()) {
                            // Keep reading to the end so the client gets its answer, but store nothing.
                            part.oversize = true;
                            inFile = false;
                            out.close();
                            return true;
                        }
                        out.write(data, static_cast<std::streamsize>(length));
                        return static_cast<bool>(out);
                    }
                    if (!currentField.empty()) {
                        std::string& value = form[currentField];
                        value.append(
                            data, std::min(length, kMaxFieldBytes - std::min(kMaxFieldBytes, value.size())));
                    }
                    return true;
                });
            if (out.is_open())
                out.close();
        } else {
            reader([](const char*, size_t) { return true; });
        }

        Reply reply;
        if (!ok) {
            reply = ServiceApi::failure(res.status == 413 ? api->oversizeMessage() : "上传数据不完整");
            reply.contentType = "text/html";
        } else {
            reply = api->upload(form, part);
        }
        std::error_code ec;
        if (!part.tempFile.empty())
            std::filesystem::remove(part.tempFile, ec);
        send(res, reply);
        if (rule)
            misbehaveAfter(*rule, res);
    }

    void serveMedia(const httplib::Request& req, httplib::Response& res)
    {
        auto path = media->resolve(req.path);
        if (!path) {
            Reply reply = ServiceApi::failure("文件不存在");
            reply.status = 404;
            send(res, reply);
            return;
        }
        std::error_code ec;
        auto size = std::filesystem::file_size(*path, ec);
        auto stream = std::make_shared<std::ifstream>(*path, std::ios::binary);
        if (ec || !*stream) {
            Reply reply = ServiceApi::failure("文件不可读");
            reply.status = 404;
            send(res, reply);
            return;
        }
        res.set_content_provider(static_cast<size_t>(size), MediaStore::contentTypeFor(*path),
            [stream](size_t offset, size_t length, httplib::DataSink& sink) {
                char buffer[64 * 1024];
                stream->clear();
                stream->seekg(static_cast<std::streamoff>(offset));
                size_t chunk = std::min(length, sizeof buffer);
                stream->read(buffer, static_cast<std::streamsize>(chunk));
                auto got = stream->gcount();
                if (got <= 0)
                    return false;
                return sink.write(buffer, static_cast<size_t>(got));
            });
    }

    Reply adminMisbehave(const Form& form)
    {
        auto get = [&](const char* key) {
            auto it = form.find(key);
            return it == form.end() ? std::string() : it->second;
        };
        const std::string modeText = get("mode");
        if (modeText == "none" || modeText == "clear") {
            misbehaviour.clear();
            return ServiceApi::envelope(true, "behaving again");
        }
        auto mode = Misbehaviour::parseMode(modeText);
        if (!mode)
            return ServiceApi::failure(
                "mode must be one of none, delay, drop, 500, nonjson, contenttype, refuse, huge");
        MisbehaviourRule rule;
        rule.mode = *mode;
        rule.pathPrefix = get("path");
        try {
            if (!get("delayMs").empty())
                rule.delayMs = std::stoi(get("delayMs"));
            if (!get("count").empty())
                rule.count = std::stoi(get("count"));
        } catch (...) {
            return ServiceApi::failure("delayMs and count must be integers");
        }
        if (rule.mode == MisbehaviourMode::Delay && rule.delayMs <= 0)
            return ServiceApi::failure("delay needs delayMs > 0");
        if (rule.count == 0 || rule.count < -1)
            return ServiceApi::failure("count must be positive (or -1 for unlimited)");
        misbehaviour.add(rule);
        return ServiceApi::envelope(true,
            std::string("misbehaving: ") + Misbehaviour::modeName(rule.mode) + " on \"" + rule.pathPrefix
                + "\"");
    }

    void setUpRoutes()
    {
        auto services = guarded([this](const httplib::Request& req, httplib::Response& res) {
            send(res, api->handle(req.path, formOf(req)));
        });
        for (const char* path :
            {"/Services/Login.ashx", "/Services/userinfo.ashx", "/Services/CarTask.ashx"}) {
            http.Post(path, services);
            http.Get(path, services);
        }
        http.Post("/Services/FileUpload.ashx",
            [this](const httplib::Request& req, httplib::Response& res,
                const httplib::ContentReader& reader) { handleUpload(req, res, reader); });
        http.Get("/media/.*",
            guarded([this](const httplib::Request& req, httplib::Response& res) { serveMedia(req, res); }));
        auto admin = [this](const httplib::Request& req, httplib::Response& res) {
            const std::string action = req.matches.size() > 1 ? req.matches[1].str() : std::string();
            Form form = formOf(req);
            send(res, action == "misbehave" ? adminMisbehave(form) : api->admin(action, form));
        };
        http.Post("/admin/(finish|reject|user|misbehave|tasks)", admin);
        http.Get("/admin/(tasks)", admin);

        http.set_error_handler(
            httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
                if (!res.body.empty() || res.has_header("Content-Length"))
                    return httplib::Server::HandlerResponse::Unhandled;
                std::string msg = res.status == 404 ? "接口不存在"
                    : res.status == 413             ? "请求过大"
                                        : "请求错误 (HTTP " + std::to_string(res.status) + ")";
                res.set_content(ServiceApi::failure(msg).body, "application/json");
                return httplib::Server::HandlerResponse::Handled;
            }));
        http.set_exception_handler(
            [this](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
                std::string what = "unknown error";
                try {
                    std::rethrow_exception(ep);
                } catch (const std::exception& e) {
                    what = e.what();
                } catch (...) { }
                log(req.method + " " + req.target + " raised: " + what);
                res.status = 500;
                res.set_content(ServiceApi::failure("服务器内部错误: " + what).body, "application/json");
            });
        http.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
            if (res.has_header(kDroppedHeader))
                return;
            std::string size = res.get_header_value("Content-Length");
            log(req.method + " " + req.target + " -> " + std::to_string(res.status) + " ("
                + (size.empty() ? "0" : size) + " bytes)" + t_logNote);
            t_logNote.clear();
        });
    }
};

MivoServer::MivoServer(ServerOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options)))
{ }

MivoServer::~MivoServer()
{
    stop();
}

bool MivoServer::start(std::string* error)
{
    auto& d = *m_impl;
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        d.log(message);
        return false;
    };
    // The socket layer takes a port modulo 65536: 70000 would listen on 4464 and report 70000.
    if (d.options.port < 0 || d.options.port > 65535)
        return fail("the port " + std::to_string(d.options.port) + " is outside 0 to 65535");
    try {
        std::filesystem::create_directories(d.options.dataDir);
        d.store = std::make_unique<ServerStore>(d.options.dataDir / "mivo-server.sqlite");
        d.store->seedDefaultUsers();
        d.media = std::make_unique<MediaStore>(d.options.dataDir);
    } catch (const std::exception& e) {
        return fail("cannot open the data folder " + d.options.dataDir.string() + ": " + e.what());
    }
    d.api = std::make_unique<ServiceApi>(*d.store, *d.media, d.options.clock, d.options.maxUploadBytes);
    for (const auto& rule : d.options.misbehaviour)
        d.misbehaviour.add(rule);

    // A peer that goes away mid-reply must not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    d.setUpRoutes();
    d.http.set_tcp_nodelay(true);
    // cpp-httplib's default adds SO_REUSEPORT, with which a port-0 bind may share another server's port.
    d.http.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    d.http.set_keep_alive_max_count(1000);
    d.http.set_keep_alive_timeout(5);
    d.http.set_read_timeout(30);
    d.http.set_write_timeout(30);
    d.http.set_payload_max_length(static_cast<size_t>(d.options.maxUploadBytes + 1024 * 1024));
    int threads = std::max(4, d.options.threads);
    d.http.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };

    if (d.options.port == 0)
        d.port = d.http.bind_to_any_port(d.options.host);
    else
        d.port = d.http.bind_to_port(d.options.host, d.options.port) ? d.options.port : -1;
    if (d.port <= 0)
        return fail("cannot listen on " + d.options.host + ":" + std::to_string(d.options.port));
    d.http.raiseBacklog(kListenBacklog);
    d.thread = std::thread([&d] { d.http.listen_after_bind(); });
    for (int i = 0; i < 5000 && !d.http.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    if (!d.options.portFile.empty()) {
        auto temp = d.options.portFile;
        temp += ".tmp";
        {
            std::ofstream out(temp, std::ios::trunc);
            out << d.port << "\n";
        }
        std::error_code ec;
        std::filesystem::rename(temp, d.options.portFile, ec);
        if (ec)
            return fail("cannot write the port file " + d.options.portFile.string() + ": " + ec.message());
    }
    d.log("listening on http://" + d.options.host + ":" + std::to_string(d.port) + " with data in "
        + d.options.dataDir.string());
    return true;
}

void MivoServer::stop()
{
    auto& d = *m_impl;
    d.misbehaviour.interrupt();
    if (d.thread.joinable()) {
        d.http.stop();
        d.thread.join();
    }
}

bool MivoServer::isRunning() const
{
    return m_impl->http.is_running();
}

int MivoServer::port() const
{
    return m_impl->port;
}

std::string MivoServer::baseUrl() const
{
    return mediaBaseUrl() + "/Services";
}

std::string MivoServer::mediaBaseUrl() const
{
    return "http://" + m_impl->options.host + ":" + std::to_string(m_impl->port);
}

Misbehaviour& MivoServer::misbehaviour()
{
    return m_impl->misbehaviour;
}

ServerStore& MivoServer::store()
{
    return *m_impl->store;
}

} // namespace server
