#include "tests/examples/ExampleProcess.h"

namespace {

using foundation::Value;
using mivo::test::Child;
using mivo::test::tempDir;

TEST(GalleryExampleTest, OpensOnTheListOfComponents)
{
    auto dir = tempDir("mivo-gallery");
    Child child({EXAMPLE_COMPONENTS, "--headless", "--automation", "--home", dir.string()});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.send(R"({"cmd":"info"})")["host"].asString(), "headless");
    EXPECT_TRUE(child.send(R"({"cmd":"find","text":"组件"})")["ok"].asBool());
    EXPECT_TRUE(child.send(R"({"cmd":"quit"})")["ok"].asBool());
    EXPECT_EQ(child.wait(10), 0);
    std::filesystem::remove_all(dir);
}

} // namespace
