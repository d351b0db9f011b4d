#include "tests/server/InProcessServer.h"

#include "server/Misbehaviour.h"

#include <gtest/gtest.h>

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
