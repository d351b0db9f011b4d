#include "core/net/HttpManager.h"
#include "core/util/DateUtil.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/HttpRequest.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <optional>
#include <thread>
#include <utility>

using foundation::Map;
using foundation::Value;

class HttpManagerTestApi {
public:
    static void setTimeouts(HttpManager& manager, double request, double upload)
    {
        manager.m_requestTimeout = request;
        manager.m_uploadTimeout = upload;
    }
    // One progress step as the HTTP client reports it, on the main thread.
    static void progress(HttpManager& manager, const std::string& tag, int64_t sent, int64_t expected)
    {
        manager.uploadProgressed(tag, sent, expected);
    }
};

namespace {

// Everything that reached the blocks of one request.
struct Outcome {
    int requestFinished {0};
    int requestFailed {0};
    int uploadFinished {0};
    int uploadFailed {0};
    bool offMainThread {false};
    std::vector<std::string> tags;
    Value object;
    HttpError error;
    std::vector<float> progress;

    int ends() const { return requestFinished + requestFailed + uploadFinished + uploadFailed; }
};

// A way for the server to misbehave once, and the failure code it must end in (0: the success block).
struct Misbehaviour {
    const char* mode;
    int delayMs;
    double timeout;
    int64_t failure;
};
constexpr int64_t kAnyFailure = INT64_MIN;

class HttpManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = new testsupport::StandInServer(); }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_server->isRunning());
        s_server->behave();
        foundation::RunLoop::main().reset();
        foundation::UserDefaults::standard().set("kCurrentUser", "user1001");
    }
    void TearDown() override { foundation::RunLoop::main().reset(); }

    // Sets every block, as callers do, after the request was started; `ended` is set at the end.
    static void attach(HttpManager& manager, Outcome& outcome, std::atomic<bool>* ended = nullptr)
    {
        auto note = [&outcome](const std::string& tag) {
            outcome.tags.push_back(tag);
            if (!foundation::RunLoop::main().isMainThread())
                outcome.offMainThread = true;
        };
        auto end = [note, ended](int& counter, const std::string& tag) {
            note(tag);
            ++counter;
            if (ended)
                *ended = true;
        };
        // A block that keeps what it got and counts the end.
        auto block = [end](int& counter, auto& slot) {
            return [end, &counter, &slot](const std::string& tag, const auto& got) {
                slot = got;
                end(counter, tag);
            };
        };
        manager.setRequestFinishBlock(block(outcome.requestFinished, outcome.object));
        manager.setRequestFailiedBlock(block(outcome.requestFailed, outcome.error));
        manager.setUploadFileFinishBlock(block(outcome.uploadFinished, outcome.object));
        manager.setUploadFileFailiedBlock(block(outcome.uploadFailed, outcome.error));
        manager.setUploadPercentBlock([&outcome, note](const std::string& tag, float fraction) {
            note(tag);
            outcome.progress.push_back(fraction);
        });
    }

    // Starts a request, sets its blocks and drops the object (the request keeps it alive); then runs
    // the main loop until the request ended, and a little longer to catch a second end.
    static Outcome run(double timeout, const std::function<void(HttpManager&)>& start)
    {
        Outcome outcome;
        auto manager = HttpManager::create();
        HttpManagerTestApi::setTimeouts(*manager, timeout, timeout);
        start(*manager);
        attach(*manager, outcome);
        manager.reset();
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return outcome.ends() > 0; }, 20));
        foundation::RunLoop::main().runFor(0.1);
        EXPECT_EQ(outcome.ends(), 1);
        EXPECT_FALSE(outcome.offMainThread);
        return outcome;
    }

    static std::string url(const std::string& endpoint)
    {
        return foundation::format("%s%s%lld", s_server->baseUrl().c_str(), endpoint.c_str(),
            static_cast<long long>(DateUtil::getCurrentTimeIntervalSince1970()));
    }

    static Outcome post(
        const std::string& endpoint, const Map& parameters, const std::string& tag, double timeout = 10)
    {
        return run(
            timeout, [&](HttpManager& m) { m.postRequestWithBaseUrl(url(endpoint), parameters, tag); });
    }

    static Outcome upload(
        const Map& parameters, const std::string& fileName, const std::string& tag, double timeout = 80)
    {
        return run(timeout, [&](HttpManager& m) {
            m.uploadFileWithBaseUrl(url("/FileUpload.ashx?method=upload&time="), parameters, "ignored/path",
                fileName, "image/jpeg", tag, "ignored");
        });
    }

    // Registers a task on the server and returns its id.
    std::string registerTask()
    {
        static int counter = 0;
        auto outcome = post("/CarTask.ashx?method=add&time=",
            {{"userId", 1001},
                {"applyNo", "AVT" + std::to_string(getpid()) + "-" + std::to_string(++counter)},
                {"stockArea", "上海"}, {"undertakeCompany", "平安"}, {"secondhandPrice", "88000"},
                {"carSource", "1"}, {"regDate", "2020-01-01"}, {"loantype", "常规产品"}},
            "uploadOrder");
        EXPECT_EQ(outcome.object["Success"], Value(true)) << outcome.object.toJson();
        return outcome.object["Data"]["serverId"].asString();
    }

    // A real photo padded to a few megabytes, so that the upload takes many progress steps.
    std::string placePhoto(const std::string& folder, const std::string& name)
    {
        auto photo = foundation::readFile(MIVO_SOURCE_DIR "/Resources/camera/sample-photo-3.jpg");
        EXPECT_TRUE(photo);
        std::string bytes = *photo + std::string(3 * 1024 * 1024, '\0');
        foundation::writeFileAtomically(foundation::Paths::documents() / "user1001" / folder / name, bytes);
        return bytes;
    }

    static Map uploadFields(const std::string& carId, const std::string& fileName, const char* type = "image")
    {
        return {{"filename", fileName}, {"carTaskId", carId}, {"seq", "1"}, {"carSource", "1"},
            {"maxseq", "14"}, {"filelastModifyTime", "2024-01-01 00:00:00"}, {"imgisoriginal", "1"},
            {"optional", "0"}, {"picMode", "0"}, {"type", type}};
    }

    static testsupport::StandInServer* s_server;
    mivo::test::TempHome m_home;
    foundation::LogCapture m_quiet {foundation::LogCapture::Echo::No};
};

