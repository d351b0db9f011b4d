#include "tests/examples/ExampleProcess.h"

// The gallery's banner, popup and input box rows, driven over automation as a user would.
namespace {

using foundation::Value;
using mivo::test::Child;
using mivo::test::tempDir;

class NoticeDemosTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = tempDir("mivo-notices");
        child = std::make_unique<Child>(std::vector<std::string> {
            EXAMPLE_COMPONENTS, "--headless", "--automation", "--home", dir.string()});
        ASSERT_TRUE(child->started());
    }
    void TearDown() override
    {
        child->send(R"({"cmd":"quit"})");
        EXPECT_EQ(child->wait(10), 0);
        std::filesystem::remove_all(dir);
    }
    bool ok(const std::string& line) { return child->send(line)["ok"].asBool(); }
    bool tapText(const std::string& text) { return ok(R"({"cmd":"tap","text":")" + text + R"("})"); }
    bool found(const std::string& text) { return ok(R"({"cmd":"find","text":")" + text + R"("})"); }
    void advance(double seconds) { ok(R"({"cmd":"advance","seconds":)" + std::to_string(seconds) + "}"); }

    std::filesystem::path dir;
    std::unique_ptr<Child> child;
};

TEST_F(NoticeDemosTest, BannersDropDownStackAndGoTogether)
{
    ASSERT_TRUE(tapText("Banner"));
    advance(0.6);
    ASSERT_TRUE(tapText("标题和消息"));
    advance(0.4);
    EXPECT_TRUE(found("新增的任务单号已经存在,请确认单号的唯一性!"));
    advance(3.3);
    EXPECT_FALSE(found("新增的任务单号已经存在,请确认单号的唯一性!"));
    ASSERT_TRUE(tapText("叠加三条"));
    advance(0.4);
    EXPECT_TRUE(found("第三条"));
    ASSERT_TRUE(tapText("全部收起"));
    advance(0.4);
    EXPECT_FALSE(found("第一条"));
    EXPECT_FALSE(found("第三条"));
}

TEST_F(NoticeDemosTest, PopupHandsTheTypedTextsOverAndRefusesAFourthField)
{
    ASSERT_TRUE(tapText("Popup"));
    advance(0.6);
    ASSERT_TRUE(tapText("键盘: DEFAULT")); // number pads
    ASSERT_TRUE(tapText("显示弹窗"));
    advance(0.3);
    ASSERT_TRUE(ok(R"({"cmd":"tap","label":"服务器的端口号"})"));
    advance(0.3);
    ASSERT_TRUE(ok(R"({"cmd":"type","text":"80a80"})"));
    Value node = child->send(R"({"cmd":"find","label":"服务器的端口号"})")["node"];
    EXPECT_EQ(node["keyboard"].asString(), "NumberPad");
    EXPECT_EQ(node["text"].asString(), "8080");
    ASSERT_TRUE(tapText("系统配置")); // closes the keyboard
    advance(0.3);
    ASSERT_TRUE(tapText("确认"));
    advance(0.5);
    EXPECT_TRUE(found("确认,已关闭: / 8080"));
    ASSERT_TRUE(tapText("四个字段"));
    EXPECT_TRUE(
        found("Array exceeds limit. Popups can only have at most 3 fields! TextFieldPlaceholderArray exceeds "
              "this limit. ¯|_(ツ)_/¯ "));
}

TEST_F(NoticeDemosTest, NumberBoxTypesFixedPointAndSubmits)
{
    ASSERT_TRUE(tapText("Input box"));
    advance(0.6);
    ASSERT_TRUE(tapText("数字框"));
    advance(0.4);
    ASSERT_TRUE(ok(R"({"cmd":"tap","x":160,"y":280})")); // the field, in the middle of the box
    for (const char* key : {"1", "2", "x", "5"})
        ASSERT_TRUE(ok(std::string(R"({"cmd":"type","text":")") + key + R"("})"));
    EXPECT_TRUE(found("1.25"));
    advance(0.6); // the box rises over the keyboard
    ASSERT_TRUE(tapText("提交"));
    advance(0.4);
    EXPECT_TRUE(found("提交:1.25"));
    ASSERT_TRUE(tapText("登录框"));
    advance(0.4);
    ASSERT_TRUE(tapText("提交"));
    advance(0.4);
    EXPECT_TRUE(found("不能为空,请输入"));
    EXPECT_TRUE(found("输入用户名和密码"));
    ASSERT_TRUE(tapText("取消"));
    advance(0.4);
    EXPECT_TRUE(found("已取消"));
}

} // namespace
