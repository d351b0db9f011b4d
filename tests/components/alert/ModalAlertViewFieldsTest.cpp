#include "components/alert/ModalAlertView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "tests/components/alert/AlertTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ModalAlertViewFieldsTest : public alerttest::AlertTest {
protected:
    // A point on the backdrop well away from the card.
    static constexpr graphics::Point kOutside {160, 20};
    static void tap(ModalAlertButton& button)
    {
        button.sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    }
};

// A target of the method form of button.
struct Receiver {
    std::vector<ui::Control*> senders;
    void confirm(ui::Control& sender) { senders.push_back(&sender); }
};

} // namespace

TEST_F(ModalAlertViewFieldsTest, TextFieldsChainTheirReturnKeysAndStackUnderTheBody)
{
    auto alert = ModalAlertView::create();
    auto first = alert->addTextField("任务编号");
    EXPECT_EQ(first->returnKeyType(), ui::ReturnKeyType::Done);
    auto second = alert->addTextField();
    EXPECT_EQ(first->returnKeyType(), ui::ReturnKeyType::Next);
    EXPECT_EQ(second->returnKeyType(), ui::ReturnKeyType::Done);
    EXPECT_EQ(alert->windowHeight(), 178 + 80);
    EXPECT_FALSE(alert->canAddObservers());
    EXPECT_EQ(first->placeholder(), "任务编号");
    EXPECT_EQ(first->delegate().get(), static_cast<ui::TextFieldDelegate*>(alert.get()));

    alert->showEdit(host, "输入任务编号", "请输入要查询的任务编号", std::nullopt, 0);
    alert->viewWillLayoutSubviews();
    const double body = alert->subTitleHeight();
    EXPECT_RECT_EQ(first->frame(), 12, 74 + body + 14, 216, 30);
    EXPECT_RECT_EQ(second->frame(), 12, 74 + body + 14 + 40, 216, 30);
    EXPECT_EQ(first->layer().cornerRadius(), 3);

    // Return in the first moves on, return in the last closes the keyboard.
    ASSERT_TRUE(first->becomeFirstResponder());
    EXPECT_EQ(alert->textFieldShouldReturn(*first), false);
    EXPECT_TRUE(second->isFirstResponder());
    EXPECT_EQ(alert->textFieldShouldReturn(*second), false);
    EXPECT_FALSE(second->isFirstResponder());
    EXPECT_FALSE(first->isFirstResponder());
}