testsupport::StandInServer* HttpManagerTest::s_server = nullptr;

TEST_F(HttpManagerTest, FormPostGivesTheParsedReplyWithTheTag)
{
    auto outcome
        = post("/Login.ashx?time=", {{"username", "arvel"}, {"password", "123456"}, {"simid", "x"}}, "login");
    ASSERT_EQ(outcome.requestFinished, 1);
    EXPECT_EQ(outcome.tags, std::vector<std::string> {"login"});
    EXPECT_EQ(outcome.object["Success"], Value(true));
    EXPECT_EQ(outcome.object["Data"]["userId"], Value(1001));
    EXPECT_EQ(outcome.object["Data"]["companyname"], Value("Arvel"));

    auto wrong
        = post("/Login.ashx?time=", {{"username", "arvel"}, {"password", "nope"}, {"simid", "x"}}, "login");
    EXPECT_EQ(wrong.requestFinished, 1);
    EXPECT_EQ(wrong.object["Success"], Value(false));
    EXPECT_FALSE(wrong.object["Msg"].asString().empty());
}

TEST_F(HttpManagerTest, RepliesAreReadOnAWorkerWhileTheMainLoopGoesOn)
{
    constexpr int kEntries = 20000;
    std::string body = R"({"Success":true,"Data":[)";
    for (int i = 0; i < kEntries; ++i)
        body += (i ? ",{\"CarID\":\"" : "{\"CarID\":\"") + std::to_string(i) + "\"}";
    body += R"(],"sysdate":"2026-12-06 10:00:00"})";
    mivo::test::LoopbackServer server;
    std::atomic<int> answered {0};
    server.Post("/Services/CarTask.ashx", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, "text/html");
    });
    server.set_logger([&](const httplib::Request&, const httplib::Response&) { ++answered; });
    ASSERT_TRUE(server.start());
    auto& loop = foundation::RunLoop::main();
    auto clock = std::make_shared<foundation::ManualClock>();
    loop.setClock(clock);

    // Every worker of the global queue held, so that a reply read on one waits for them.
    unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<unsigned> holding {0};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool let = false;
    auto letGo = [&] {
        if (!std::exchange(let, true))
            release.set_value();
    };
    // Also when an assertion ends the test early: the workers belong to the whole process.
    struct AtEnd {
        std::function<void()> work;
        ~AtEnd() { work(); }
    } letGoAtTheEnd {letGo};
    for (unsigned i = 0; i < workers; ++i)
        foundation::dispatchGlobalAsync([&holding, released] {
            ++holding;
            released.wait();
        });
    ASSERT_TRUE(loop.runUntil([&] { return holding == workers; }, 10));

    std::string url = server.base() + "/Services/CarTask.ashx?method=endlist&time=1";
    Value reply, plainReply;
    std::optional<foundation::JsonList> tasks;
    int ends = 0;
    auto listed = HttpManager::create();
    listed->postListRequestWithBaseUrl(url, Map {}, "Data", "endlist");
    listed->setRequestListFinishBlock(
        [&](const std::string&, Value got, std::optional<foundation::JsonList> list) {
            reply = std::move(got);
            tasks = std::move(list);
            ++ends;
        });
    auto plain = HttpManager::create();
    plain->postRequestWithBaseUrl(url, Map {}, "plain");
    plain->setRequestFinishBlock([&](const std::string&, Value got) {
        plainReply = std::move(got);
        ++ends;
    });
    listed->setRequestFailiedBlock([&](const std::string&, const HttpError&) { ++ends; });
    plain->setRequestFailiedBlock([&](const std::string&, const HttpError&) { ++ends; });
    listed.reset();
    plain.reset();

    // Both replies are in, and wait for a worker while the main loop turns and its timers fire.
    ASSERT_TRUE(loop.runUntil([&] { return answered == 2; }, 10));
    EXPECT_FALSE(loop.runUntil([&] { return ends > 0; }, 0.5)) << "a reply was read on the main thread";
    int ticks = 0;
    auto timer = foundation::Timer::scheduled(0.1, true, [&](foundation::Timer&) { ++ticks; });
    loop.runFor(1.0);
    timer->invalidate();
    EXPECT_EQ(ticks, 10);
    EXPECT_EQ(ends, 0);

    letGo();
    ASSERT_TRUE(loop.runUntil([&] { return ends == 2; }, 10));
    EXPECT_EQ(reply, Value(Map {{"Success", true}, {"sysdate", "2026-12-06 10:00:00"}}));
    ASSERT_TRUE(tasks);
    ASSERT_EQ(tasks->size(), size_t(kEntries));
    EXPECT_EQ(tasks->at(kEntries - 1)["CarID"], Value(std::to_string(kEntries - 1)));
    EXPECT_EQ(plainReply["Data"].size(), size_t(kEntries));
}

