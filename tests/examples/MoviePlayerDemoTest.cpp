#include "tests/examples/ExampleProcess.h"

#include <cstdlib>

namespace {

using mivo::test::Child;
using mivo::test::tempDir;

// The gallery's movie row plays the sample with the shipped cues, and a movie that cannot be
// opened shows the player's failure until Done.
TEST(MoviePlayerDemoTest, PlaysTheSampleWithSubtitlesAndShowsAFailure)
{
    setenv("MIVO_NO_AUDIO", "1", 1);
    auto dir = tempDir("mivo-gallery-movie");
    Child child({EXAMPLE_COMPONENTS, "--headless", "--automation", "--home", dir.string()});
    ASSERT_TRUE(child.started());
    EXPECT_TRUE(child.send(R"({"cmd":"tap","text":"Movie player"})")["ok"].asBool());
    child.send(R"({"cmd":"advance","seconds":0.6})");
    EXPECT_TRUE(child.send(R"({"cmd":"tap","text":"播放示例视频"})")["ok"].asBool());
    child.send(R"({"cmd":"advance","seconds":1.5})");
    auto cue = child.send(R"({"cmd":"find","text":"请在光线充足处拍摄车辆"})");
    EXPECT_TRUE(cue["ok"].asBool());
    // The label sits 15 points above the bottom of the 568-point screen.
    const auto& frame = cue["node"]["frame"];
    EXPECT_EQ(frame[0].asDouble(), 15);
    EXPECT_EQ(frame[1].asDouble() + frame[3].asDouble(), 568 - 15);
    EXPECT_TRUE(child.send(R"({"cmd":"screenshot","path":")" + (dir / "movie.png").string() + R"("})")["ok"]
                    .asBool());

    // The 2.4 s movie ends and its screen goes away by itself.
    child.send(R"({"cmd":"advance","seconds":2.0})");
    EXPECT_TRUE(child.send(R"({"cmd":"find","text":"播放无法打开的视频"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"tap","text":"播放无法打开的视频"})")["ok"].asBool());
    child.send(R"({"cmd":"advance","seconds":1.0})");
    EXPECT_TRUE(child.send(R"({"cmd":"find","text":"无法播放该视频"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"tap","label":"Done"})")["ok"].asBool());
    child.send(R"({"cmd":"advance","seconds":1.0})");
    EXPECT_FALSE(child.send(R"({"cmd":"find","text":"无法播放该视频"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"quit"})")["ok"].asBool());
    EXPECT_EQ(child.wait(10), 0);
    std::filesystem::remove_all(dir);
}

} // namespace
