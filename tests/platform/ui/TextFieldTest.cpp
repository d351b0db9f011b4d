#include "platform/ui/TextField.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "tests/platform/ui/UiTest.h"

#include <string>
#include <vector>

namespace {

using foundation::Notification;
using ui::Keyboard;

class RecordingDelegate final : public ui::TextFieldDelegate {
public:
    std::optional<bool> begin, change, ret, end;
    std::vector<std::string> calls;

    std::optional<bool> textFieldShouldBeginEditing(ui::TextField&) override
    {
        calls.push_back("shouldBegin");
        return begin;
    }
    void textFieldDidBeginEditing(ui::TextField&) override { calls.push_back("didBegin"); }
    std::optional<bool> textFieldShouldEndEditing(ui::TextField&) override
    {
        calls.push_back("shouldEnd");
        return end;
    }
    void textFieldDidEndEditing(ui::TextField&) override { calls.push_back("didEnd"); }
    std::optional<bool> textFieldShouldChangeCharacters(
        ui::TextField&, ui::TextRange range, const std::string& text) override
    {
        calls.push_back(
            "change " + std::to_string(range.location) + "," + std::to_string(range.length) + " " + text);
        return change;
    }
    std::optional<bool> textFieldShouldReturn(ui::TextField&) override
    {
        calls.push_back("shouldReturn");
        return ret;
    }
};

class TextFieldTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Keyboard::shared().reset();
        window = keyWindow();
        first = ui::TextField::create({20, 100, 200, 30});
        second = ui::TextField::create({20, 150, 200, 30});
        window->addSubview(first);
        window->addSubview(second);
        for (const char* name : {Keyboard::kWillShowNotification, Keyboard::kDidShowNotification,
                 Keyboard::kWillHideNotification, Keyboard::kDidHideNotification}) {
            foundation::NotificationCenter::defaultCenter().addObserver(
                observer, name, [this](const Notification& n) { posted.push_back(n); });
        }
    }
    void TearDown() override
    {
        foundation::NotificationCenter::defaultCenter().removeObserver(observer.get());
        Keyboard::shared().reset();
        UiTest::TearDown();
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (auto& n : posted)
            result.push_back(n.name);
        return result;
    }

    std::shared_ptr<int> observer = std::make_shared<int>(0);
    std::vector<Notification> posted;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::TextField> first, second;
};

TEST_F(TextFieldTest, KeyboardShowsWithItsFrameStaysAcrossFieldsAndHidesOnResign)
{
    ASSERT_TRUE(first->becomeFirstResponder());
    EXPECT_TRUE(first->isEditing());
    EXPECT_TRUE(Keyboard::shared().isVisible());
    ASSERT_EQ(names(), (std::vector<std::string> {"UIKeyboardWillShowNotification"}));
    const foundation::Value& end = posted[0].userInfo["UIKeyboardFrameEndUserInfoKey"];
    EXPECT_EQ(end["x"].asDouble(), 0);
    EXPECT_EQ(end["y"].asDouble(), 568 - 216);
    EXPECT_EQ(end["width"].asDouble(), 320);
    EXPECT_EQ(end["height"].asDouble(), 216);
    EXPECT_EQ(posted[0].userInfo["UIKeyboardAnimationDurationUserInfoKey"].asDouble(), 0.25);

    runFor(0.3);
    EXPECT_EQ(names().back(), "UIKeyboardDidShowNotification");

    // Moving focus to another field posts will-show only.
    posted.clear();
    ASSERT_TRUE(second->becomeFirstResponder());
    EXPECT_FALSE(first->isEditing());
    runFor(0.3);
    EXPECT_EQ(names(), (std::vector<std::string> {"UIKeyboardWillShowNotification"}));

    ASSERT_TRUE(second->resignFirstResponder());
    EXPECT_FALSE(second->isEditing());
    EXPECT_EQ(names().back(), "UIKeyboardWillHideNotification");
    EXPECT_EQ(posted.back().userInfo["UIKeyboardFrameEndUserInfoKey"]["y"].asDouble(), 568);
    runFor(0.3);
    EXPECT_EQ(names(),
        (std::vector<std::string> {"UIKeyboardWillShowNotification", "UIKeyboardWillHideNotification",
            "UIKeyboardDidHideNotification"}));
}

TEST_F(TextFieldTest, TabletKeyboardIsTaller)
{
    ui::Screen::mainScreen().useTabletProfile();
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
    first->becomeFirstResponder();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted[0].userInfo["UIKeyboardFrameEndUserInfoKey"]["height"].asDouble(), 264);
    EXPECT_EQ(posted[0].userInfo["UIKeyboardFrameEndUserInfoKey"]["y"].asDouble(), 1024 - 264);
}

TEST_F(TextFieldTest, DelegateCanRefuseToBeginAndToChange)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    first->setDelegate(delegate);
    delegate->begin = false;
    EXPECT_FALSE(first->becomeFirstResponder());
    EXPECT_TRUE(posted.empty());

    delegate->begin.reset(); // not implemented: the default allows it
    ASSERT_TRUE(first->becomeFirstResponder());
    int changes = 0;
    first->addAction(ui::ControlEvents::EditingChanged, [&](ui::Control&) { ++changes; });
    first->insertText("ab");
    delegate->change = false;
    first->insertText("c");
    EXPECT_EQ(first->text(), "ab");
    EXPECT_EQ(changes, 1);
    delegate->change.reset();
    first->deleteBackward();
    EXPECT_EQ(first->text(), "a");
    EXPECT_EQ(changes, 2);
    std::vector<std::string> expected {
        "shouldBegin", "shouldBegin", "didBegin", "change 0,0 ab", "change 2,0 c", "change 1,1 "};
    EXPECT_EQ(delegate->calls, expected);
}