TEST_F(HttpManagerTest, EachMisbehaviourEndsAPostInOneRightBlock)
{
    // Only the first request is dropped: a replayed POST would succeed and end in the wrong block.
    for (const Misbehaviour& m : {Misbehaviour {"delay", 1500, 0.3, HttpError::kTimedOut},
             Misbehaviour {"drop", 0, 10, HttpError::kNetworkConnectionLost},
             Misbehaviour {"500", 0, 10, HttpError::kBadServerResponse}, Misbehaviour {"nonjson", 0, 10, 0},
             Misbehaviour {"contenttype", 0, 10, 0}}) {
        SCOPED_TRACE(m.mode);
        s_server->misbehave(m.mode, m.delayMs, "/Services/Login.ashx", 1);
        auto outcome
            = post("/Login.ashx?time=", {{"username", "arvel"}, {"password", "123456"}}, "login", m.timeout);
        s_server->behave();
        EXPECT_EQ(outcome.tags, std::vector<std::string> {"login"});
        if (m.failure) {
            EXPECT_EQ(outcome.requestFailed, 1);
            EXPECT_EQ(outcome.error.code, m.failure);
        } else {
            // Any body is taken as is: one that is not JSON gives null; another content type is read.
            EXPECT_EQ(outcome.requestFinished, 1);
            if (std::string(m.mode) == "nonjson") {
                EXPECT_TRUE(outcome.object.isNull());
            } else {
                EXPECT_EQ(outcome.object["Success"], Value(true));
            }
        }
    }
}

