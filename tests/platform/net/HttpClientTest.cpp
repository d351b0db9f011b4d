#include "platform/net/HttpClient.h"
#include "platform/foundation/RunLoop.h"

#include "platform/foundation/FileSystem.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using net::HttpClient;
using net::HttpErrorKind;
using net::HttpRequest;
using net::HttpResponse;
namespace fs = std::filesystem;

namespace {

// A loopback server whose handlers each test sets up.
class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        ASSERT_TRUE(m_server.bind());
        m_base = m_server.base();
    }
    void TearDown() override
    {
        m_server.stopListening();
        foundation::RunLoop::main().reset();
    }

    // Accepts connections from here on. Tests set their handlers and data first: the server's
    // threads start after them, so they see both (the socket alone orders nothing for the race
    // checker).
    void listen() { ASSERT_TRUE(m_server.start()); }

    // Starts the request and runs the main loop until its one completion arrives.
    HttpResponse run(HttpRequest request, HttpClient::Progress progress = {})
    {
        listen();
        int completions = 0;
        HttpResponse result;
        HttpClient::shared().start(
            std::move(request),
            [&](HttpResponse response) {
                EXPECT_TRUE(foundation::RunLoop::main().isMainThread());
                ++completions;
                result = std::move(response);
            },
            std::move(progress));
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return completions > 0; }, 10));
        foundation::RunLoop::main().runFor(0.05);
        EXPECT_EQ(completions, 1);
        return result;
    }

    mivo::test::LoopbackServer m_server;
    std::string m_base;
};

TEST_F(HttpClientTest, FormPostIsEncodedAndTheAnswerKeptRaw)
{
    m_server.Post("/form", [](const httplib::Request& request, httplib::Response& response) {
        std::string body = request.get_header_value("Content-Type") + "|" + request.get_param_value("name")
            + "|" + request.get_param_value("sign") + "|" + request.body;
        body += std::string("\0\xff", 2);
        response.set_content(body, "text/plain; charset=utf-8");
    });
    auto response
        = run(HttpRequest::formPost(m_base + "/form", {{"name", "张 三&x=1"}, {"sign", "100%+/?"}}, 5));
    ASSERT_TRUE(response.succeeded()) << response.errorText;
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.mimeType(), "text/plain");
    EXPECT_EQ(response.header("content-type"), "text/plain; charset=utf-8");
    EXPECT_EQ(response.body,
        std::string("application/x-www-form-urlencoded; charset=utf-8|张 三&x=1|100%+/?|"
                    "name=%E5%BC%A0%20%E4%B8%89%26x%3D1&sign=100%25%2B%2F%3F")
            + std::string("\0\xff", 2));
}

TEST_F(HttpClientTest, MultipartStreamsTheFileWithRisingProgress)
{
    auto file
        = std::filesystem::temp_directory_path() / ("mivo-net-upload-" + std::to_string(getpid()) + ".bin");
    std::string contents(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < contents.size(); ++i)
        contents[i] = static_cast<char>(i * 131 % 251);
    std::ofstream(file, std::ios::binary) << contents;

    std::mutex mutex; // the reply reaches us through a socket, which orders nothing for the race checker
    std::string received;
    m_server.Post("/upload", [&](const httplib::Request& request, httplib::Response& response) {
        auto part = request.get_file_value("file7");
        std::lock_guard lock(mutex);
        received = part.filename + "|" + part.content_type + "|" + request.get_file_value("seq").content;
        response.set_content(part.content == contents ? "same" : "different", "text/html");
    });
    std::vector<std::pair<int64_t, int64_t>> steps;
    auto response = run(HttpRequest::multipartPost(m_base + "/upload", {{"seq", "3"}},
                            net::FilePart {"file7", file, "1700.jpg", "image/jpeg"}, 5),
        [&](int64_t sent, int64_t expected) {
            EXPECT_TRUE(foundation::RunLoop::main().isMainThread());
            steps.emplace_back(sent, expected);
        });
    std::filesystem::remove(file);
    ASSERT_TRUE(response.succeeded()) << response.errorText;
    EXPECT_EQ(response.body, "same");
    std::lock_guard lock(mutex);
    EXPECT_EQ(received, "1700.jpg|image/jpeg|3");
    ASSERT_GE(steps.size(), 2u);
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_GT(steps[i].first, steps[i - 1].first);
    EXPECT_EQ(steps.back().first, steps.back().second);
    EXPECT_GT(steps.back().second, static_cast<int64_t>(contents.size()));
}

