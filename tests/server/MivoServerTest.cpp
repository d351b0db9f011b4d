#include "tests/server/InProcessServer.h"

#include "server/ServerTime.h"

#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using servertest::InProcessServer;
using servertest::jpegSize;
using servertest::makeJpeg;

using servertest::msg;
using servertest::success;
using servertest::uploadFields;

namespace {

const char* const kValidate = "/Services/CarTask.ashx?method=validate&time=1";
const char* const kUserInfo = "/Services/userinfo.ashx?method=";

} // namespace

TEST(MivoServerLogin, EachBrandLogsInWithItsCompanyAndPrefix)
{
    InProcessServer s;
    struct Expected {
        const char* user;
        const char* company;
        const char* prefix;
        int64_t id;
    };
    for (const Expected& e : {Expected {"arvel", "Arvel", "AV", 1001},
             Expected {"kestro", "Kestro", "KS", 1002}, Expected {"ombry", "Ombry Motors", "OM", 1003}}) {
        auto reply = s.login(e.user);
        ASSERT_TRUE(reply.value("Success", false)) << reply.dump();
        const auto& data = reply["Data"];
        EXPECT_EQ(data["userId"].get<int64_t>(), e.id);
        EXPECT_EQ(data["loginname"], e.user);
        EXPECT_EQ(data["companyname"], e.company);
        EXPECT_EQ(data["orderprefix"], e.prefix);
        for (const char* key : {"name", "logourl", "photoplan", "simidstate", "simid"})
            EXPECT_TRUE(data.contains(key)) << key;
    }
}

TEST(MivoServerLogin, BadCredentialsDeviceBindingAndPasswordChange)
{
    InProcessServer s;
    auto wrong = s.login("arvel", "654321");
    EXPECT_FALSE(wrong["Success"].get<bool>());
    EXPECT_EQ(wrong["Msg"], "用户名或密码错误");
    EXPECT_EQ(wrong["Data"]["errorstate"], 1);
    EXPECT_EQ(s.login("nobody")["Msg"], "用户名或密码错误");
    auto empty = s.post("/Services/Login.ashx?time=1", {{"simid", "x"}});
    EXPECT_FALSE(success(empty));
    EXPECT_EQ(empty.json["Data"]["errorstate"], 2);

    const std::string bind = std::string(kUserInfo) + "updatesimid&time=1";
    EXPECT_EQ(s.login("kestro")["Data"]["simidstate"], "0");
    EXPECT_TRUE(success(s.post(bind, {{"username", "kestro"}, {"simid", "sim-1"}})));
    EXPECT_EQ(s.login("kestro")["Data"]["simidstate"], "1");
    EXPECT_FALSE(success(s.post(bind, {{"username", "ghost"}, {"simid", "s"}})));

    const std::string pwd = std::string(kUserInfo) + "updatepwd&time=1";
    EXPECT_EQ(
        msg(s.post(pwd, {{"username", "kestro"}, {"oldpassword", "bad"}, {"password", "n"}})), "原密码错误");
    EXPECT_FALSE(success(s.post(pwd, {{"username", "kestro"}, {"oldpassword", "123456"}})));
    EXPECT_TRUE(
        success(s.post(pwd, {{"username", "kestro"}, {"oldpassword", "123456"}, {"password", "abcdef"}})));
    EXPECT_FALSE(s.login("kestro")["Success"].get<bool>());
    EXPECT_TRUE(s.login("kestro", "abcdef")["Success"].get<bool>());
}

TEST(MivoServerTasks, ValidateAddAndChangeApplicationNumber)
{
    InProcessServer s;
    EXPECT_TRUE(success(s.post(kValidate, {{"applyNo", "AV2016001"}})));
    std::string id = s.addTask("AV2016001");
    EXPECT_FALSE(id.empty());
    auto taken = s.post(kValidate, {{"applyNo", "AV2016001"}});
    EXPECT_FALSE(success(taken));
    EXPECT_EQ(msg(taken), "申请编号已存在");
    EXPECT_EQ(msg(s.post(kValidate, {})), "缺少参数: applyNo");

    EXPECT_EQ(msg(s.carTask("add", servertest::taskForm("AV2016001"))), "申请编号已存在");
    EXPECT_EQ(msg(s.carTask("add", {{"userId", "1001"}, {"applyNo", "AV9"}})), "缺少参数: stockArea");
    EXPECT_EQ(msg(s.carTask("add", servertest::taskForm("AV9", 42))), "用户不存在");

    s.addTask("AV2016002");
    EXPECT_EQ(
        msg(s.carTask("updateapplyno", {{"serverId", id}, {"applyNo", "AV2016002"}})), "申请编号已存在");
    EXPECT_EQ(msg(s.carTask("updateapplyno", {{"serverId", "999"}, {"applyNo", "AV7"}})), "任务不存在");
    EXPECT_TRUE(success(s.carTask("updateapplyno", {{"serverId", id}, {"applyNo", "AV2016003"}})));
    EXPECT_TRUE(success(s.post(kValidate, {{"applyNo", "AV2016001"}})));
    EXPECT_FALSE(success(s.post(kValidate, {{"applyNo", "AV2016003"}})));
}

