#include "platform/host/HostOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::optional<host::HostOptions> parse(std::vector<const char*> args, std::string* error = nullptr)
{
    args.insert(args.begin(), "prog");
    return host::HostOptions::parse(int(args.size()), args.data(), error);
}

TEST(HostOptionsTest, ReadsEveryOption)
{
    auto options
        = parse({"--headless", "--automation", "--tablet", "--system-version", "6.1", "--window-scale", "1",
            "--frames", "3", "--run-for", "0.5", "--screenshot", "out.png", "--home", "/tmp/h"});
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->headless);
    EXPECT_TRUE(options->automation);
    EXPECT_TRUE(options->tablet);
    EXPECT_EQ(options->systemVersion, "6.1");
    EXPECT_EQ(options->windowScale, 1);
    EXPECT_EQ(options->frames, 3);
    EXPECT_EQ(options->runFor, 0.5);
    EXPECT_EQ(options->screenshot, std::filesystem::path("out.png"));
    EXPECT_EQ(options->home, std::filesystem::path("/tmp/h"));
    EXPECT_FALSE(options->script);
}

TEST(HostOptionsTest, RejectsUnknownOptionsAndBadValues)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--fullscreen"},
        {"--frames"},
        {"--frames", "many"},
        {"--frames", "1e300"},
        {"--frames", "-2"},
        {"--run-for", "-1"},
        {"--run-for", "inf"},
        {"--run-for", "nan"},
        {"--window-scale", "9"},
        {"--system-version", "seven"},
        {"--system-version", "7..1"},
        {"--system-version", "7."},
        {"--script"},
        {"--script", ""},
        {"--home", ""},
        {"--automation", "--script", "x.jsonl"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(parse(args, &error)) << args.front();
        EXPECT_FALSE(error.empty()) << args.front();
    }
    std::string error;
    parse({"--fullscreen"}, &error);
    EXPECT_NE(error.find("--fullscreen"), std::string::npos) << error;
    EXPECT_TRUE(parse({}));
}

TEST(HostOptionsTest, HelpIsAnAnswerAndListsEveryOption)
{
    auto options = parse({"--help"});
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->help);
    std::string usage = host::HostOptions::usage("prog");
    for (const char* name : {"--headless", "--automation", "--script", "--tablet", "--system-version",
             "--window-scale", "--frames", "--run-for", "--screenshot", "--home", "--help"})
        EXPECT_NE(usage.find(name), std::string::npos) << name;
}

} // namespace