TEST_F(HttpManagerTest, UploadStreamsTheUsersFileWithProgress)
{
    std::string carId = registerTask();
    std::string name = std::to_string(DateUtil::getCurrentTimeIntervalSince1970()) + ".jpg";
    std::string bytes = placePhoto("picture", name);
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    auto outcome = upload(uploadFields(carId, name), name, "3");
    ASSERT_EQ(outcome.uploadFinished, 1) << outcome.error.description;
    EXPECT_EQ(outcome.object["Success"], Value(true)) << outcome.object.toJson();
    ASSERT_GE(outcome.progress.size(), 2u);
    for (size_t i = 1; i < outcome.progress.size(); ++i)
        EXPECT_GT(outcome.progress[i], outcome.progress[i - 1]);
    EXPECT_FLOAT_EQ(outcome.progress.back(), 1.0f);
    EXPECT_TRUE(capture.contains("identify: 3  progress: 1.000000"));
    for (auto& tag : outcome.tags)
        EXPECT_EQ(tag, "3");
    auto stored = s_server->get(outcome.object["Data"]["FileUrl"].asString());
    EXPECT_EQ(stored.status, 200);
    EXPECT_EQ(stored.body, bytes);
}

TEST_F(HttpManagerTest, UploadPicksTheFolderByType)
{
    std::string carId = registerTask();
    auto video = foundation::readFile(MIVO_SOURCE_DIR "/Resources/camera/sample-video.mp4");
    ASSERT_TRUE(video);
    foundation::writeFileAtomically(foundation::Paths::documents() / "user1001" / "video" / "5.mp4", *video);
    auto outcome = upload(uploadFields(carId, "5.mp4", "video"), "5.mp4", "14");
    EXPECT_EQ(outcome.uploadFinished, 1) << outcome.error.description;

    // The same name is looked for in "picture" for any other type; the folder is made if missing.
    auto missing = upload(uploadFields(carId, "5.mp4", "image"), "5.mp4", "1");
    EXPECT_EQ(missing.uploadFailed, 1);
    EXPECT_TRUE(std::filesystem::is_directory(foundation::Paths::documents() / "user1001" / "picture"));
}

TEST_F(HttpManagerTest, EachMisbehaviourEndsAnUploadInItsFailureBlock)
{
    std::string carId = registerTask();
    placePhoto("picture", "1.jpg");
    auto fields = uploadFields(carId, "1.jpg");
    // A dropped upload is never replayed either.
    for (const Misbehaviour& m : {Misbehaviour {"contenttype", 0, 80, HttpError::kCannotDecodeContentData},
             Misbehaviour {"nonjson", 0, 80, HttpError::kPropertyListReadCorrupt},
             Misbehaviour {"500", 0, 80, HttpError::kBadServerResponse},
             Misbehaviour {"drop", 0, 80, kAnyFailure},
             Misbehaviour {"delay", 1500, 0.3, HttpError::kTimedOut}}) {
        SCOPED_TRACE(m.mode);
        s_server->misbehave(m.mode, m.delayMs, "/Services/FileUpload.ashx", 1);
        auto outcome = upload(fields, "1.jpg", "1", m.timeout);
        s_server->behave();
        EXPECT_EQ(outcome.uploadFailed, 1);
        if (m.failure != kAnyFailure) {
            EXPECT_EQ(outcome.error.code, m.failure);
        }
    }
    EXPECT_EQ(upload(fields, "1.jpg", "1").uploadFinished, 1);
}