TEST(MivoServerStart, APortOutsideTheRangeIsRefusedNotWrappedRound)
{
    auto dir = std::filesystem::temp_directory_path() / ("mivo-server-range-" + std::to_string(::getpid()));
    for (int port : {65536, 70000, -1}) {
        server::ServerOptions options;
        options.port = port;
        options.dataDir = dir;
        options.portFile = dir / "port";
        options.logRequests = false;
        server::MivoServer server(options);
        std::string error;
        EXPECT_FALSE(server.start(&error)) << port;
        EXPECT_NE(error.find("outside 0 to 65535"), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(dir / "port"));
    }
    std::filesystem::remove_all(dir);
}

TEST(MivoServerTasks, UnknownEndpointsAndMethodsAnswerInTheEnvelope)
{
    InProcessServer s;
    auto method = s.carTask("explode", {});
    EXPECT_FALSE(success(method));
    EXPECT_NE(msg(method).find("explode"), std::string::npos);
    auto path = s.post("/Services/Nothing.ashx?time=1", {});
    EXPECT_EQ(path.status, 404);
    EXPECT_FALSE(success(path));
}

TEST(MivoServerUpload, StoresTheFileServesItAndItsThumbnail)
{
    InProcessServer s;
    std::string id = s.addTask("AV1");
    std::string photo = makeJpeg(1600, 1200);
    auto reply = s.upload(uploadFields(id, "3", "1456000000.jpg"), "file1", "1456000000.jpg", photo);
    ASSERT_TRUE(success(reply)) << reply.body;
    EXPECT_EQ(reply.contentType, "text/html");
    std::string url = reply.json["Data"]["FileUrl"];
    EXPECT_EQ(url, "/media/" + id + "/3-1456000000.jpg");

    auto served = s.get(url);
    EXPECT_EQ(served.status, 200);
    EXPECT_EQ(served.contentType, "image/jpeg");
    EXPECT_EQ(served.body, photo);

    auto thumb = s.get(reply.json["Data"]["Thumbnail"]);
    EXPECT_EQ(thumb.status, 200);
    // DCT scaling to the smallest factor that still covers the target: 1600 x 1200 at 1/4.
    EXPECT_EQ(jpegSize(thumb.body), std::make_pair(400, 300));

    // A video's thumbnail is its first frame (the placeholder would be 160 x 120).
    std::ifstream in(MIVO_SOURCE_DIR "/Resources/camera/sample-video.mp4", std::ios::binary);
    std::string video((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto movie = s.upload(uploadFields(id, "14", "5.mp4", "video"), "file14", "5.mp4", video, "video/mp4");
    ASSERT_TRUE(success(movie)) << movie.body;
    EXPECT_EQ(jpegSize(s.get(movie.json["Data"]["Thumbnail"]).body), std::make_pair(240, 180));

    // Names with spaces and Chinese are stored as given and percent-encoded in the URLs.
    std::string small = makeJpeg(64, 64);
    auto named = s.upload(uploadFields(id, "2", "车头 1.jpg"), "file2", "车头 1.jpg", small);
    ASSERT_TRUE(success(named)) << named.body;
    EXPECT_EQ(named.json["Data"]["FileUrl"], "/media/" + id + "/2-%E8%BD%A6%E5%A4%B4%201.jpg");
    EXPECT_EQ(s.get(named.json["Data"]["FileUrl"]).body, small);
    EXPECT_EQ(s.get(named.json["Data"]["Thumbnail"]).status, 200);
    EXPECT_TRUE(std::filesystem::exists(s.dataDir() / "data" / "media" / id / "2-车头 1.jpg"));
}

TEST(MivoServerUpload, SameSeqReplacesTheEarlierFileOnlyOnceTheNewOneIsInPlace)
{
    InProcessServer s;
    std::string id = s.addTask("AV1");
    const auto folder = s.dataDir() / "data" / "media" / id;
    auto first = s.upload(uploadFields(id, "1", "a.jpg"), "file1", "a.jpg", makeJpeg(320, 240));
    const std::string photo = makeJpeg(640, 480);
    auto second = s.upload(uploadFields(id, "1", "b.jpg"), "file1", "b.jpg", photo);
    ASSERT_TRUE(success(first));
    ASSERT_TRUE(success(second));
    EXPECT_EQ(s.get(first.json["Data"]["FileUrl"]).status, 404);
    EXPECT_EQ(s.get(second.json["Data"]["FileUrl"]).status, 200);
    EXPECT_FALSE(std::filesystem::exists(folder / "1-a.jpg"));

    // Something in the way of the next thumbnail makes the replacement fail: b stays.
    std::filesystem::create_directories(folder / "thumbs" / "1-c.jpg" / "x");
    EXPECT_FALSE(success(s.upload(uploadFields(id, "1", "c.jpg"), "file1", "c.jpg", makeJpeg(32, 32))));
    EXPECT_EQ(s.get(second.json["Data"]["FileUrl"]).body, photo);
    EXPECT_EQ(s.get(second.json["Data"]["Thumbnail"]).status, 200);
    EXPECT_FALSE(std::filesystem::exists(folder / "1-c.jpg"));
    EXPECT_TRUE(std::filesystem::is_empty(s.dataDir() / "data" / "tmp"));

    ASSERT_TRUE(success(s.post("/admin/finish", {{"carId", id}})));
    auto list = s.listOf("endlist");
    ASSERT_EQ(list.json["Data"].size(), 1u);
    ASSERT_EQ(list.json["Data"][0]["CarFilesList"].size(), 1u);
    EXPECT_EQ(list.json["Data"][0]["CarFilesList"][0]["FileName"], "b.jpg");
}

TEST(MivoServerUpload, HostileOrIncompleteUploadsAreRefusedWithoutWritingOutside)
{
    InProcessServer s;
    std::string id = s.addTask("AV1");
    std::string photo = makeJpeg(64, 64);
    for (const std::string& name : std::vector<std::string> {
             "../evil.jpg", "a/b.jpg", "..", "x\\y.jpg", std::string("nul\0.jpg", 8), std::string()}) {
        auto reply = s.upload(uploadFields(id, "2", name), "file1", "safe.jpg", photo);
        EXPECT_FALSE(success(reply)) << name;
        EXPECT_EQ(msg(reply), "文件名不合法") << name;
        EXPECT_EQ(reply.contentType, "text/html");
    }
    // The part's own name is used when the field is absent, and checked the same way.
    auto fields = uploadFields(id, "2", "");
    fields.erase("filename");
    EXPECT_EQ(msg(s.upload(fields, "file1", "../../evil.jpg", photo)), "文件名不合法");

    EXPECT_EQ(msg(s.upload(uploadFields("", "1", "a.jpg"), "file1", "a.jpg", photo)), "任务编号不合法: \"\"");
    EXPECT_EQ(msg(s.upload(uploadFields("999", "1", "a.jpg"), "file1", "a.jpg", photo)), "任务不存在");
    EXPECT_EQ(msg(s.upload(uploadFields(id, "x", "a.jpg"), "file1", "a.jpg", photo)), "文件序号不合法");
    EXPECT_EQ(
        msg(s.upload(uploadFields(id, "1", "a.jpg", "pdf"), "file1", "a.jpg", photo)), "文件类型不合法: pdf");
    EXPECT_EQ(msg(s.upload(uploadFields(id, "1", "a.jpg"), "", "", "")), "缺少文件");
    EXPECT_EQ(msg(s.upload(uploadFields(id, "1", "a.jpg"), "file1", "a.jpg", "")), "文件为空");
    EXPECT_FALSE(success(s.post("/Services/FileUpload.ashx?method=upload&time=1", {{"carTaskId", id}})));

    // Nothing was stored anywhere: no media beside the task's (empty) folder, no temp leftovers.
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(s.dataDir()))
        if (entry.is_regular_file() && entry.path().string().find("/media/") != std::string::npos)
            written.push_back(entry.path().string());
    EXPECT_TRUE(written.empty()) << written.front();
    EXPECT_TRUE(std::filesystem::is_empty(s.dataDir() / "data" / "tmp"));
    EXPECT_FALSE(std::filesystem::exists(s.dataDir() / "evil.jpg"));
    EXPECT_FALSE(std::filesystem::exists(s.dataDir() / "data" / "evil.jpg"));
    // The largest position is odd but harmless: it must not break the server.
    EXPECT_TRUE(success(s.upload(uploadFields(id, "9223372036854775807", "a.jpg"), "file1", "a.jpg", photo)));
}

TEST(MivoServerUpload, OversizeFilesAreRefusedWithAClearMessage)
{
    server::ServerOptions options;
    options.maxUploadBytes = 4096;
    InProcessServer s(options);
    std::string id = s.addTask("AV1");
    auto big = s.upload(uploadFields(id, "1", "big.jpg"), "file1", "big.jpg", std::string(20000, 'x'));
    EXPECT_FALSE(success(big));
    EXPECT_EQ(msg(big), "文件过大, 上限 4096 字节");
    EXPECT_TRUE(std::filesystem::is_empty(s.dataDir() / "data" / "tmp"));
    // The server keeps serving.
    EXPECT_TRUE(success(s.upload(uploadFields(id, "1", "ok.jpg"), "file1", "ok.jpg", makeJpeg(32, 32))));
}

TEST(MivoServerLists, RejectAndFinishReachTheListsWithFilesAndTheDateFilter)
{
    InProcessServer s;
    const double t0 = *server::ServerTime::parseLocal("2026-03-01 10:00:00");
    s.setNow(t0);
    std::string a = s.addTask("AV1");
    std::string b = s.addTask("AV2", 1001, "1");
    std::string k = s.addTask("KS1", 1002);
    ASSERT_TRUE(success(s.upload(uploadFields(a, "1", "p1.jpg"), "file1", "p1.jpg", makeJpeg(64, 48))));
    ASSERT_TRUE(success(s.upload(
        uploadFields(a, "14", "v.mp4", "video"), "file2", "v.mp4", "not really a video", "video/mp4")));

    s.setNow(t0 + 60);
    ASSERT_TRUE(success(s.post("/admin/reject", {{"carId", a}, {"reason", "照片模糊"}})));
    ASSERT_TRUE(success(s.post("/admin/reject", {{"carId", k}})));
    s.setNow(t0 + 120);
    ASSERT_TRUE(success(s.post("/admin/finish", {{"carId", b}, {"price", "76000"}})));

    auto rejected = s.listOf("overrulelist");
    ASSERT_TRUE(success(rejected)) << rejected.body;
    EXPECT_EQ(rejected.json["sysdate"], "2026-03-01 10:02:00");
    ASSERT_EQ(rejected.json["Data"].size(), 1u); // kestro's rejection is not arvel's
    const auto& task = rejected.json["Data"][0];
    for (const auto& [key, value] : std::map<std::string, std::string> {{"CarID", a}, {"carSource", "0"},
             {"ApplyNo", "AV1"}, {"ApplyNoWithoutPrefix", "1"}, {"RejectReason", "照片模糊"},
             {"StockArea", "上海"}, {"UpdateDate", "2026-03-01 10:01:00"}})
        EXPECT_EQ(task[key], value) << key;
    const auto& files = task["CarFilesList"];
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0]["carTaskId"], a);
    EXPECT_EQ(files[0]["FileNum"], "1");
    EXPECT_EQ(files[0]["FileType"], "image");
    EXPECT_EQ(files[0]["FileName"], "p1.jpg");
    EXPECT_EQ(files[1]["FileNum"], "14");
    EXPECT_EQ(files[1]["FileType"], "video");
    // A video without a decodable frame still gets a (placeholder) thumbnail.
    EXPECT_EQ(s.get(files[1]["Thumbnail"]).status, 200);
    EXPECT_EQ(s.get(files[0]["Thumbnail"]).status, 200);

    auto finished = s.listOf("endlist", "2026-03-01 10:01:30");
    ASSERT_EQ(finished.json["Data"].size(), 1u);
    EXPECT_EQ(finished.json["Data"][0]["CarID"], b);
    EXPECT_EQ(finished.json["Data"][0]["carSource"], "1");
    EXPECT_EQ(finished.json["Data"][0]["AssessPrice"], "76000");
    EXPECT_TRUE(finished.json["Data"][0]["CarFilesList"].empty());

    // Changes at the given second are included (nothing is lost between two polls); later dates filter.
    EXPECT_EQ(s.listOf("overrulelist", "2026-03-01 10:01:00").json["Data"].size(), 1u);
    EXPECT_EQ(s.listOf("overrulelist", "2026-03-01 10:01:01").json["Data"].size(), 0u);
    EXPECT_EQ(s.listOf("endlist", "2026-03-01 10:02:01").json["Data"].size(), 0u);
    EXPECT_EQ(s.listOf("overrulecount").json["Data"]["Count"], 1);
    EXPECT_EQ(s.listOf("endcount", "2026-03-01 10:00:00").json["Data"]["Count"], 1);
    EXPECT_EQ(s.listOf("endcount", "2026-03-01 10:03:00").json["Data"]["Count"], 0);

    auto bad = s.listOf("endlist", "yesterday");
    EXPECT_FALSE(success(bad));
    EXPECT_TRUE(bad.json["Data"].is_array());
    EXPECT_EQ(msg(s.listOf("endlist")), "");
    EXPECT_EQ(msg(s.listOf("endlist", "", "ghost")), "用户不存在");
    EXPECT_EQ(msg(s.carTask("endcount", {{"LoginName", "arvel"}})), "缺少参数: updateDate");
}

