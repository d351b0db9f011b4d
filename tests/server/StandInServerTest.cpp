#include "tests/support/StandInServer.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>

using testsupport::StandInServer;

namespace {

nlohmann::json parse(const StandInServer::Response& response)
{
    return nlohmann::json::parse(response.body, nullptr, false);
}

// The exit code of a command; its output goes to the test's log.
int exitCode(const std::string& command)
{
    return WEXITSTATUS(std::system(command.c_str()));
}

// The server logs a request after its reply has gone out, so give the line a moment to arrive.
bool logShows(const StandInServer& server, const std::string& text)
{
    for (int i = 0; i < 200; ++i) {
        if (server.log().find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST(StandInServer, StartsTheBinaryAndWalksTheRoadWithTheAdminCommand)
{
    StandInServer server;
    ASSERT_TRUE(server.isRunning()) << server.log();
    EXPECT_EQ(server.baseUrl(), "http://127.0.0.1:" + std::to_string(server.port()) + "/Services");
    EXPECT_EQ(server.mediaBaseUrl() + "/Services", server.baseUrl());

    auto login
        = parse(server.post("/Services/Login.ashx?time=1", {{"username", "ombry"}, {"password", "123456"}}));
    EXPECT_EQ(login["Data"]["companyname"], "Ombry Motors");
    auto add = parse(server.post("/Services/CarTask.ashx?method=add&time=1",
        {{"userId", "1003"}, {"applyNo", "OM77"}, {"stockArea", "a"}, {"undertakeCompany", "b"},
            {"secondhandPrice", "1"}, {"carSource", "2"}, {"regDate", "2016-03-01 10:20:30"},
            {"loantype", "3"}}));
    ASSERT_TRUE(add["Success"].get<bool>());
    auto carId = server.carIdOf("OM77");
    ASSERT_TRUE(carId);
    EXPECT_EQ(*carId, add["Data"]["serverId"]);
    EXPECT_FALSE(server.carIdOf("OM78"));

    // The command-line form of the admin command.
    std::string binary = std::string(MIVO_BINARY_DIR) + "/server/mivo-server";
    EXPECT_EQ(exitCode(binary + " admin reject --url " + server.mediaBaseUrl() + " --car-id " + *carId
                  + " --reason '车架号不清晰'"),
        0);
    auto rejected = parse(server.post(
        "/Services/CarTask.ashx?method=overrulelist&time=1", {{"LoginName", "ombry"}, {"updateDate", ""}}));
    ASSERT_EQ(rejected["Data"].size(), 1u);
    EXPECT_EQ(rejected["Data"][0]["RejectReason"], "车架号不清晰");
    EXPECT_EQ(exitCode(binary + " admin finish --url " + server.baseUrl() + " --car-id 4242"), 1);

    EXPECT_TRUE(server.finish(*carId));
    EXPECT_FALSE(server.reject("4242"));
    EXPECT_TRUE(logShows(server, "POST /Services/Login.ashx?time=1 -> 200")) << server.log();
}

TEST(StandInServer, MisbehavesFromTheCommandLineAndOnRequestBesideAnother)
{
    StandInServer server({"--misbehave", "500", "--misbehave-count", "1", "--misbehave-path", "/Services"});
    ASSERT_TRUE(server.isRunning());
    EXPECT_EQ(server.post("/Services/CarTask.ashx?method=validate&time=1", {{"applyNo", "X"}}).status, 500);
    EXPECT_EQ(server.post("/Services/CarTask.ashx?method=validate&time=1", {{"applyNo", "X"}}).status, 200);

    ASSERT_TRUE(server.misbehave("drop", 0, "/Services/Login.ashx"));
    EXPECT_FALSE(server.post("/Services/Login.ashx?time=1", {}).answered);
    EXPECT_FALSE(server.post("/Services/Login.ashx?time=1", {}).answered);
    ASSERT_TRUE(server.behave());
    EXPECT_TRUE(server.post("/Services/Login.ashx?time=1", {}).answered);

    // A delay is seen in the log rather than timed.
    ASSERT_TRUE(server.misbehave("delay", 20, "/Services/CarTask.ashx", 1));
    EXPECT_EQ(server.post("/Services/CarTask.ashx?method=validate&time=1", {{"applyNo", "Y"}}).status, 200);
    EXPECT_TRUE(logShows(server, "validate&time=1 -> 200 (53 bytes) [delayed 20 ms]")) << server.log();

    auto id = server.addUser("zed", "pw", "Zed Cars", "ZC");
    ASSERT_TRUE(id);
    EXPECT_GT(*id, 1003);

    // A second server runs beside it.
    StandInServer other;
    ASSERT_TRUE(other.isRunning());
    EXPECT_NE(other.port(), server.port());
    EXPECT_NE(other.dataDir(), server.dataDir());
}

TEST(StandInServer, RefusesPortsAndLimitsItCannotKeep)
{
    auto dir = std::filesystem::temp_directory_path() / ("mivo-server-args-" + std::to_string(::getpid()));
    std::string binary = std::string(MIVO_BINARY_DIR) + "/server/mivo-server";
    std::string common = " --data " + dir.string() + " --port-file " + (dir / "port").string() + " --quiet";
    for (const char* bad : {"--port 70000", "--port 65536", "--port -1", "--max-upload-mb -5",
             "--max-upload-bytes -1", "--delay-ms -3"}) {
        EXPECT_NE(exitCode("timeout 5 " + binary + " " + bad + common + " 2>/dev/null"), 0) << bad;
        EXPECT_FALSE(std::filesystem::exists(dir / "port")) << bad;
    }
    std::filesystem::remove_all(dir);
}