// The upload screen starts each file and sets its blocks on a worker of its operation queue; a
// block may be set again at any time, even while the main thread is delivering that request's events.
TEST_F(HttpManagerTest, BlocksSetOnAWorkerThreadAreUsed)
{
    std::string carId = registerTask();
    placePhoto("picture", "7.jpg");
    constexpr size_t kFiles = 4;
    std::vector<Outcome> outcomes(kFiles);
    std::vector<std::atomic<bool>> ended(kFiles);
    auto queue = foundation::OperationQueue::create();
    for (size_t i = 0; i < kFiles; ++i) {
        queue->addOperation([&, i] {
            auto manager = HttpManager::create();
            auto fields = uploadFields(carId, "7.jpg");
            fields["seq"] = std::to_string(i + 1);
            manager->uploadFileWithBaseUrl(url("/FileUpload.ashx?method=upload&time="), fields, "ignored",
                "7.jpg", "image/jpeg", std::to_string(i + 1), "image");
            attach(*manager, outcomes[i], &ended[i]);
            while (!ended[i]) {
                manager->setUploadPercentBlock(
                    [&outcome = outcomes[i]](const std::string&, float f) { outcome.progress.push_back(f); });
                std::this_thread::yield();
            }
        });
    }
    EXPECT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return std::all_of(ended.begin(), ended.end(), [](auto& done) { return done.load(); }); }, 20));
    queue->waitUntilAllOperationsAreFinished();
    foundation::RunLoop::main().runFor(0.1);
    for (auto& outcome : outcomes) {
        EXPECT_EQ(outcome.uploadFinished, 1) << outcome.error.description;
        EXPECT_EQ(outcome.ends(), 1);
        EXPECT_FALSE(outcome.offMainThread);
    }
}

TEST_F(HttpManagerTest, FileNamesNeverLeaveTheUsersFolder)
{
    foundation::writeFileAtomically(foundation::Paths::documents() / "secret.jpg", "secret");
    auto picture = LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder);
    ASSERT_TRUE(picture);
    std::filesystem::create_symlink(foundation::Paths::documents() / "secret.jpg", *picture / "planted.jpg");
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    for (const char* name : {"../../secret.jpg", "../secret.jpg", "/etc/passwd", "a/b.jpg", "planted.jpg"}) {
        auto outcome = upload(uploadFields("1", name), name, "2");
        EXPECT_EQ(outcome.uploadFailed, 1) << name;
        EXPECT_EQ(outcome.error.code, HttpError::kFileReadInvalidFileName);
        EXPECT_TRUE(outcome.progress.empty());
    }
    EXPECT_TRUE(capture.contains("refused file name \"../../secret.jpg\""));
}

