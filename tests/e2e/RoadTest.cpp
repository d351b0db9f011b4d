#include "tests/e2e/AppProcess.h"

#include "core/net/HttpManager.h"
#include "core/store/BaseDatabaseManager.h"
#include "core/store/IMivoDataBaseManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/StandInServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <ostream>

using data::Predicate;
using foundation::Map;
using foundation::Value;
using mivo::test::AppProcess;

namespace {

struct Brand {
    const char* user;
    const char* prefix;
    const char* userId;
    const char* plan; // the plan picked from the chooser's sheet
    size_t shots;
    const char* carSource;
};

// Test names and failure messages show the user, not the struct's bytes.
void PrintTo(const Brand& brand, std::ostream* out)
{
    *out << brand.user;
}

// Automation commands: a tap or a wait finds its view by "label" or by "text".
Map tap(const char* by, const std::string& what)
{
    return {{"cmd", "tap"}, {by, what}};
}
Map wait(const char* by, const std::string& what)
{
    return {{"cmd", "wait"}, {by, what}, {"timeout", 15}};
}
Map type(const std::string& text)
{
    return {{"cmd", "type"}, {"text", text}};
}
const Map kSettle {{"cmd", "advance"}, {"seconds", 1}};
// The home button on the right of the navigation bar.
const Map kTapHome {{"cmd", "tap"}, {"x", 300}, {"y", 42}};

class RoadTest : public ::testing::TestWithParam<Brand> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.isRunning());
        m_home = AppProcess::makeHome();
        ASSERT_FALSE(m_home.empty());
        m_app = std::make_unique<AppProcess>(m_home, "http://127.0.0.1", m_server.port());
        ASSERT_TRUE(m_app->isRunning());
    }

    void TearDown() override
    {
        m_app.reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
        foundation::RunLoop::main().reset();
        foundation::Paths::setHome({});
        foundation::UserDefaults::standard().reload();
        AppProcess::removeHome(m_home);
    }

    // Runs commands in order; the first that fails is reported with the app's log.
    void run(const std::vector<Map>& commands)
    {
        for (const auto& command : commands) {
            Value answer = m_app->must(command);
            ASSERT_TRUE(answer["ok"].asBool()) << Value(command).toJson() << " -> " << answer.toJson() << "\n"
                                               << m_app->log();
        }
    }

    std::string tree() { return m_app->must(Map {{"cmd", "tree"}}).toJson(); }

    void logIn(const Brand& brand)
    {
        run({wait("text", "登录"), tap("label", "用户名"), Map {{"cmd", "backspace"}, {"count", 40}},
            type(brand.user), tap("label", "密码"), type("123456"), tap("text", "登录"),
            wait("text", "新建任务"), kSettle});
    }

    // Registers a task with the server as the upload screen would; its server id.
    std::optional<std::string> registerTask(const Brand& brand, const std::string& applyNO)
    {
        auto registered = m_server.post("/Services/CarTask.ashx?method=add&time=1",
            {{"userId", brand.userId}, {"applyNo", brand.prefix + applyNO}, {"stockArea", "上海浦东仓"},
                {"undertakeCompany", "平安保险"}, {"secondhandPrice", "86000"},
                {"carSource", brand.carSource}, {"regDate", "2020-01-01"}, {"loantype", "常规产品"}});
        return registered.answered ? m_server.carIdOf(brand.prefix + applyNO) : std::nullopt;
    }

    // Lets the server thumbnails arrive: real time passes for the network, the app's clock with it.
    void settleNetwork()
    {
        for (int i = 0; i < 20; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            run({Map {{"cmd", "advance"}, {"seconds", 0.05}}});
        }
    }

    void screenshot(const std::string& name)
    {
        settleNetwork();
        auto folder = std::filesystem::path(MIVO_BINARY_DIR) / "screenshots";
        std::filesystem::create_directories(folder);
        run({Map {{"cmd", "screenshot"}, {"path", (folder / name).string()}}});
    }

    // The app's store, read from this process (a fresh read every time).
    std::shared_ptr<IMivoDataBaseManager> store()
    {
        foundation::Paths::setHome(m_home);
        foundation::UserDefaults::standard().reload();
        BaseDatabaseManager::resetSharedManagersForTesting();
        return IMivoDataBaseManager::sharedManager();
    }

    // Uploads a file of the user's folder as the upload screen would; true when the server took it.
    bool upload(const std::string& carId, const std::string& seq, const std::string& type,
        const std::filesystem::path& source, const Brand& brand)
    {
        store();
        auto user = foundation::UserDefaults::standard().string("kCurrentUser").value_or("");
        std::string name = "e2e-" + seq + source.extension().string();
        auto folder = foundation::Paths::documents() / user / (type == "video" ? "video" : "picture");
        std::filesystem::copy_file(source, folder / name, std::filesystem::copy_options::overwrite_existing);

        foundation::RunLoop::main().reset();
        bool done = false, ok = false;
        auto manager = HttpManager::create();
        manager->uploadFileWithBaseUrl(m_server.baseUrl() + "/FileUpload.ashx?method=upload&time=1",
            Value(Map {{"filename", name}, {"carTaskId", carId}, {"seq", seq}, {"carSource", brand.carSource},
                {"maxseq", std::to_string(brand.shots)}, {"type", type}, {"picMode", "1"}}),
            "", name, type == "video" ? "video/mp4" : "image/png", seq, "");
        manager->setUploadFileFinishBlock([&](const std::string&, const Value& reply) {
            done = true;
            ok = reply["Success"].asBool();
        });
        manager->setUploadFileFailiedBlock([&](const std::string&, const HttpError&) { done = true; });
        foundation::RunLoop::main().runUntil([&] { return done; }, 30);
        return ok;
    }

    testsupport::StandInServer m_server;
    std::filesystem::path m_home;
    std::unique_ptr<AppProcess> m_app;
};

} // namespace

