#include "tests/e2e/AppProcess.h"
#include "tests/support/Command.h"

#include <gtest/gtest.h>

namespace {

mivo::test::CommandResult run(const std::string& arguments)
{
    return mivo::test::runCommand(mivo::test::AppProcess::binary().string() + " " + arguments + " 2>&1");
}

TEST(CommandLineTest, HelpListsTheHostsOptionsAndTheAppsInOneText)
{
    auto help = run("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* name :
        {"--headless", "--automation", "--script", "--tablet", "--window-scale", "--frames", "--run-for",
            "--screenshot", "--home", "--server", "--port", "--camera", "--walkthrough", "--help"})
        EXPECT_NE(help.output.find(name), std::string::npos) << name << " in\n" << help.output;
}

TEST(CommandLineTest, BadOptionsSayWhichAndExitWithTwo)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--port 0", "--port"},
        {"--port 65536", "--port"},
        {"--port eighty", "--port"},
        {"--server", "--server"},
        {"--server ''", "--server"},
        {"--run-for -1", "--run-for"},
        {"--automation --script x.jsonl", "--script"},
        {"--no-such-option", "--no-such-option"},
    };
    for (const auto& [arguments, named] : cases) {
        auto result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_NE(result.output.find(named), std::string::npos) << arguments << ": " << result.output;
    }
}

TEST(CommandLineTest, HeadlessRunForEndsWithTheScreenshot)
{
    const auto home = mivo::test::AppProcess::makeHome();
    ASSERT_FALSE(home.empty());
    auto result = run("--headless --home '" + home.string() + "' --run-for 0.2 --screenshot '"
        + (home / "end.png").string() + "'");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_GT(std::filesystem::file_size(home / "end.png"), 1000u);
    mivo::test::AppProcess::removeHome(home);
}

} // namespace
