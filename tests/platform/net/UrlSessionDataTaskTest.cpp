#include "platform/net/UrlSessionDataTask.h"

#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpRequest.h"

#include "tests/support/LoopbackServer.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using net::UrlSessionDataTask;

namespace {

struct Ended {
    int count = 0;
    UrlSessionDataTask::Result result;
};

std::shared_ptr<UrlSessionDataTask> task(const std::string& url, const std::shared_ptr<Ended>& ended)
{
    return UrlSessionDataTask::create(url, [ended](const UrlSessionDataTask::Result& result) {
        ++ended->count;
        ended->result = result;
    });
}

void runUntilEnded(const Ended& ended)
{
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return ended.count > 0; }, 10));
    foundation::RunLoop::main().runFor(0.05);
    EXPECT_EQ(ended.count, 1);
}

// Starts a task and runs the main loop until it has ended (the task keeps itself alive till then).
std::shared_ptr<Ended> fetch(const std::string& url)
{
    auto ended = std::make_shared<Ended>();
    task(url, ended)->resume();
    runUntilEnded(*ended);
    return ended;
}

} // namespace

TEST(UrlSessionDataTask, OnlyUrlsItCanFetchMakeATask)
{
    auto ended = std::make_shared<Ended>();
    for (const char* url :
        {"", "ftp://host/a.png", "mailto:a@b", "file:///a%2", "file:///a%zz", "127.0.0.1/a"})
        EXPECT_FALSE(task(url, ended)) << url;
    for (const char* url : {"http://127.0.0.1/a", "https://example.com/a.gif", "file:///tmp/a%20b.png"})
        EXPECT_TRUE(task(url, ended)) << url;
}

TEST(UrlSessionDataTask, ReadsFileUrlsWithEscapesOffTheMainThread)
{
    foundation::RunLoop::main().reset();
    auto path = std::filesystem::temp_directory_path() / ("url task " + std::to_string(::getpid()) + ".bin");
    std::ofstream(path, std::ios::binary) << std::string("\x89PNG\0rest", 9);
    std::string url = "file://" + path.string();
    url.replace(url.find(' '), 1, "%20");
    url.replace(url.find(' '), 1, "%20");

    auto ended = std::make_shared<Ended>();
    auto reading = task(url, ended);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->state(), UrlSessionDataTask::State::Suspended);
    reading->resume();
    reading->resume(); // once only
    EXPECT_EQ(reading->state(), UrlSessionDataTask::State::Running);
    runUntilEnded(*ended);
    ASSERT_TRUE(ended->result.data);
    EXPECT_EQ(*ended->result.data, std::string("\x89PNG\0rest", 9));
    EXPECT_EQ(reading->countOfBytesReceived(), 9);
    EXPECT_EQ(reading->countOfBytesExpectedToReceive(), 9);

    // Cancelled before the read is handed back: it ends once, cancelled, without data.
    auto cancelledEnd = std::make_shared<Ended>();
    auto cancelled = task(url, cancelledEnd);
    cancelled->resume();
    cancelled->cancel();
    runUntilEnded(*cancelledEnd);
    EXPECT_FALSE(cancelledEnd->result.data);
    EXPECT_EQ(cancelledEnd->result.errorKind, net::HttpErrorKind::Cancelled);

    std::filesystem::remove(path);
    auto missingEnd = std::make_shared<Ended>();
    auto missing = task(url, missingEnd);
    missing->resume();
    runUntilEnded(*missingEnd);
    EXPECT_FALSE(missingEnd->result.data);
    EXPECT_EQ(missingEnd->result.errorKind, net::HttpErrorKind::File);
    foundation::RunLoop::main().reset();
}

TEST(UrlSessionDataTask, AFileUrlOfAFolderOrFifoIsAFileThatCannotBeRead)
{
    mivo::test::TimeLimit limit(30);
    foundation::RunLoop::main().reset();
    mivo::test::TempHome home;
    auto folder = home.path() / "folder.gif";
    auto fifo = home.path() / "fifo.gif";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (auto [path, why] : {std::pair {folder, "it is a folder"}, {fifo, "it is a FIFO"}}) {
        SCOPED_TRACE(path);
        auto ended = fetch("file://" + path.string());
        EXPECT_FALSE(ended->result.data);
        EXPECT_EQ(ended->result.errorKind, net::HttpErrorKind::File);
        EXPECT_EQ(ended->result.errorText, "cannot open " + path.string() + ": " + why);
    }
    foundation::RunLoop::main().reset();
}

TEST(UrlSessionDataTask, AnImageLargerThanTheMediaLimitIsRefusedNotRead)
{
    foundation::RunLoop::main().reset();
    constexpr auto kLimit = size_t(net::HttpRequest::kMediaMaxBodySize);
    mivo::test::LoopbackServer server;
    // Sent in chunks without a length, as a hostile server would, until the client hangs up.
    server.Get("/huge.jpg", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("image/jpeg", [](size_t offset, httplib::DataSink& sink) {
            if (offset > kLimit + 1024 * 1024) {
                sink.done();
                return true;
            }
            std::string chunk(256 * 1024, '\xff');
            return sink.write(chunk.data(), chunk.size());
        });
    });
    ASSERT_TRUE(server.start());
    auto fetchedEnd = fetch(server.base() + "/huge.jpg");
    EXPECT_FALSE(fetchedEnd->result.data);
    EXPECT_EQ(fetchedEnd->result.errorKind, net::HttpErrorKind::TooLarge);

    // A local file as large: its size is enough to refuse it (a sparse file takes no disk).
    auto path
        = std::filesystem::temp_directory_path() / ("url-task-huge-" + std::to_string(::getpid()) + ".jpg");
    std::ofstream(path, std::ios::binary) << "x";
    std::filesystem::resize_file(path, kLimit + 1);
    auto readEnd = fetch("file://" + path.string());
    std::filesystem::remove(path);
    EXPECT_FALSE(readEnd->result.data);
    EXPECT_EQ(readEnd->result.errorKind, net::HttpErrorKind::TooLarge);
    foundation::RunLoop::main().reset();
}

TEST(UrlSessionDataTask, AnyAnswerOfTheServerComesWithItsBodyAndStatus)
{
    foundation::RunLoop::main().reset();
    mivo::test::LoopbackServer server;
    server.Get("/gone.png", [](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
        response.set_content("body of a 404", "image/png");
    });
    server.Get("/ok.png", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("body of a 200", "image/png");
    });
    ASSERT_TRUE(server.start());
    auto goneEnd = fetch(server.base() + "/gone.png");
    ASSERT_TRUE(goneEnd->result.data);
    EXPECT_EQ(*goneEnd->result.data, "body of a 404");
    EXPECT_EQ(goneEnd->result.status, 404);
    EXPECT_EQ(goneEnd->result.errorKind, net::HttpErrorKind::HttpStatus) << "still told apart";

    auto okEnd = fetch(server.base() + "/ok.png");
    ASSERT_TRUE(okEnd->result.data);
    EXPECT_EQ(okEnd->result.status, 200);
    EXPECT_EQ(okEnd->result.errorKind, net::HttpErrorKind::None);
    foundation::RunLoop::main().reset();
}