TEST_F(HttpManagerTest, AReplyTooLargeToKeepIsANetworkFailure)
{
    // A reply without an end: chunk after chunk until the client hangs up (or far past the limit).
    mivo::test::LoopbackServer server;
    server.Post("/Services/Login.ashx", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/html", [](size_t offset, httplib::DataSink& sink) {
            if (offset > 2 * size_t(net::HttpRequest::kDefaultMaxBodySize)) {
                sink.done();
                return true;
            }
            std::string chunk(256 * 1024, ' ');
            return sink.write(chunk.data(), chunk.size());
        });
    });
    server.Post("/Services/FileUpload.ashx", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(
            "[" + std::string(size_t(net::HttpRequest::kDefaultMaxBodySize), ' ') + "]", "text/html");
    });
    ASSERT_TRUE(server.start());
    auto outcome = run(10, [&](HttpManager& m) {
        m.postRequestWithBaseUrl(
            server.base() + "/Services/Login.ashx?time=1", Map {{"username", "arvel"}}, "login");
    });
    EXPECT_EQ(outcome.requestFailed, 1);
    EXPECT_EQ(outcome.error.code, HttpError::kDataLengthExceedsMaximum);
    EXPECT_EQ(outcome.error.domain, HttpError::kUrlDomain);

    std::string name = "1700000000000001.jpg";
    placePhoto("picture", name);
    auto uploaded = run(10, [&](HttpManager& m) {
        m.uploadFileWithBaseUrl(server.base() + "/Services/FileUpload.ashx?method=upload&time=1",
            uploadFields("1", name), "ignored", name, "image/jpeg", "3", "ignored");
    });
    EXPECT_EQ(uploaded.uploadFailed, 1);
    EXPECT_EQ(uploaded.error.code, HttpError::kDataLengthExceedsMaximum);
}

// A JSON object of exactly `size` bytes.
std::string objectOfSize(size_t size)
{
    const std::string head = R"({"Success":true,"Msg":")", tail = R"("})";
    return head + std::string(size - head.size() - tail.size(), 'x') + tail;
}

// A reply of exactly `size` bytes whose "Data" holds `entries` texts of 1,000 bytes.
std::string listOfSize(size_t size, size_t entries)
{
    std::string body = R"({"Success":true,"Data":[)";
    for (size_t i = 0; i < entries; ++i)
        body += (i ? ",\"" : "\"") + std::string(1000, 'y') + "\"";
    body += R"(],"Msg":")";
    return body + std::string(size - body.size() - 2, 'x') + R"("})";
}