TEST_P(RoadTest, LogInCreateATaskAndSeeItRejected)
{
    const Brand& brand = GetParam();
    const std::string applyNO = std::string("E2E") + brand.prefix + "01";
    const std::filesystem::path resources = std::filesystem::path(MIVO_SOURCE_DIR) / "Resources" / "camera";

    logIn(brand);

    // Create a task; its grid opens.
    run({tap("text", "新建任务"), kSettle, wait("text", "开始拍摄"), tap("label", "申请编号"), type(applyNO),
        tap("label", "库存地点"), type("上海浦东仓"), tap("label", "保险公司"), type("平安保险"),
        tap("label", "成交价格"), type("86000"), tap("label", "产品类型"), kSettle, tap("text", "常规产品"),
        kSettle, tap("label", "拍摄方案"), kSettle, tap("text", brand.plan), kSettle, tap("text", "开始拍摄"),
        wait("text", "图片列表"), wait("label", "照片1:未拍摄"), kSettle});

    // Its records: the brand's shot list plus the video.
    {
        auto manager = store();
        auto tasks = manager->listMivoTasks(Predicate::withFormat("applyNO=%@", applyNO));
        ASSERT_TRUE(tasks);
        ASSERT_EQ(tasks->size(), 1u);
        EXPECT_EQ(tasks->front()->taskStatus(), "PENDING");
        EXPECT_EQ(tasks->front()->photoType(), brand.plan);
        EXPECT_EQ(tasks->front()->createUser(), brand.user);
        auto records = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", applyNO));
        ASSERT_TRUE(records);
        ASSERT_EQ(records->size(), brand.shots + 1);
        for (size_t i = 0; i < records->size(); ++i) {
            EXPECT_EQ((*records)[i]->taskPosition(), std::to_string(i + 1));
            EXPECT_EQ((*records)[i]->taskStatus(), "DEFAULT");
            EXPECT_EQ((*records)[i]->resourceType(), i == brand.shots ? "video" : "image");
        }
    }

    // Home, then the pending list shows it.
    run({kTapHome, kSettle, wait("text", "待拍摄任务 (1)"), tap("text", "待拍摄任务"), kSettle,
        wait("label", "任务:" + applyNO)});

    // The server registers it (as the upload screen will), takes two photos and the video, and rejects it.
    auto carId = registerTask(brand, applyNO);
    ASSERT_TRUE(carId);
    ASSERT_TRUE(upload(*carId, "1", "image", resources / "sample-photo-1.jpg", brand));
    ASSERT_TRUE(upload(*carId, "2", "image", resources / "sample-photo-2.jpg", brand));
    ASSERT_TRUE(
        upload(*carId, std::to_string(brand.shots + 1), "video", resources / "sample-video.mp4", brand));
    ASSERT_TRUE(m_server.reject(*carId, "照片不清晰"));

    // The rejected list brings it back.
    run({kTapHome, kSettle, wait("text", "已驳回任务"), tap("text", "已驳回任务"), kSettle,
        wait("text", "驳回原因: 照片不清晰")});
    {
        auto manager = store();
        auto tasks = manager->listMivoTasks(Predicate::withFormat("carID=%@", *carId));
        ASSERT_TRUE(tasks);
        ASSERT_EQ(tasks->size(), 1u);
        EXPECT_EQ(tasks->front()->taskStatus(), "REJECTED");
        EXPECT_EQ(tasks->front()->photoType(), brand.carSource) << "the server's plan code";
        EXPECT_EQ(tasks->front()->applyNO(), applyNO);
        EXPECT_EQ(tasks->front()->rejectedReason(), "照片不清晰");

        auto files = manager->listMivoUploadTasks(Predicate::withFormat("carID=%@", *carId));
        ASSERT_TRUE(files);
        ASSERT_EQ(files->size(), 3u);
        const std::string positions[] = {"1", "2", std::to_string(brand.shots + 1)};
        for (size_t i = 0; i < 3; ++i) {
            const auto& file = (*files)[i];
            EXPECT_EQ(file->taskStatus(), "UPLOADED");
            EXPECT_EQ(file->taskPosition(), positions[i]);
            EXPECT_EQ(file->resourceType(), i == 2 ? "video" : "image");
            EXPECT_FALSE(file->fileUrl().empty());
            EXPECT_FALSE(file->thumbnail().empty());
            EXPECT_EQ(file->applyNO(), applyNO);
        }
        // The local task's own records are untouched.
        auto local
            = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@ and carID=%@", applyNO, ""));
        ASSERT_TRUE(local);
        EXPECT_EQ(local->size(), brand.shots + 1);
    }

    // Its row is on the rejected list, and its grid opens with the server's records in their slots.
    run({tap("label", "任务:" + applyNO), kSettle, wait("label", "照片1:已上传"),
        wait("label", "照片2:已上传"), wait("label", "照片3:未拍摄")});
    screenshot(std::string("rejected-grid-") + brand.user + ".png");

    // An empty slot is shot with the sample camera and gets a record of its own.
    run({tap("label", "照片3:"), kSettle, tap("label", "快门"), kSettle, wait("label", "照片3:已拍摄")});
    {
        auto files = store()->listMivoUploadTasks(
            Predicate::withFormat("carID=%@ and taskPosition=%@", *carId, std::string("3")));
        ASSERT_TRUE(files);
        ASSERT_EQ(files->size(), 1u);
        EXPECT_EQ(files->front()->taskStatus(), "PENDING");
        EXPECT_EQ(files->front()->applyNO(), applyNO);
        EXPECT_EQ(files->front()->fileUrl(), "");
    }
}