TEST_F(HttpClientTest, FailuresSayWhatWentWrong)
{
    m_server.Get("/slow", [](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        response.set_content("late", "text/plain");
    });
    m_server.Get("/broken", [](const httplib::Request&, httplib::Response& response) {
        response.status = 500;
        response.set_content("oops", "text/plain");
    });
    auto timedOut = run(HttpRequest::get(m_base + "/slow", 0.2));
    EXPECT_EQ(timedOut.errorKind, HttpErrorKind::Timeout);

    auto broken = run(HttpRequest::get(m_base + "/broken", 5));
    EXPECT_EQ(broken.errorKind, HttpErrorKind::HttpStatus);
    EXPECT_EQ(broken.status, 500);
    EXPECT_EQ(broken.body, "oops");

    auto missing = run(HttpRequest::multipartPost(
        m_base + "/upload", {}, net::FilePart {"file", "/nonexistent/x.jpg", "x.jpg", "image/jpeg"}, 5));
    EXPECT_EQ(missing.errorKind, HttpErrorKind::File);

    // Only HTTP(S): a URL from an answer cannot read local files.
    auto secret = std::filesystem::temp_directory_path() / ("mivo-net-secret-" + std::to_string(::getpid()));
    std::ofstream(secret) << "secret";
    auto local = run(HttpRequest::get("file://" + secret.string(), 5));
    std::filesystem::remove(secret);
    EXPECT_NE(local.errorKind, HttpErrorKind::None);
    EXPECT_EQ(local.body, "");

    // A port nobody listens on: bound once, then closed.
    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);
    ::close(socket);
    auto refused = run(HttpRequest::get("http://127.0.0.1:" + std::to_string(port) + "/", 5));
    EXPECT_EQ(refused.errorKind, HttpErrorKind::CannotConnect);
}

// Served by hand on a raw socket, so that the test decides when an upload's body is read: the
// client's file is changed under its name while the request is under way.
class HandServedUpload : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ASSERT_EQ(::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ASSERT_EQ(::listen(m_listener, 1), 0);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/upload";
        // Larger than the sockets' buffers on both sides, so most of it waits for the reads here.
        m_contents.resize(24 * 1024 * 1024);
        for (size_t i = 0; i < m_contents.size(); ++i)
            m_contents[i] = static_cast<char>(i * 131 % 251);
        m_file = m_home.path() / "1700.jpg";
        ASSERT_TRUE(foundation::writeFileAtomically(m_file, m_contents));
    }
    void TearDown() override
    {
        if (m_connection >= 0)
            ::close(m_connection);
        ::close(m_listener);
        foundation::RunLoop::main().reset();
    }

    // Starts the upload, takes its connection and reads up to the end of the request's head;
    // the length of the body it announces.
    size_t startAndReadHead()
    {
        HttpClient::shared().start(HttpRequest::multipartPost(m_url, {{"seq", "3"}},
                                       net::FilePart {"file7", m_file, "1700.jpg", "image/jpeg"}, 10),
            [this](HttpResponse response) {
                ++m_completions;
                m_response = std::move(response);
            });
        m_connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        EXPECT_GE(m_connection, 0);
        size_t end = std::string::npos;
        while ((end = m_received.find("\r\n\r\n")) == std::string::npos && receive()) { }
        EXPECT_NE(end, std::string::npos);
        std::string head = m_received.substr(0, end);
        m_received.erase(0, end + 4);
        auto at = head.find("Content-Length: ");
        return at == std::string::npos ? 0 : std::stoul(head.substr(at + 16));
    }
    // Reads on until `length` bytes of the body are in or the client hung up.
    void readBody(size_t length)
    {
        while (m_received.size() < length && receive()) { }
    }
    bool receive()
    {
        char buffer[64 * 1024];
        ssize_t got = ::recv(m_connection, buffer, sizeof(buffer), 0);
        if (got > 0)
            m_received.append(buffer, size_t(got));
        return got > 0;
    }
    void answer(const std::string& body)
    {
        std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size())
            + "\r\nConnection: close\r\n\r\n" + body;
        EXPECT_EQ(::send(m_connection, reply.data(), reply.size(), MSG_NOSIGNAL), ssize_t(reply.size()));
    }
    void runUntilCompleted()
    {
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return m_completions > 0; }, 10));
        EXPECT_EQ(m_completions, 1);
    }

    mivo::test::TimeLimit m_limit {60};
    mivo::test::TempHome m_home;
    int m_listener {-1};
    int m_connection {-1};
    std::string m_url;
    std::string m_contents;
    fs::path m_file;
    std::string m_received;
    int m_completions {0};
    HttpResponse m_response;
};