TEST_F(HttpManagerTest, EachKindOfReplyIsReadUpToItsOwnLimit)
{
    // The size of each reply comes with the request's query; "chunked" sends it without a length.
    mivo::test::LoopbackServer server;
    auto answer = [](const char* type, auto make) {
        return [type, make](const httplib::Request& request, httplib::Response& response) {
            auto body = std::make_shared<std::string>(make(std::stoul(request.get_param_value("bytes"))));
            if (request.get_param_value("chunked") != "1") {
                response.set_content(*body, type);
                return;
            }
            response.set_chunked_content_provider(type, [body](size_t offset, httplib::DataSink& sink) {
                if (offset >= body->size()) {
                    sink.done();
                    return true;
                }
                return sink.write(body->data() + offset, std::min<size_t>(64 * 1024, body->size() - offset));
            });
        };
    };
    constexpr size_t kEntries = 32000;
    server.Post("/Services/Login.ashx", answer("application/json", objectOfSize));
    server.Post("/Services/FileUpload.ashx", answer("text/html", objectOfSize));
    server.Post("/Services/CarTask.ashx",
        answer("application/json", [](size_t size) { return listOfSize(size, kEntries); }));
    ASSERT_TRUE(server.start());
    auto endpoint = [&](const char* path, int64_t bytes, bool chunked = false) {
        return foundation::format("%s/Services/%s&bytes=%lld&chunked=%d", server.base().c_str(), path,
            static_cast<long long>(bytes), chunked ? 1 : 0);
    };
    constexpr int64_t kObject = HttpManager::kObjectReplyLimit;
    static_assert(kObject == 1024 * 1024 && HttpManager::kListReplyLimit == 32 * 1024 * 1024);

    for (bool chunked : {false, true}) {
        SCOPED_TRACE(chunked ? "chunked" : "with its length");
        auto whole = run(10, [&](HttpManager& m) {
            m.postRequestWithBaseUrl(endpoint("Login.ashx?time=1", kObject, chunked), Map {}, "login");
        });
        ASSERT_EQ(whole.requestFinished, 1) << whole.error.description;
        EXPECT_EQ(whole.object, Value::fromJson(objectOfSize(kObject)));
        auto over = run(10, [&](HttpManager& m) {
            m.postRequestWithBaseUrl(endpoint("Login.ashx?time=1", kObject + 1, chunked), Map {}, "login");
        });
        EXPECT_EQ(over.requestFailed, 1);
        EXPECT_EQ(over.error.code, HttpError::kDataLengthExceedsMaximum);
    }

    std::string name = "1700000000000002.jpg";
    placePhoto("picture", name);
    for (int64_t bytes : {kObject, kObject + 1}) {
        auto uploaded = run(10, [&](HttpManager& m) {
            m.uploadFileWithBaseUrl(endpoint("FileUpload.ashx?method=upload&time=1", bytes, true),
                uploadFields("1", name), "ignored", name, "image/jpeg", "3", "ignored");
        });
        if (bytes == kObject) {
            EXPECT_EQ(uploaded.uploadFinished, 1) << uploaded.error.description;
        } else {
            EXPECT_EQ(uploaded.uploadFailed, 1);
            EXPECT_EQ(uploaded.error.code, HttpError::kDataLengthExceedsMaximum);
        }
    }

    // A list may take 32 MB, to the last byte.
    for (int64_t bytes : {HttpManager::kListReplyLimit, HttpManager::kListReplyLimit + 1}) {
        std::optional<foundation::JsonList> entries;
        int failed = 0;
        auto listed = HttpManager::create();
        listed->postListRequestWithBaseUrl(
            endpoint("CarTask.ashx?method=endlist", bytes), Map {}, "Data", "list");
        listed->setRequestListFinishBlock(
            [&](const std::string&, Value, std::optional<foundation::JsonList> list) {
                entries = std::move(list);
            });
        listed->setRequestFailiedBlock([&](const std::string&, const HttpError& error) {
            EXPECT_EQ(error.code, HttpError::kDataLengthExceedsMaximum);
            ++failed;
        });
        listed.reset();
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return entries || failed; }, 20));
        if (bytes == HttpManager::kListReplyLimit) {
            ASSERT_TRUE(entries);
            EXPECT_EQ(entries->size(), kEntries);
        } else {
            EXPECT_EQ(failed, 1);
        }
    }
}

TEST_F(HttpManagerTest, RequestWithoutBlocksEndsQuietly)
{
    auto manager = HttpManager::create();
    std::weak_ptr<HttpManager> weak = manager;
    manager->postRequestWithBaseUrl(url("/Login.ashx?time="), Map {{"username", "arvel"}}, "login");
    manager.reset();
    EXPECT_FALSE(weak.expired());
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return weak.expired(); }, 10));
}

} // namespace

TEST(HttpManagerProgress, EveryStepIsLoggedAndReachesTheBlockAtOnce)
{
    auto& loop = foundation::RunLoop::main();
    loop.reset();
    auto clock = std::make_shared<foundation::ManualClock>(0.0);
    loop.setClock(clock);
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    auto manager = HttpManager::create();
    std::vector<float> seen;
    manager->setUploadPercentBlock([&](const std::string& tag, float fraction) {
        EXPECT_EQ(tag, "7");
        seen.push_back(fraction);
    });
    using Api = HttpManagerTestApi;

    // Steps within one frame are not held back or merged: each is its own call and log line.
    for (int64_t sent : {10, 20, 30, 40, 100})
        Api::progress(*manager, "7", sent, 100);
    EXPECT_EQ(seen, (std::vector<float> {0.1f, 0.2f, 0.3f, 0.4f, 1.0f}));
    loop.runFor(1);
    EXPECT_EQ(seen.size(), 5u) << "nothing comes later";
    for (const char* line : {"identify: 7  progress: 0.100000", "identify: 7  progress: 0.200000",
             "identify: 7  progress: 0.400000", "identify: 7  progress: 1.000000"})
        EXPECT_TRUE(capture.contains(line)) << line;
    loop.reset();
}
