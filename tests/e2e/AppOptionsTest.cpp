#include "tests/e2e/AppProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

// Runs the app with arguments; its exit code and what it wrote to stderr.
std::pair<int, std::string> runApp(const std::string& arguments)
{
    std::string command = mivo::test::AppProcess::binary().string() + " " + arguments + " 2>&1 >/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {-1, ""};
    std::string output;
    char chunk[512];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe))
        output.append(chunk, n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(AppOptionsTest, TheCameraOptionNeedsAFolder)
{
    for (const char* arguments :
        {"--camera", "--camera /nonexistent/camera-folder", "--camera /etc/hostname"}) {
        auto [code, output] = runApp(std::string(arguments) + " --headless");
        EXPECT_EQ(code, 2) << arguments;
        EXPECT_NE(output.find("--camera"), std::string::npos) << arguments << ": " << output;
        if (std::string(arguments) != "--camera") {
            EXPECT_NE(output.find("needs a folder"), std::string::npos) << arguments << ": " << output;
        }
    }
}

} // namespace
