#include "tests/e2e/AppProcess.h"

#include "platform/foundation/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

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

} // namespace
