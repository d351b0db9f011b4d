#include "tests/e2e/AppProcess.h"

#include "platform/foundation/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <vector>

namespace {

using mivo::test::AppProcess;

struct Outcome {
    int exitCode = -1;
    std::string output;
};

// Runs the app to its end with stdin closed; a hung app is stopped after 30 seconds.
Outcome runApp(const std::string& arguments)
{
    std::string command
        = "timeout 30 " + AppProcess::binary().string() + " " + arguments + " </dev/null 2>&1";
    Outcome run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(StartupTest, AHomeFolderThatCannotBeWrittenIsRefusedAtOnce)
{
    auto home = AppProcess::makeHome();
    // A file where the home's folders would go: no user, root included, can write beneath it.
    ASSERT_TRUE(foundation::writeFileAtomically(home / "taken", "a file"));
    Outcome run = runApp("--headless --automation --home " + (home / "taken" / "home").string());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("cannot be written"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find((home / "taken" / "home").string()), std::string::npos) << run.output;
    AppProcess::removeHome(home);
}

TEST(StartupTest, AHomeWhoseOwnFoldersAreLinksElsewhereIsRefusedAtOnce)
{
    auto home = AppProcess::makeHome();
    auto outside = AppProcess::makeHome();
    ASSERT_TRUE(
        foundation::writeFileAtomically(outside / "MivoInspector.json", R"({"staticBaseUrl": "theirs"})"));
    ASSERT_TRUE(foundation::writeFileAtomically(outside / ".mivo-write-check", "theirs"));
    std::filesystem::create_directories(home / "app" / "Library");
    std::filesystem::create_directory_symlink(outside, home / "app" / "Documents");
    std::filesystem::create_directory_symlink(outside, home / "app" / "Library" / "Preferences");
    Outcome run = runApp(
        "--headless --automation --server http://127.0.0.1 --port 9 --home " + (home / "app").string());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("is a symbolic link"), std::string::npos) << run.output;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(outside))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> {".mivo-write-check", "MivoInspector.json"}));
    EXPECT_EQ(foundation::readFile(outside / ".mivo-write-check"), "theirs");
    EXPECT_EQ(foundation::readFile(outside / "MivoInspector.json"), R"({"staticBaseUrl": "theirs"})");
    AppProcess::removeHome(home);
    AppProcess::removeHome(outside);
}

} // namespace