// The finished grid pairs the server's files with the slots by position: without photo 3 on the
// server, photo 4 shows in slot 3 and the last photo slot before the video is empty.
TEST_P(RoadTest, AFinishedTaskShowsTheServersPhotosInOrder)
{
    const Brand& brand = GetParam();
    const std::string applyNO = std::string("FIN") + brand.prefix + "01";
    const std::filesystem::path resources = std::filesystem::path(MIVO_SOURCE_DIR) / "Resources" / "camera";
    logIn(brand);
    auto carId = registerTask(brand, applyNO);
    ASSERT_TRUE(carId);
    for (const char* seq : {"1", "2", "4"})
        ASSERT_TRUE(upload(*carId, seq, "image", resources / "sample-photo-1.jpg", brand));
    ASSERT_TRUE(
        upload(*carId, std::to_string(brand.shots + 1), "video", resources / "sample-video.mp4", brand));
    ASSERT_TRUE(m_server.finish(*carId, "85000"));

    run({tap("text", "已完成任务"), kSettle, wait("label", "任务:" + applyNO),
        tap("label", "任务:" + applyNO), kSettle, wait("label", "照片1:已上传"),
        wait("label", "照片3:已上传"), wait("label", "照片4:未拍摄"), wait("label", "照片5:未拍摄")});
    screenshot(std::string("finished-grid-") + brand.user + ".png");

    // A tap opens no camera.
    run({tap("label", "照片1:"), kSettle});
    EXPECT_EQ(tree().find("快门"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Brands, RoadTest,
    ::testing::Values(Brand {"arvel", "AV", "1001", "拆密封条-方案1", 13, "0"},
        Brand {"kestro", "KS", "1002", "不拆密封条-方案2", 14, "1"},
        Brand {"ombry", "OM", "1003", "拍摄方案", 18, "2"}),
    [](const auto& info) { return std::string(info.param.user); });
