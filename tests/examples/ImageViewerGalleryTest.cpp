#include "tests/examples/ExampleProcess.h"

namespace {

using foundation::Value;
using mivo::test::Child;
using mivo::test::tempDir;

bool ok(const Value& answer)
{
    return answer["ok"].asBool();
}

// The gallery's image viewer row, driven over automation: the viewer opens over the demo, follows
// the device's tilt and turn, and closes on a tap, for a local photo, a slow download and the
// alt text.
TEST(ImageViewerGalleryTest, OpensAndClosesTheViewerOnEachRoad)
{
    auto dir = tempDir("mivo-gallery-viewer");
    Child child({EXAMPLE_COMPONENTS, "--headless", "--automation", "--home", dir.string()});
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(ok(child.send(R"({"cmd":"tap","text":"Image viewer"})")));
    child.send(R"({"cmd":"advance","seconds":0.6})");

    ASSERT_TRUE(ok(child.send(R"({"cmd":"tap","text":"Local photo"})")));
    child.send(R"({"cmd":"advance","seconds":0.6})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"find","label":"图片"})")));
    EXPECT_FALSE(ok(child.send(R"({"cmd":"find","text":"Local photo"})"))); // covered by the viewer
    EXPECT_TRUE(ok(child.send(R"({"cmd":"tilt","x":1,"y":-0.5})")));
    EXPECT_FALSE(ok(child.send(R"({"cmd":"tilt","x":2})")));
    auto turned = child.send(R"({"cmd":"rotate","orientation":"landscapeLeft"})");
    EXPECT_EQ(turned["interface"].asInt(), 3);
    child.send(R"({"cmd":"advance","seconds":0.7})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"rotate","orientation":"portrait"})")));
    EXPECT_FALSE(ok(child.send(R"({"cmd":"rotate","orientation":"sideways"})")));
    child.send(R"({"cmd":"advance","seconds":0.7})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"tap","x":160,"y":284})")));
    child.send(R"({"cmd":"advance","seconds":1})");
    EXPECT_FALSE(ok(child.send(R"({"cmd":"find","label":"图片"})")));
    EXPECT_TRUE(ok(child.send(R"({"cmd":"find","text":"Local photo"})")));

    // The slow download: the viewer waits with its spinner, then shows the photo.
    ASSERT_TRUE(ok(child.send(R"({"cmd":"tap","text":"URL image"})")));
    child.send(R"({"cmd":"advance","seconds":0.6})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"find","label":"图片"})")));
    child.send(R"({"cmd":"wait","text":"never shown","timeout":2.5})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"tap","x":160,"y":284})")));
    child.send(R"({"cmd":"advance","seconds":1})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"find","text":"URL image"})")));

    ASSERT_TRUE(ok(child.send(R"({"cmd":"tap","text":"Alt text"})")));
    child.send(R"({"cmd":"advance","seconds":0.6})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"find","text":"左前45度"})")));
    EXPECT_TRUE(ok(child.send(R"({"cmd":"tap","text":"左前45度"})")));
    child.send(R"({"cmd":"advance","seconds":1})");
    EXPECT_FALSE(ok(child.send(R"({"cmd":"find","text":"左前45度"})")));

    EXPECT_TRUE(ok(child.send(R"({"cmd":"quit"})")));
    EXPECT_EQ(child.wait(10), 0);
    std::filesystem::remove_all(dir);
}

// Zoom, drag, copy and flick in the gallery's viewer, over automation.
TEST(ImageViewerGalleryTest, ZoomsDragsCopiesAndFlicksTheImageAway)
{
    auto dir = tempDir("mivo-gallery-viewer-interaction");
    Child child({EXAMPLE_COMPONENTS, "--headless", "--automation", "--home", dir.string()});
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(ok(child.send(R"({"cmd":"tap","text":"Image viewer"})")));
    child.send(R"({"cmd":"advance","seconds":0.6})");
    ASSERT_TRUE(ok(child.send(R"({"cmd":"tap","text":"Local photo"})")));
    child.send(R"({"cmd":"advance","seconds":0.6})");
    auto viewer = child.send(R"({"cmd":"find","label":"图片"})");
    EXPECT_NE(viewer["node"]["hint"].asString().find("Image is zoomed out."), std::string::npos);
    auto restingFrame = viewer["node"]["children"][0]["frame"];

    // A pinch zooms; a double tap zooms back out and says so.
    EXPECT_TRUE(ok(child.send(R"({"cmd":"pinch","x":160,"y":284,"scale":2,"duration":0.4})")));
    child.send(R"({"cmd":"advance","seconds":0.5})");
    auto zoomed = child.send(R"({"cmd":"find","label":"图片"})");
    EXPECT_GT(zoomed["node"]["children"][0]["frame"][2].asDouble(), 500);
    EXPECT_TRUE(ok(child.send(R"({"cmd":"doubletap","x":160,"y":284})")));
    child.send(R"({"cmd":"advance","seconds":0.5})");
    EXPECT_EQ(child.send(R"({"cmd":"find","label":"图片"})")["node"]["children"][0]["frame"], restingFrame);
    EXPECT_TRUE(ok(child.send(R"({"cmd":"doubletap","x":160,"y":284})")));
    child.send(R"({"cmd":"advance","seconds":0.5})");
    EXPECT_NE(child.send(R"({"cmd":"find","label":"图片"})")["node"]["hint"].asString().find("zoomed in"),
        std::string::npos);
    EXPECT_TRUE(ok(child.send(R"({"cmd":"doubletap","x":160,"y":284})")));
    child.send(R"({"cmd":"advance","seconds":0.5})");

    // A slow drag springs back into place.
    EXPECT_TRUE(ok(child.send(R"({"cmd":"drag","from":[160,284],"to":[200,384],"duration":1})")));
    child.send(R"({"cmd":"advance","seconds":1})");
    EXPECT_EQ(child.send(R"({"cmd":"find","label":"图片"})")["node"]["children"][0]["frame"], restingFrame);

    // The demo allows copying: a long press offers it and the image lands on the pasteboard.
    EXPECT_TRUE(ok(child.send(R"({"cmd":"longpress","x":160,"y":284})")));
    child.send(R"({"cmd":"advance","seconds":0.2})");
    EXPECT_TRUE(ok(child.send(R"({"cmd":"tap","text":"拷贝"})")));
    auto board = child.send(R"({"cmd":"pasteboard"})");
    EXPECT_EQ(board["changeCount"].asInt(), 1);
    EXPECT_TRUE(board["image"].isArray());

    // A flick sends the image off the screen and the viewer closes behind it.
    EXPECT_TRUE(ok(child.send(R"({"cmd":"drag","from":[200,284],"to":[280,200],"duration":0.1})")));
    child.send(R"({"cmd":"advance","seconds":2})");
    EXPECT_FALSE(ok(child.send(R"({"cmd":"find","label":"图片"})")));
    EXPECT_TRUE(ok(child.send(R"({"cmd":"find","text":"Local photo"})")));

    EXPECT_TRUE(ok(child.send(R"({"cmd":"quit"})")));
    EXPECT_EQ(child.wait(10), 0);
    std::filesystem::remove_all(dir);
}

} // namespace
