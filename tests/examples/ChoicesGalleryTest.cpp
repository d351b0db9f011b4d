#include "tests/examples/ExampleProcess.h"

namespace {

using foundation::Map;
using foundation::Value;
using mivo::test::Child;
using mivo::test::tempDir;

// The gallery's action sheet, popover and switch rows, driven as a user would.
class ChoicesGalleryTest : public ::testing::Test {
protected:
    void open(const char* row, bool tablet = false)
    {
        m_dir = tempDir("mivo-gallery-choices");
        std::vector<std::string> args {
            EXAMPLE_COMPONENTS, "--headless", "--automation", "--home", m_dir.string()};
        if (tablet)
            args.push_back("--tablet");
        m_child = std::make_unique<Child>(args);
        ASSERT_TRUE(m_child->started());
        ok(Map {{"cmd", "tap"}, {"text", row}});
        advance(1);
    }
    void TearDown() override
    {
        if (m_child) {
            m_child->send(R"({"cmd":"quit"})");
            EXPECT_EQ(m_child->wait(10), 0);
        }
        std::filesystem::remove_all(m_dir);
    }

    Value send(const Map& command) { return m_child->send(Value(command).toJson()); }
    void ok(const Map& command)
    {
        Value answer = send(command);
        EXPECT_TRUE(answer["ok"].asBool()) << Value(command).toJson() << " -> " << answer.toJson();
    }
    void advance(double seconds) { ok(Map {{"cmd", "advance"}, {"seconds", seconds}}); }
    bool shows(const std::string& text) { return send(Map {{"cmd", "find"}, {"text", text}})["ok"].asBool(); }

    std::filesystem::path m_dir;
    std::unique_ptr<Child> m_child;
};

} // namespace

TEST_F(ChoicesGalleryTest, ActionSheetRowReportsPressesAndTheTapOutside)
{
    open("Action sheet");
    ok(Map {{"cmd", "tap"}, {"text", "一个分区"}});
    advance(0.5);
    EXPECT_TRUE(shows("请选择一种拍摄方案"));
    ok(Map {{"cmd", "tap"}, {"text", "不拆密封条-方案2"}});
    advance(0.5);
    EXPECT_TRUE(shows("分区 0 第 1 个: 不拆密封条-方案2"));
    EXPECT_FALSE(shows("请选择一种拍摄方案"));

    ok(Map {{"cmd", "tap"}, {"text", "多个分区"}});
    advance(0.5);
    ok(Map {{"cmd", "tap"}, {"text", "取消"}});
    advance(0.5);
    EXPECT_TRUE(shows("分区 2 第 0 个: 取消"));

    ok(Map {{"cmd", "tap"}, {"text", "点击外部关闭"}});
    advance(0.5);
    ok(Map {{"cmd", "tap"}, {"x", 160}, {"y", 150}});
    advance(0.5);
    EXPECT_TRUE(shows("点击了外部"));
    EXPECT_FALSE(shows("点击灰色区域关闭"));
}

TEST_F(ChoicesGalleryTest, PopoverRowShowsAnArrowInEachDirectionOnATablet)
{
    open("Popover", true);
    for (const char* button : {"箭头向左", "箭头向右", "箭头向上", "箭头向下"}) {
        SCOPED_TRACE(button);
        ok(Map {{"cmd", "tap"}, {"text", button}});
        advance(0.5);
        EXPECT_NE(send(Map {{"cmd", "tree"}}).toJson().find("ActionSheetTriangle"), std::string::npos);
        ok(Map {{"cmd", "tap"}, {"text", "拆密封条-方案1"}});
        advance(0.5);
        EXPECT_FALSE(shows("箭头指向按钮"));
        EXPECT_EQ(send(Map {{"cmd", "tree"}}).toJson().find("ActionSheetTriangle"), std::string::npos);
    }
}

TEST_F(ChoicesGalleryTest, SwitchRowCountsTheEventsOfDragsAndTaps)
{
    open("Switch");
    // The first switch (off) spans x 220 to 284 at y 88 to 118.
    ok(Map {{"cmd", "drag"}, {"from", foundation::Array {225, 103}}, {"to", foundation::Array {280, 103}}});
    advance(0.5);
    EXPECT_TRUE(shows("第 1 个开关: 开 (事件 1 次)"));
    ok(Map {{"cmd", "tap"}, {"label", "开关:开"}});
    advance(0.5);
    EXPECT_TRUE(shows("第 2 个开关: 关 (事件 2 次)"));
    // The first switch is on: a drag that starts on its off half and ends on its on half leaves it on
    // and sends nothing.
    ok(Map {{"cmd", "drag"}, {"from", foundation::Array {225, 103}}, {"to", foundation::Array {280, 103}},
        {"duration", 0.2}});
    advance(0.5);
    EXPECT_TRUE(shows("第 2 个开关: 关 (事件 2 次)"));
}