TEST_F(HandServedUpload, TheFileCheckedIsTheFileSentWhateverItsNameNamesLater)
{
    size_t length = startAndReadHead();
    ASSERT_GT(length, m_contents.size());
    // A FIFO takes the file's name while the upload is under way: the file opened and checked
    // goes on to the end, and nothing waits for the FIFO.
    auto fifo = m_home.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::rename(fifo.c_str(), m_file.c_str()), 0);
    readBody(length);
    ASSERT_EQ(m_received.size(), length);
    EXPECT_NE(m_received.find(m_contents), std::string::npos) << "the file whole, as it was";
    answer("same");
    runUntilCompleted();
    ASSERT_TRUE(m_response.succeeded()) << m_response.errorText;
    EXPECT_EQ(m_response.body, "same");
}

TEST_F(HandServedUpload, AFileThatShrinksWhileSentFailsAsAFileNotAsCancelled)
{
    size_t length = startAndReadHead();
    ASSERT_EQ(::truncate(m_file.c_str(), 1), 0);
    readBody(length);
    EXPECT_LT(m_received.size(), length) << "the client hangs up rather than send less than it announced";
    runUntilCompleted();
    EXPECT_EQ(m_response.errorKind, HttpErrorKind::File);
    EXPECT_EQ(
        m_response.errorText, "cannot read " + m_file.string() + ": it became shorter while it was sent");
}

TEST_F(HttpClientTest, AnUploadOfAFolderOrFifoFailsAsAFileWithoutWaiting)
{
    mivo::test::TimeLimit limit(30);
    mivo::test::TempHome home;
    auto folder = home.path() / "folder.jpg";
    auto fifo = home.path() / "fifo.jpg";
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (auto [path, why] : {std::pair {folder, "it is a folder"}, {fifo, "it is a FIFO"}}) {
        SCOPED_TRACE(path);
        auto response = run(HttpRequest::multipartPost(
            m_base + "/upload", {}, net::FilePart {"file", path, "x.jpg", "image/jpeg"}, 5));
        EXPECT_EQ(response.errorKind, HttpErrorKind::File);
        EXPECT_EQ(response.errorText, "cannot open " + path.string() + ": " + why);
    }
}

