#include "tests/server/InProcessServer.h"

#include "server/Misbehaviour.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <filesystem>

using server::Misbehaviour;
using server::MisbehaviourMode;
using servertest::InProcessServer;
using servertest::success;
using servertest::uploadFields;

TEST(MisbehaviourRules, FirstMatchingPrefixAppliesAndCountsDown)
{
    Misbehaviour m;
    m.add({MisbehaviourMode::Drop, 0, "/Services/FileUpload", 2});
    m.add({MisbehaviourMode::Status500, 0, "", -1});
    EXPECT_EQ(m.take("/Services/FileUpload.ashx")->mode, MisbehaviourMode::Drop);
    EXPECT_EQ(m.take("/Services/Login.ashx")->mode, MisbehaviourMode::Status500);
    EXPECT_EQ(m.take("/Services/FileUpload.ashx")->mode, MisbehaviourMode::Drop);
    // The drop rule is used up; the unlimited one stays.
    EXPECT_EQ(m.take("/Services/FileUpload.ashx")->mode, MisbehaviourMode::Status500);
    EXPECT_EQ(m.rules().size(), 1u);
    EXPECT_FALSE(m.take("/admin/misbehave")); // the way back is never blocked
    m.clear();
    EXPECT_FALSE(m.take("/Services/Login.ashx"));
}

TEST(MisbehavingServer, Status500AndNonJsonBodies)
{
    InProcessServer s;
    std::string id = s.addTask("AV0");
    auto misbehave = [&](const std::string& mode, const std::string& path) {
        ASSERT_TRUE(success(s.post("/admin/misbehave", {{"mode", mode}, {"path", path}, {"count", "1"}})));
    };
    misbehave("500", "");
    auto error = s.carTask("validate", {{"applyNo", "AV1"}});
    EXPECT_EQ(error.status, 500);
    EXPECT_TRUE(error.json.is_discarded());
    misbehave("nonjson", "/Services/FileUpload.ashx");
    auto html = s.upload(uploadFields(id, "1", "a.jpg"), "file1", "a.jpg", servertest::makeJpeg(64, 64));
    EXPECT_EQ(html.status, 200);
    EXPECT_EQ(html.contentType, "text/html");
    EXPECT_TRUE(html.json.is_discarded());
    // Neither misbehaving upload stored anything.
    EXPECT_FALSE(std::filesystem::exists(s.dataDir() / "data" / "media" / id / "1-a.jpg"));
}

TEST(MisbehavingServer, RefusesOneMethodOfAnEndpointWithSuccessFalse)
{
    InProcessServer s;
    std::string id = s.addTask("AV0");
    // The prefix reaches into the query: "add" is refused, "validate" of the same endpoint is not.
    ASSERT_TRUE(success(s.post("/admin/misbehave",
        {{"mode", "refuse"}, {"path", "/Services/CarTask.ashx?method=add"}, {"count", "-1"}})));
    EXPECT_TRUE(success(s.carTask("validate", {{"applyNo", "AV1"}})));
    auto refused = s.carTask("add",
        {{"userId", "1001"}, {"applyNo", "AV1"}, {"stockArea", ""}, {"undertakeCompany", ""},
            {"secondhandPrice", ""}, {"carSource", "0"}, {"regDate", ""}, {"loantype", "0"}});
    EXPECT_EQ(refused.status, 200);
    EXPECT_EQ(refused.json["Success"], false);
    EXPECT_EQ(refused.json["Msg"], "服务器拒绝了请求");
    ASSERT_TRUE(
        success(s.post("/admin/misbehave", {{"mode", "refuse"}, {"path", "/Services/FileUpload.ashx"}})));
    auto upload = s.upload(uploadFields(id, "1", "a.jpg"), "file1", "a.jpg", servertest::makeJpeg(64, 64));
    EXPECT_EQ(upload.contentType, "text/html");
    EXPECT_EQ(upload.json["Success"], false);
    EXPECT_FALSE(std::filesystem::exists(s.dataDir() / "data" / "media" / id / "1-a.jpg"));
}

TEST(MisbehavingServer, HugeSendsThirtyMegabytesOfZerosWithoutALength)
{
    InProcessServer s;
    std::string id = s.addTask("AV0");
    ASSERT_TRUE(
        success(s.post("/admin/misbehave", {{"mode", "huge"}, {"path", "/Services/"}, {"count", "2"}})));
    httplib::Client client("127.0.0.1", s.port());
    client.set_read_timeout(30);
    auto login = client.Post(
        "/Services/Login.ashx?time=1", "username=arvel&password=123456", "application/x-www-form-urlencoded");
    httplib::MultipartFormDataItems parts {{"carTaskId", id, "", ""}, {"seq", "1"}, {"type", "image"},
        {"file1", servertest::makeJpeg(64, 64), "a.jpg", "image/jpeg"}};
    auto upload = client.Post("/Services/FileUpload.ashx?method=upload&time=1", parts);
    for (auto* reply : {&login, &upload}) {
        ASSERT_TRUE(*reply);
        const std::string& body = (*reply)->body;
        EXPECT_EQ((*reply)->status, 200);
        EXPECT_FALSE((*reply)->has_header("Content-Length"));
        EXPECT_GE(body.size(), 30'000'000u);
        EXPECT_TRUE(body.starts_with(R"({"Success":true,"Msg":"","Data":[0,0,0)"));
        EXPECT_TRUE(body.ends_with(",0,0]}"));
        EXPECT_EQ(std::count(body.begin(), body.end(), ','), std::count(body.begin(), body.end(), '0') + 1);
    }
    EXPECT_EQ(login->get_header_value("Content-Type"), "application/json");
    EXPECT_EQ(upload->get_header_value("Content-Type"), "text/html");
    EXPECT_FALSE(std::filesystem::exists(s.dataDir() / "data" / "media" / id / "1-a.jpg"));
    // Both taken: the next login is answered as usual.
    EXPECT_EQ(s.login("arvel")["Success"], true);
}
