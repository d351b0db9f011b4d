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

} // namespace