TEST_F(HttpClientTest, AReplyPastItsLimitEndsAsTooLargeWithoutKeepingIt)
{
    // 64 KB chunks without a length, until the client hangs up or `limit` bytes went out.
    auto endless = [](size_t limit) {
        return [limit](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider(
                "application/json", [limit](size_t offset, httplib::DataSink& sink) {
                    if (offset >= limit) {
                        sink.done();
                        return true;
                    }
                    std::string chunk(64 * 1024, ' ');
                    return sink.write(chunk.data(), chunk.size());
                });
        };
    };
    m_server.Get("/exact", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(1000, 'x'), "text/plain");
    });
    m_server.Get("/announced", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(1001, 'x'), "text/plain");
    });
    m_server.Get("/chunked", endless(1024 * 1024));
    m_server.Post("/huge", endless(size_t(HttpRequest::kDefaultMaxBodySize) + 8 * 1024 * 1024));
    m_server.Get("/photo", endless(size_t(HttpRequest::kDefaultMaxBodySize) + 1024 * 1024));

    auto limited = [&](const char* path) {
        auto request = HttpRequest::get(m_base + path, 5);
        request.maxBodySize = 1000;
        return request;
    };
    auto exact = run(limited("/exact"));
    ASSERT_TRUE(exact.succeeded()) << exact.errorText;
    EXPECT_EQ(exact.body.size(), 1000u);

    for (const char* path : {"/announced", "/chunked"}) {
        SCOPED_TRACE(path);
        auto tooLong = run(limited(path));
        EXPECT_EQ(tooLong.errorKind, HttpErrorKind::TooLarge);
        EXPECT_TRUE(tooLong.body.empty());
    }

    // Every request has a limit: a form post's reply gets the default, a photo may be larger.
    auto huge = run(HttpRequest::formPost(m_base + "/huge", {{"a", "1"}}, 5));
    EXPECT_EQ(huge.errorKind, HttpErrorKind::TooLarge);
    EXPECT_TRUE(huge.body.empty());
    auto photoRequest = HttpRequest::get(m_base + "/photo", 5);
    photoRequest.maxBodySize = HttpRequest::kMediaMaxBodySize;
    auto photo = run(photoRequest);
    ASSERT_TRUE(photo.succeeded()) << photo.errorText;
    EXPECT_GT(photo.body.size(), size_t(HttpRequest::kDefaultMaxBodySize));
}

TEST_F(HttpClientTest, TheLimitEndsTheTransferNotJustTheKeeping)
{
    // Either reply would go on for 64 MB: what the server got out before the client hung up tells
    // how much was read. The sockets' buffers on both sides take a few MB at most.
    constexpr size_t kOffered = 64 * 1024 * 1024;
    constexpr size_t kReadAtMost = 24 * 1024 * 1024;
    struct Sent {
        std::atomic<size_t> bytes {0};
        std::atomic<bool> ended {false};
    };
    Sent chunked, lying;
    const std::string chunk(64 * 1024, '0');
    m_server.Post("/chunked", [&](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "application/json",
            [&](size_t offset, httplib::DataSink& sink) {
                if (offset >= kOffered) {
                    sink.done();
                    return true;
                }
                if (!sink.write(chunk.data(), chunk.size()))
                    return false;
                chunked.bytes = offset + chunk.size();
                return true;
            },
            [&](bool) { chunked.ended = true; });
    });
    // Announces 1,000 bytes and sends on regardless.
    m_server.Post("/lying", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            1000, "application/json",
            [&](size_t, size_t, httplib::DataSink& sink) {
                while (lying.bytes < kOffered && sink.write(chunk.data(), chunk.size()))
                    lying.bytes += chunk.size();
                return true;
            },
            [&](bool) { lying.ended = true; });
    });
    auto post = [&](const char* path) {
        auto request = HttpRequest::formPost(m_base + path, {{"a", "1"}}, 5);
        request.maxBodySize = 1024 * 1024;
        return run(std::move(request));
    };

    auto cut = post("/chunked");
    EXPECT_EQ(cut.errorKind, HttpErrorKind::TooLarge);
    EXPECT_TRUE(cut.body.empty());
    // Only the announced bytes are the reply; the rest is never read.
    auto announced = post("/lying");
    ASSERT_TRUE(announced.succeeded()) << announced.errorText;
    EXPECT_EQ(announced.body, chunk.substr(0, 1000));

    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return chunked.ended && lying.ended; }, 10));
    EXPECT_LT(chunked.bytes.load(), kReadAtMost);
    EXPECT_LT(lying.bytes.load(), kReadAtMost);
}