TEST_F(ModalAlertViewFieldsTest, BlockButtonsRunBeforeTheHideAndValidationCanVeto)
{
    auto alert = ModalAlertView::create();
    auto field = alert->addTextField();
    std::vector<std::string> events;
    bool allow = false;
    auto guarded = alert->addButton(
        "确定", [&] { return allow; }, [&] { events.push_back("action:" + field->text()); });
    alert->alertIsDismissed([&] { events.push_back("dismissed"); });
    EXPECT_EQ(guarded->actionType(), ModalAlertButton::ActionType::Block);
    alert->showEdit(host, "编辑", "内容", std::nullopt, 0);
    field->setText("A123");

    tap(*guarded);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(alert->isVisible());

    allow = true;
    tap(*guarded);
    EXPECT_EQ(events, (std::vector<std::string> {"action:A123", "dismissed"}));
    EXPECT_FALSE(alert->isVisible());
    // A second tap while hiding runs the action but hides no more.
    tap(*guarded);
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(ModalAlertViewFieldsTest, TargetButtonsHearFromANewControlAndUnknownTypesAreLogged)
{
    auto receiver = std::make_shared<Receiver>();
    auto alert = ModalAlertView::create();
    auto button = alert->addButton("退出", receiver, &Receiver::confirm);
    EXPECT_EQ(button->actionType(), ModalAlertButton::ActionType::Selector);
    EXPECT_EQ(button->target(), receiver);
    alert->showWarning(host, "退出登录", "确定要退出吗？", "取消", 0);
    tap(*button);
    ASSERT_EQ(receiver->senders.size(), 1u);
    EXPECT_NE(receiver->senders[0], static_cast<ui::Control*>(button.get()));
    EXPECT_FALSE(alert->isVisible());

    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    auto other = ModalAlertView::create();
    auto odd = other->addButton("奇怪", [] {});
    odd->setActionType(ModalAlertButton::ActionType::None);
    other->showInfo(host, "提示", "内容", std::nullopt, 0);
    tap(*odd);
    EXPECT_TRUE(log.contains("Unknown action type for button"));
    EXPECT_FALSE(other->isVisible());
}

TEST_F(ModalAlertViewFieldsTest, ATapOutsideFirstClosesTheKeyboardThenHides)
{
    auto alert = ModalAlertView::create();
    auto field = alert->addTextField();
    alert->setShouldDismissOnTapOutside(true);
    ASSERT_TRUE(alert->gestureRecognizer());
    auto dismissed = countDismissals(*alert);
    alert->showEdit(host, "编辑", "内容", "确定", 0);
    runFor(0.6);
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isEditing());

    // A tap on the card (once it has moved up for the keyboard) is not a tap outside.
    runFor(0.3);
    ui::Application::shared().tap(alert->view()->center());
    runFor(0.05);
    EXPECT_TRUE(field->isEditing());

    runFor(0.5);
    ui::Application::shared().tap(kOutside);
    runFor(0.05);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(*dismissed, 0);
    EXPECT_TRUE(alert->isVisible());

    runFor(0.5);
    ui::Application::shared().tap(kOutside);
    runFor(0.05);
    EXPECT_EQ(*dismissed, 1);
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(ModalAlertViewFieldsTest, TapOutsideOffDoesNothingTheCloseButtonHides)
{
    auto alert = ModalAlertView::create();
    auto dismissed = countDismissals(*alert);
    alert->showError(host, "错误", "内容", "关闭", 0);
    runFor(0.6);
    ui::Application::shared().tap(kOutside);
    runFor(0.5);
    EXPECT_TRUE(alert->isVisible());
    // Turning it off again keeps the recogniser but it no longer hides.
    alert->setShouldDismissOnTapOutside(true);
    alert->setShouldDismissOnTapOutside(false);
    EXPECT_TRUE(alert->gestureRecognizer());
    ui::Application::shared().tap(kOutside);
    runFor(0.5);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(*dismissed, 0);

    tap(*alert->buttons()[0]);
    EXPECT_EQ(*dismissed, 1);
    runFor(0.35);
    EXPECT_FALSE(alert->view()->superview());
}

TEST_F(ModalAlertViewFieldsTest, TheKeyboardLiftsTheAlertOnceBy120)
{
    auto alert = ModalAlertView::create();
    auto field = alert->addTextField();
    alert->showEdit(host, "编辑", "内容", "确定", 0);
    runFor(0.6);
    const double y = alert->view()->frame().minY();

    auto& center = foundation::NotificationCenter::defaultCenter();
    center.post(ui::Keyboard::kWillShowNotification);
    center.post(ui::Keyboard::kWillShowNotification);
    EXPECT_TRUE(alert->keyboardIsVisible());
    EXPECT_NEAR(alert->view()->frame().minY(), y - 120, 1e-9);
    runFor(0.1);
    const double halfway = alert->view()->layer().presentation().frame().minY();
    EXPECT_LT(halfway, y);
    EXPECT_GT(halfway, y - 120);
    runFor(0.15);
    EXPECT_NEAR(alert->view()->layer().presentation().frame().minY(), y - 120, 1e-9);

    center.post(ui::Keyboard::kWillHideNotification);
    center.post(ui::Keyboard::kWillHideNotification);
    EXPECT_FALSE(alert->keyboardIsVisible());
    EXPECT_NEAR(alert->view()->frame().minY(), y, 1e-9);

    // Through the simulated keyboard as well.
    ASSERT_TRUE(field->becomeFirstResponder());

    runFor(0.3);
    EXPECT_NEAR(alert->view()->frame().minY(), y - 120, 1e-9);
    // A layout pass while the keyboard is up keeps the alert above it.
    alert->viewWillLayoutSubviews();
    EXPECT_NEAR(alert->view()->frame().minY(), y - 120, 1e-9);
    field->resignFirstResponder();
    runFor(0.3);
    EXPECT_FALSE(alert->keyboardIsVisible());
    EXPECT_NEAR(alert->view()->frame().minY(), y, 1e-9);
}

TEST_F(ModalAlertViewFieldsTest, CustomFieldsAloneDoNotFollowTheKeyboard)
{
    auto alert = ModalAlertView::create();
    auto custom = ui::TextField::create();
    alert->addCustomTextField(custom);
    auto second = ui::TextField::create();
    alert->addCustomTextField(second);
    EXPECT_EQ(custom->returnKeyType(), ui::ReturnKeyType::Next);
    EXPECT_EQ(alert->windowHeight(), 178 + 80);
    EXPECT_TRUE(alert->canAddObservers());
    EXPECT_FALSE(custom->delegate());
    EXPECT_EQ(custom->superview(), alert->contentView());
    alert->showEdit(host, "编辑", "内容", "确定", 0);
    runFor(0.6);
    const double y = alert->view()->frame().minY();
    foundation::NotificationCenter::defaultCenter().post(ui::Keyboard::kWillShowNotification);
    EXPECT_EQ(alert->view()->frame().minY(), y);
    EXPECT_FALSE(alert->keyboardIsVisible());
}
