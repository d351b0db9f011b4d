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
    auto options = parse({"--headless", "--automation", "--tablet", "--window-scale", "1", "--frames", "3",
        "--run-for", "0.5", "--screenshot", "out.png", "--home", "/tmp/h"});
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->headless);
    EXPECT_TRUE(options->automation);
    EXPECT_TRUE(options->tablet);
    EXPECT_EQ(options->windowScale, 1);
    EXPECT_EQ(options->frames, 3);
    EXPECT_EQ(options->runFor, 0.5);
    EXPECT_EQ(options->screenshot, std::filesystem::path("out.png"));
    EXPECT_EQ(options->home, std::filesystem::path("/tmp/h"));
    EXPECT_FALSE(options->script);
}

TEST(HostOptionsTest, RejectsUnknownOptionsAndBadValues)
{
    std::string error;
    EXPECT_FALSE(parse({"--fullscreen"}, &error));
    EXPECT_NE(error.find("unknown option --fullscreen"), std::string::npos);
    EXPECT_FALSE(parse({"--frames"}, &error));
    EXPECT_FALSE(parse({"--frames", "many"}, &error));
    EXPECT_FALSE(parse({"--run-for", "-1"}, &error));
    EXPECT_FALSE(parse({"--run-for", "inf"}, &error));
    EXPECT_FALSE(parse({"--frames", "1e300"}, &error));
    EXPECT_FALSE(parse({"--window-scale", "9"}, &error));
    EXPECT_FALSE(parse({"--script"}, &error));
    EXPECT_FALSE(parse({"--automation", "--script", "x.jsonl"}, &error));
    EXPECT_TRUE(parse({}));
}

} // namespace