TEST_F(HttpClientTest, CancelEndsTheRequestOnce)
{
    m_server.Get("/slow", [](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        response.set_content("late", "text/plain");
    });
    listen();
    int completions = 0;
    HttpResponse result;
    auto task = HttpClient::shared().start(HttpRequest::get(m_base + "/slow", 5), [&](HttpResponse response) {
        ++completions;
        result = std::move(response);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    task->cancel();
    task->cancel();
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return completions > 0; }, 5));
    foundation::RunLoop::main().runFor(0.6);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(result.errorKind, HttpErrorKind::Cancelled);
}

} // namespace

namespace {

// A loopback port whose connections the kernel completes but nobody reads: requests to it stay
// open until cancelled.
class SilentPort {
public:
    SilentPort()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(m_socket, 512);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    }
    ~SilentPort() { ::close(m_socket); }
    const std::string& url() const { return m_url; }

private:
    int m_socket {-1};
    std::string m_url;
};

TEST(HttpClientLifeTest, DestroyingTheClientEndsEveryRequestOnceWhileOthersCancel)
{
    foundation::RunLoop::main().reset();
    SilentPort port;
    constexpr int kRounds = 20;
    constexpr int kRequests = 12;
    std::vector<int> completions(kRounds * kRequests, 0);
    std::vector<HttpErrorKind> kinds(completions.size(), HttpErrorKind::None);
    for (int round = 0; round < kRounds; ++round) {
        auto client = std::make_unique<HttpClient>();
        std::vector<std::shared_ptr<net::HttpTask>> tasks;
        for (int i = 0; i < kRequests; ++i) {
            int slot = round * kRequests + i;
            tasks.push_back(client->start(HttpRequest::get(port.url(), 30), [&, slot](HttpResponse response) {
                ++completions[slot];
                kinds[slot] = response.errorKind;
            }));
        }
        // Half of them are cancelled from another thread while the client goes away.
        std::atomic<bool> go {false};
        std::thread canceller([&] {
            while (!go)
                std::this_thread::yield();
            for (size_t i = 0; i < tasks.size(); i += 2) {
                tasks[i]->cancel();
                std::this_thread::yield();
            }
        });
        if (round % 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // let some become active first
        go = true;
        client.reset();
        canceller.join();
        for (auto& task : tasks)
            task->cancel(); // after the client: must touch nothing
    }
    foundation::RunLoop::main().runFor(0.05);
    for (size_t slot = 0; slot < completions.size(); ++slot) {
        EXPECT_EQ(completions[slot], 1) << "request " << slot;
        EXPECT_EQ(kinds[slot], HttpErrorKind::Cancelled) << "request " << slot;
    }
    foundation::RunLoop::main().reset();
}

TEST(HttpClientLifeTest, TheCallersBlocksAreReleasedOnTheMainThread)
{
    foundation::RunLoop::main().reset();
    // Stands for the request object that an upload's progress block keeps alive.
    struct Owner {
        std::thread::id* releasedOn;
        ~Owner() { *releasedOn = std::this_thread::get_id(); }
    };
    std::thread::id progressReleasedOn, completionReleasedOn;
    auto progressOwner = std::make_shared<Owner>(Owner {&progressReleasedOn});
    auto completionOwner = std::make_shared<Owner>(Owner {&completionReleasedOn});
    std::weak_ptr<Owner> progressWatch = progressOwner, completionWatch = completionOwner;
    int completions = 0;
    {
        HttpClient client;
        // Refused at once (nothing listens on port 1): no progress is ever posted, so the transfer
        // holds the only copy of the progress block.
        client.start(
            HttpRequest::multipartPost("http://127.0.0.1:1/upload", {{"seq", "1"}}, std::nullopt, 5),
            [&, owner = std::move(completionOwner)](HttpResponse) { ++completions; },
            [owner = std::move(progressOwner)](int64_t, int64_t) {});
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return completions > 0; }, 10));
        // The transfer's own end on the network thread has had its time.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        foundation::RunLoop::main().runFor(0.01);
    }
    EXPECT_TRUE(progressWatch.expired());
    EXPECT_TRUE(completionWatch.expired());
    EXPECT_EQ(progressReleasedOn, std::this_thread::get_id());
    EXPECT_EQ(completionReleasedOn, std::this_thread::get_id());
    foundation::RunLoop::main().reset();
}

} // namespace
