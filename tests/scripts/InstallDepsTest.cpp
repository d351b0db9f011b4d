#include "tests/support/Command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Runs scripts/install-deps.sh against stand-ins for dpkg-query, apt-get and sudo: every package
// looks missing, and apt-get answers as the test scripts it with aptGet() (it sees its call number
// in $n).
class InstallDepsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("mivo-install-deps-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "bin");
        write("dpkg-query", "exit 1\n");
        write("sudo", "exec \"$@\"\n");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void write(const std::string& name, const std::string& body)
    {
        auto path = m_dir / "bin" / name;
        std::ofstream(path) << "#!/usr/bin/env bash\n" << body;
        fs::permissions(path, fs::perms::owner_all);
    }
    void aptGet(const std::string& script)
    {
        write("apt-get",
            "calls=" + (m_dir / "calls").string() + "\necho \"$*\" >> \"$calls\"\nn=$(wc -l < \"$calls\")\n"
                + script);
    }
    std::string calls() const
    {
        std::ifstream in(m_dir / "calls");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    mivo::test::CommandResult run(int lockWait)
    {
        return mivo::test::runCommand("env PATH='" + (m_dir / "bin").string() + ":" + std::getenv("PATH")
            + "' MIVO_APT_LOCK_POLL=0 MIVO_APT_LOCK_WAIT=" + std::to_string(lockWait) + " bash '"
            + MIVO_SOURCE_DIR + "/scripts/install-deps.sh' 2>&1");
    }

    fs::path m_dir;
};

TEST_F(InstallDepsTest, WaitsForAnotherPackageManagersLock)
{
    aptGet("if [[ $n -le 2 ]]; then\n"
           "  echo 'E: Could not get lock /var/lib/apt/lists/lock. It is held by process 77 (apt-get)' >&2\n"
           "  exit 100\nfi\nexit 0\n");
    auto result = run(60);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("waiting"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("install-deps: done"), std::string::npos) << result.output;
    std::string log = calls();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4) << log; // update x3, install
    EXPECT_NE(log.find("install -y"), std::string::npos) << log;
    EXPECT_NE(log.find("libcurl4-openssl-dev"), std::string::npos) << log;
}

TEST_F(InstallDepsTest, OtherFailuresAndALockHeldTooLongStillFail)
{
    aptGet("echo 'E: Unable to locate package libnothing' >&2\nexit 100\n");
    auto failing = run(60);
    EXPECT_NE(failing.exitCode, 0);
    EXPECT_EQ(failing.output.find("waiting"), std::string::npos) << failing.output;
    EXPECT_NE(failing.output.find("Unable to locate package"), std::string::npos) << failing.output;

    fs::remove(m_dir / "calls");
    aptGet("echo 'E: Could not get lock /var/lib/dpkg/lock-frontend' >&2\nexit 100\n");
    auto held = run(0);
    EXPECT_NE(held.exitCode, 0);
    EXPECT_NE(held.output.find("Could not get lock"), std::string::npos) << held.output;
}

} // namespace
