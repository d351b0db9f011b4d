#include "core/net/HttpManager.h"
#include "core/util/DateUtil.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using foundation::Map;
using foundation::Value;

class HttpManagerTestApi {
public:
    static void setTimeouts(HttpManager& manager, double request, double upload)
    {
        manager.m_requestTimeout = request;
        manager.m_uploadTimeout = upload;
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

    // Sets every block, as callers do, after the request was started.
    static void attach(HttpManager& manager, Outcome& outcome)
    {
        auto record = [&outcome](const std::string& tag) {
            outcome.tags.push_back(tag);
            if (!foundation::RunLoop::main().isMainThread())
                outcome.offMainThread = true;
        };
        manager.setRequestFinishBlock([&outcome, record](const std::string& tag, const Value& object) {
            record(tag);
            ++outcome.requestFinished;
            outcome.object = object;
        });
        manager.setRequestFailiedBlock([&outcome, record](const std::string& tag, const HttpError& error) {
            record(tag);
            ++outcome.requestFailed;
            outcome.error = error;
        });
        manager.setUploadFileFinishBlock([&outcome, record](const std::string& tag, const Value& object) {
            record(tag);
            ++outcome.uploadFinished;
            outcome.object = object;
        });
        manager.setUploadFileFailiedBlock([&outcome, record](const std::string& tag, const HttpError& error) {
            record(tag);
            ++outcome.uploadFailed;
            outcome.error = error;
        });
        manager.setUploadPercentBlock([&outcome, record](const std::string& tag, float fraction) {
            record(tag);
            outcome.progress.push_back(fraction);
        });
    }

    // Runs the main loop until the request ended, then a little longer to catch a second end.
    static void wait(const Outcome& outcome)
    {
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return outcome.ends() > 0; }, 20));
        foundation::RunLoop::main().runFor(0.1);
        EXPECT_EQ(outcome.ends(), 1);
        EXPECT_FALSE(outcome.offMainThread);
    }

    static std::string url(const std::string& endpoint)
    {
        return foundation::format("%s%s%lld", s_server->baseUrl().c_str(), endpoint.c_str(),
            static_cast<long long>(DateUtil::getCurrentTimeIntervalSince1970()));
    }

    Outcome post(
        const std::string& endpoint, const Map& parameters, const std::string& tag, double timeout = 10)
    {
        Outcome outcome;
        auto manager = HttpManager::create();
        HttpManagerTestApi::setTimeouts(*manager, timeout, timeout);
        manager->postRequestWithBaseUrl(url(endpoint), parameters, tag);
        attach(*manager, outcome);
        manager.reset(); // the request keeps its object alive
        wait(outcome);
        return outcome;
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

    Outcome upload(
        const Map& parameters, const std::string& fileName, const std::string& tag, double timeout = 80)
    {
        Outcome outcome;
        auto manager = HttpManager::create();
        HttpManagerTestApi::setTimeouts(*manager, timeout, timeout);
        manager->uploadFileWithBaseUrl(url("/FileUpload.ashx?method=upload&time="), parameters,
            "ignored/path", fileName, "image/jpeg", tag, "ignored");
        attach(*manager, outcome);
        manager.reset();
        wait(outcome);
        return outcome;
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

TEST_F(HttpManagerTest, PostFailuresEndInTheFailureBlock)
{
    s_server->misbehave("delay", 1500, "/Services/Login.ashx", 1);
    auto late = post("/Login.ashx?time=", {{"username", "arvel"}}, "login", 0.3);
    EXPECT_EQ(late.requestFailed, 1);
    EXPECT_EQ(late.error.code, HttpError::kTimedOut);
    EXPECT_EQ(late.tags, std::vector<std::string> {"login"});

    // Only the first request is dropped: a replayed POST would succeed and end in the wrong block.
    s_server->misbehave("drop", 0, "/Services/Login.ashx", 1);
    auto dropped = post("/Login.ashx?time=", {{"username", "arvel"}}, "login");
    EXPECT_EQ(dropped.requestFailed, 1);
    EXPECT_EQ(dropped.error.code, HttpError::kNetworkConnectionLost);
    s_server->behave();

    s_server->misbehave("500", 0, "/Services/Login.ashx", 1);
    auto broken = post("/Login.ashx?time=", {{"username", "arvel"}}, "login");
    EXPECT_EQ(broken.requestFailed, 1);
    EXPECT_EQ(broken.error.code, HttpError::kBadServerResponse);

    auto refused = post("/Login.ashx?time=", {}, "login");
    EXPECT_EQ(refused.requestFinished, 1); // the server answered; the screen reads "Success"
}

TEST_F(HttpManagerTest, PostTakesAnyBodyAsIs)
{
    s_server->misbehave("nonjson", 0, "/Services/Login.ashx", 1);
    auto html = post("/Login.ashx?time=", {{"username", "arvel"}}, "login");
    EXPECT_EQ(html.requestFinished, 1);
    EXPECT_TRUE(html.object.isNull());

    s_server->misbehave("contenttype", 0, "/Services/Login.ashx", 1);
    auto other = post("/Login.ashx?time=", {{"username", "arvel"}, {"password", "123456"}}, "login");
    EXPECT_EQ(other.requestFinished, 1);
    EXPECT_EQ(other.object["Success"], Value(true));
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
    auto fields = uploadFields(carId, "5.mp4", "video");
    auto outcome = upload(fields, "5.mp4", "14");
    EXPECT_EQ(outcome.uploadFinished, 1) << outcome.error.description;

    // The same name is looked for in "picture" for any other type; the folder is made if missing.
    auto missing = upload(uploadFields(carId, "5.mp4", "image"), "5.mp4", "1");
    EXPECT_EQ(missing.uploadFailed, 1);
    EXPECT_TRUE(std::filesystem::is_directory(foundation::Paths::documents() / "user1001" / "picture"));
}

TEST_F(HttpManagerTest, UploadFailuresEndInTheFailureBlock)
{
    std::string carId = registerTask();
    placePhoto("picture", "1.jpg");
    auto fields = uploadFields(carId, "1.jpg");
    const char* prefix = "/Services/FileUpload.ashx";

    s_server->misbehave("contenttype", 0, prefix, 1);
    auto json = upload(fields, "1.jpg", "1");
    EXPECT_EQ(json.uploadFailed, 1);
    EXPECT_EQ(json.error.code, HttpError::kCannotDecodeContentData);

    s_server->misbehave("nonjson", 0, prefix, 1);
    auto html = upload(fields, "1.jpg", "1");
    EXPECT_EQ(html.uploadFailed, 1);
    EXPECT_EQ(html.error.code, HttpError::kPropertyListReadCorrupt);

    s_server->misbehave("500", 0, prefix, 1);
    EXPECT_EQ(upload(fields, "1.jpg", "1").error.code, HttpError::kBadServerResponse);

    s_server->misbehave("drop", 0, prefix, 1); // never replayed, as above
    EXPECT_EQ(upload(fields, "1.jpg", "1").uploadFailed, 1);
    s_server->behave();

    s_server->misbehave("delay", 1500, prefix, 1);
    auto late = upload(fields, "1.jpg", "1", 0.3);
    EXPECT_EQ(late.uploadFailed, 1);
    EXPECT_EQ(late.error.code, HttpError::kTimedOut);

    s_server->behave();
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
            attach(*manager, outcomes[i]);
            auto finish = manager->uploadFileFinishBlock();
            manager->setUploadFileFinishBlock([&, i, finish](const std::string& tag, const Value& object) {
                finish(tag, object);
                ended[i] = true;
            });
            auto fail = manager->uploadFileFailiedBlock();
            manager->setUploadFileFailiedBlock([&, i, fail](const std::string& tag, const HttpError& error) {
                fail(tag, error);
                ended[i] = true;
            });
            while (!ended[i]) {
                manager->setUploadPercentBlock(
                    [&outcome = outcomes[i]](const std::string&, float f) { outcome.progress.push_back(f); });
                std::this_thread::yield();
            }
        });
    }
    EXPECT_TRUE(foundation::RunLoop::main().runUntil(
        [&] {
            for (auto& done : ended)
                if (!done)
                    return false;
            return true;
        },
        20));
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
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    for (const char* name : {"../../secret.jpg", "../secret.jpg", "/etc/passwd", "a/b.jpg"}) {
        auto outcome = upload(uploadFields("1", name), name, "2");
        EXPECT_EQ(outcome.uploadFailed, 1) << name;
        EXPECT_EQ(outcome.error.code, HttpError::kFileReadInvalidFileName);
        EXPECT_TRUE(outcome.progress.empty());
    }
    EXPECT_TRUE(capture.contains("refused file name \"../../secret.jpg\""));
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