TEST_F(TextFieldTest, ReturnAsksTheDelegateAndClosesOnlyForListeners)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    first->setDelegate(delegate);
    first->becomeFirstResponder();
    first->returnKey();
    EXPECT_TRUE(first->isFirstResponder()); // nothing listens for did-end-on-exit

    int exits = 0;
    first->addAction(ui::ControlEvents::EditingDidEndOnExit, [&](ui::Control&) { ++exits; });
    delegate->ret = false;
    first->insertText("x\n");
    EXPECT_EQ(first->text(), "x");
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(first->isFirstResponder());

    delegate->ret = true;
    first->returnKey();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(first->isFirstResponder());
    EXPECT_EQ(delegate->calls.back(), "didEnd");
}

TEST_F(TextFieldTest, SecureEntryShowsBulletsAndDeleteRemovesWholeCharacters)
{
    first->setText("密码ab");
    first->deleteBackward();
    first->deleteBackward();
    first->deleteBackward();
    EXPECT_EQ(first->text(), "密");
    first->setText("pa密");
    first->setSecureTextEntry(true);
    EXPECT_EQ(first->displayedText(), "\u2022\u2022\u2022");
    EXPECT_EQ(first->automationText(), "pa密");
    first->setText("");
    first->setPlaceholder("服务器的IP地址");
    EXPECT_EQ(first->automationText(), "服务器的IP地址");
}

TEST_F(TextFieldTest, TapBeginsEditingAndClearButtonShowsWhileEditing)
{
    first->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    first->setText("abc");
    EXPECT_FALSE(first->isClearButtonVisible());
    app().tap({60, 115});
    EXPECT_TRUE(first->isFirstResponder());
    EXPECT_TRUE(first->isClearButtonVisible());
    first->layoutIfNeeded();
    graphics::Rect clear = first->convertRectToView(first->clearButtonRect(), nullptr);
    EXPECT_LT(first->textRect().maxX(), first->clearButtonRect().minX());
    app().tap(clear.center());
    EXPECT_EQ(first->text(), "");
    EXPECT_TRUE(first->isFirstResponder());
}

TEST_F(TextFieldTest, LeftViewInsetsTheText)
{
    first->setBorderStyle(ui::TextBorderStyle::None);
    first->setLeftView(ui::View::create({0, 0, 10, 20}));
    EXPECT_EQ(first->textRect().minX(), 0); // mode Never
    first->setLeftViewMode(ui::TextFieldViewMode::Always);
    EXPECT_EQ(first->textRect().minX(), 10);
    first->layoutIfNeeded();
    EXPECT_FALSE(first->leftView()->isHidden());
    EXPECT_EQ(first->leftView()->frame(), (graphics::Rect {0, 5, 10, 20}));
}

TEST_F(TextFieldTest, EndEditingAndLeavingTheWindowCloseTheKeyboard)
{
    auto box = ui::View::create({0, 300, 320, 100});
    window->addSubview(box);
    auto inner = ui::TextField::create({10, 10, 100, 30});
    box->addSubview(inner);
    ASSERT_TRUE(inner->becomeFirstResponder());
    EXPECT_TRUE(second->endEditing(true)); // not editing in there: nothing happens
    EXPECT_TRUE(inner->isFirstResponder());
    EXPECT_TRUE(box->endEditing(true));
    EXPECT_FALSE(inner->isFirstResponder());
    EXPECT_FALSE(Keyboard::shared().isVisible());

    ASSERT_TRUE(inner->becomeFirstResponder());
    box->removeFromSuperview();
    EXPECT_FALSE(inner->isFirstResponder());
    EXPECT_FALSE(inner->isEditing());
    EXPECT_FALSE(Keyboard::shared().isVisible());
    EXPECT_EQ(names().back(), "UIKeyboardWillHideNotification");
}

} // namespace

TEST(TextFieldKeyboardTest, TheSimulatedKeyboardTypesOnlyWhatItsTypeHas)
{
    const struct {
        ui::KeyboardType type;
        const char* typed;
        const char* kept;
    } table[] = {
        {ui::KeyboardType::Default, "a1 .@", "a1 .@"},
        {ui::KeyboardType::NumberPad, "a1 2.3-", "123"},
        {ui::KeyboardType::PhonePad, "+86 (21) 555-01#x", "+86 (21) 555-01#"},
        {ui::KeyboardType::DecimalPad, "12.5e3", "12.53"},
        {ui::KeyboardType::EmailAddress, "a b@c.cn", "ab@c.cn"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.typed);
        auto field = ui::TextField::create({0, 0, 100, 30});
        field->setKeyboardType(row.type);
        field->insertText(row.typed);
        EXPECT_EQ(field->text(), row.kept);
        EXPECT_EQ(ui::Keyboard::typeableText(row.type, "1\n"), "1\n");
    }
}
