#include "tests/server/InProcessServer.h"

#include "server/Misbehaviour.h"

#include <gtest/gtest.h>

using server::Misbehaviour;
using server::MisbehaviourMode;
using servertest::InProcessServer;

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

class MisbehavingServer : public ::testing::Test {
protected:
    void misbehave(const std::string& mode, const std::string& path = "", int count = 1, int delayMs = 0)
    {
        auto reply = s.post("/admin/misbehave",
            {{"mode", mode}, {"path", path}, {"count", std::to_string(count)},
                {"delayMs", std::to_string(delayMs)}});
        ASSERT_TRUE(reply.json.value("Success", false)) << reply.body;
    }
    InProcessServer::Reply validate() const
    {
        return s.post("/Services/CarTask.ashx?method=validate&time=1", {{"applyNo", "AV1"}});
    }
    InProcessServer::Reply upload() const
    {
        return s.upload({{"filename", "a.jpg"}, {"carTaskId", id}, {"seq", "1"}, {"type", "image"}}, "file1",
            "a.jpg", servertest::makeJpeg(64, 64));
    }

    InProcessServer s;
    std::string id = s.addTask("AV0");
};

TEST_F(MisbehavingServer, Status500AndNonJsonBodies)
{
    misbehave("500");
    auto error = validate();
    EXPECT_EQ(error.status, 500);
    EXPECT_TRUE(error.json.is_discarded());
    misbehave("nonjson", "/Services/FileUpload.ashx");
    auto html = upload();
    EXPECT_EQ(html.status, 200);
    EXPECT_EQ(html.contentType, "text/html");
    EXPECT_TRUE(html.json.is_discarded());
    // Neither misbehaving upload stored anything.
    EXPECT_FALSE(std::filesystem::exists(s.dataDir() / "data" / "media" / id / "1-a.jpg"));
}
