#include "tests/examples/ExampleProcess.h"

#include <fstream>

namespace {

using foundation::Value;
using mivo::test::Child;
using mivo::test::screenshot;
using mivo::test::tempDir;

Value frameOf(Child& child, const char* label)
{
    return child.send(std::string(R"({"cmd":"find","label":")") + label + "\"}")["node"]["frame"];
}

// Red enough to be the box, read at a point of the screenshot.
bool isBoxRed(const graphics::Image& image, double x, double y)
{
    double scale = image.pixelWidth() / 320.0; // a PNG carries no scale: the phone screen is 320 points wide
    uint32_t p = image.pixel(int(x * scale), int(y * scale));
    int r = int((p >> 16) & 255), g = int((p >> 8) & 255), b = int(p & 255);
    return r > 200 && g < 90 && b < 90;
}

TEST(HelloExampleTest, AutomationMovesTheBoxAndTypesIntoTheField)
{
    auto dir = tempDir("mivo-hello");
    Child child({EXAMPLE_HELLO, "--headless", "--automation", "--home", dir.string()});
    ASSERT_TRUE(child.started());

    Value info = child.send(R"({"cmd":"info"})");
    EXPECT_EQ(info["host"].asString(), "headless");
    EXPECT_EQ(info["clock"].asString(), "manual");
    EXPECT_EQ(info["screen"].toJson(), "[320,568]");
    EXPECT_EQ(frameOf(child, "box").toJson(), "[20,190,60,60]");
    ASSERT_TRUE(child.send(R"({"cmd":"tap","text":"移动"})")["ok"].asBool());
    // Half-way: the model is at its end, the screen in the middle.
    Value half = child.send(R"({"cmd":"advance","seconds":0.15})");
    EXPECT_NEAR(half["now"].asDouble(), 0.15, 1e-9);
    Value node = child.send(R"({"cmd":"find","label":"box"})")["node"];
    EXPECT_EQ(node["frame"].toJson(), "[240,190,60,60]");
    double midX = node["presentationFrame"][size_t(0)].asDouble();
    EXPECT_GT(midX, 40);
    EXPECT_LT(midX, 220);

    ASSERT_TRUE(child.send(R"({"cmd":"advance","seconds":0.3})")["ok"].asBool());
    auto image = screenshot(child, dir / "moved.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 640);
    EXPECT_TRUE(isBoxRed(*image, 270, 220)); // where the box went
    EXPECT_FALSE(isBoxRed(*image, 50, 220)); // where it was

    Value tree = child.send(R"({"cmd":"tree"})");
    ASSERT_TRUE(tree["ok"].asBool());
    std::string dump = tree.toJson();
    EXPECT_NE(dump.find(R"("frame":[240,190,60,60],"hidden":false,"label":"box")"), std::string::npos);
    EXPECT_EQ(dump.find("presentationFrame"), std::string::npos); // the animation is over
    EXPECT_NE(dump.find("点击 1 次"), std::string::npos);

    EXPECT_TRUE(child.send(R"({"cmd":"tap","text":"输入文字"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"type","text":"车辆"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"return"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"find","text":"你输入了: 车辆"})")["ok"].asBool());

    // Bad input is answered and the program carries on.
    Value bad = child.send("{\"cmd\":");
    EXPECT_FALSE(bad["ok"].asBool());
    EXPECT_FALSE(child.send(R"({"cmd":"explode"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"quit"})")["ok"].asBool());
    EXPECT_EQ(child.wait(10), 0);
    std::filesystem::remove_all(dir);
}

TEST(HelloExampleTest, ScriptModeRunsAFileAndReportsFailures)
{
    auto dir = tempDir("mivo-hello-script");
    auto script = dir / "walk.jsonl";
    std::ofstream(script) << R"({"cmd":"tap","text":"移动"})" << '\n'
                          << R"({"cmd":"advance","seconds":0.3})" << '\n'
                          << R"({"cmd":"find","label":"box"})" << '\n';
    Child ok({EXAMPLE_HELLO, "--headless", "--script", script.string(), "--home", dir.string()});
    EXPECT_TRUE(ok.readLine(20)["ok"].asBool());
    EXPECT_TRUE(ok.readLine(20)["ok"].asBool());
    EXPECT_EQ(ok.readLine(20)["node"]["frame"].toJson(), "[240,190,60,60]");
    EXPECT_EQ(ok.wait(10), 0);

    std::ofstream(script, std::ios::app) << R"({"cmd":"tap","text":"不存在"})" << '\n';
    Child failing({EXAMPLE_HELLO, "--headless", "--script", script.string(), "--home", dir.string()});
    EXPECT_EQ(failing.wait(20), 1);
    std::filesystem::remove_all(dir);
}

TEST(HelloExampleTest, OpensInAWindowUnderXvfb)
{
    if (std::system("command -v xvfb-run > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    auto dir = tempDir("mivo-hello-x11");
    // SDL's X11 and D-Bus back ends keep a few allocations past exit; a sanitizer build checks
    // our leaks in the headless runs above instead.
    Child child({"xvfb-run", "-a", "env", "SDL_VIDEODRIVER=x11", "MIVO_NO_AUDIO=1",
        "ASAN_OPTIONS=detect_leaks=0", EXAMPLE_HELLO, "--automation", "--home", dir.string()});
    ASSERT_TRUE(child.started());
    // Xvfb takes a moment to accept connections; the first answer waits for the window.
    Value info = child.send(R"({"cmd":"info"})", 60);
    ASSERT_TRUE(info["ok"].asBool()) << info.toJson();
    EXPECT_EQ(info["host"].asString(), "window");
    EXPECT_EQ(info["clock"].asString(), "real");
    EXPECT_TRUE(child.send(R"({"cmd":"tap","text":"移动"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"advance","seconds":0.4})")["ok"].asBool());
    EXPECT_EQ(frameOf(child, "box").toJson(), "[240,190,60,60]");
    auto image = screenshot(child, dir / "window.png");
    ASSERT_TRUE(image);
    EXPECT_TRUE(isBoxRed(*image, 270, 220));
    EXPECT_TRUE(child.send(R"({"cmd":"quit"})")["ok"].asBool());
    EXPECT_EQ(child.wait(30), 0);
    std::filesystem::remove_all(dir);
}

TEST(HelloExampleTest, AWindowRunsForItsTimeAndLeavesAScreenshot)
{
    auto dir = tempDir("mivo-hello-window-run");
    auto path = dir / "end.png";
    // SDL's dummy driver opens a window without a display.
    Child child({"env", "SDL_VIDEODRIVER=dummy", "MIVO_NO_AUDIO=1", "ASAN_OPTIONS=detect_leaks=0",
        EXAMPLE_HELLO, "--run-for", "0.3", "--screenshot", path.string(), "--home", dir.string()});
    ASSERT_TRUE(child.started());
    Value answer = child.readLine(30);
    EXPECT_TRUE(answer["ok"].asBool()) << answer.toJson();
    EXPECT_EQ(child.wait(30), 0);
    auto image = graphics::PngCodec::decodeFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 640);
    std::filesystem::remove_all(dir);
}

TEST(HelloExampleTest, HelpListsTheHostsOptions)
{
    Child child({EXAMPLE_HELLO, "--help"});
    ASSERT_TRUE(child.started());
    std::string text;
    for (Value line = child.readLine(20); !line.isNull(); line = child.readLine(5))
        text += line.asString() + "\n";
    EXPECT_EQ(child.wait(20), 0);
    for (const char* name : {"--headless", "--automation", "--script", "--run-for", "--screenshot", "--home"})
        EXPECT_NE(text.find(name), std::string::npos) << name << " in\n" << text;
}

} // namespace