TEST(MivoServerLists, ARejectedTaskShotAgainLeavesTheRejectedListAndAFinishedOneTakesNoFiles)
{
    InProcessServer s;
    std::string id = s.addTask("AV1");
    ASSERT_TRUE(success(s.post("/admin/reject", {{"carId", id}})));
    EXPECT_EQ(s.listOf("overrulecount").json["Data"]["Count"], 1);
    ASSERT_TRUE(
        success(s.upload(uploadFields(id, "1", "again.jpg"), "file1", "again.jpg", makeJpeg(32, 32))));
    EXPECT_EQ(s.listOf("overrulecount").json["Data"]["Count"], 0);
    // Rejected once more, it comes back; once finished, it takes no more files.
    ASSERT_TRUE(success(s.post("/admin/reject", {{"carId", id}})));
    EXPECT_EQ(s.listOf("overrulecount").json["Data"]["Count"], 1);
    ASSERT_TRUE(success(s.post("/admin/finish", {{"carId", id}})));
    EXPECT_EQ(msg(s.upload(uploadFields(id, "1", "a.jpg"), "file1", "a.jpg", makeJpeg(32, 32))),
        "任务已完成, 不能再上传文件");
}

TEST(MivoServerAdmin, AddedUsersLogInAndBadAdminCommandsFail)
{
    InProcessServer s;
    auto added = s.post("/admin/user",
        {{"loginname", "zed"}, {"password", "pw"}, {"companyname", "Zed Cars"}, {"orderprefix", "ZC"}});
    ASSERT_TRUE(success(added)) << added.body;
    auto login = s.login("zed", "pw");
    EXPECT_EQ(login["Data"]["companyname"], "Zed Cars");
    EXPECT_EQ(login["Data"]["userId"], added.json["Data"]["userId"]);
    EXPECT_FALSE(success(s.post("/admin/user", {{"loginname", "zed"}, {"password", "x"}})));
    EXPECT_FALSE(success(s.post("/admin/finish", {{"carId", "77"}})));
    EXPECT_FALSE(success(s.post("/admin/reject", {})));
    EXPECT_FALSE(success(s.post("/admin/misbehave", {{"mode", "explode"}})));
}

TEST(MivoServerUpload, AllFilesOfATaskCanArriveAtOnce)
{
    // The upload screen sends every file of a task at the same moment, each on its own connection.
    InProcessServer s;
    std::string id = s.addTask("AV1");
    std::string photo = makeJpeg(800, 600);
    std::vector<std::thread> senders;
    std::vector<std::string> failures(19);
    for (int i = 0; i < 19; ++i) {
        senders.emplace_back([&, i] {
            std::string name = std::to_string(1456000000 + i) + ".jpg";
            auto reply = s.upload(
                uploadFields(id, std::to_string(i + 1), name), "file" + std::to_string(i + 1), name, photo);
            if (!success(reply))
                failures[i]
                    = "file " + std::to_string(i + 1) + ": " + (reply.answered ? reply.body : reply.error);
        });
    }
    for (auto& t : senders)
        t.join();
    for (const auto& failure : failures)
        EXPECT_TRUE(failure.empty()) << failure;
    ASSERT_TRUE(success(s.post("/admin/finish", {{"carId", id}})));
    auto list = s.listOf("endlist");
    const auto& files = list.json["Data"][0]["CarFilesList"];
    ASSERT_EQ(files.size(), 19u);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(files[i]["FileNum"], std::to_string(i + 1));
}
