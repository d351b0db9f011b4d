#include "components/alert/ModalAlertView.h"
#include "components/alert/AlertIconKit.h"
#include "components/alert/ModalAlertResponder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/AudioPlayer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "tests/components/alert/AlertTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

using graphics::Color;

namespace {

using alerttest::AlertTest;

const std::string kBody = "任务已提交，请等待审核结果。审核通过后可在已完成列表中查看。";

// The body height the alert must reach: the text measured in the body font over 216 points,
// rounded up to a whole point.
double bodyHeight(const std::string& text, double fontSize = 14)
{
    const double h
        = graphics::TextLayout::boundingSize(text, graphics::Font::named("HelveticaNeue", fontSize), 216)
              .height;
    return std::ceil(static_cast<float>(h));
}

Color rgb(int r, int g, int b)
{
    return Color::rgba(r / 255.0, g / 255.0, b / 255.0, 1);
}

bool isChild(const std::shared_ptr<ui::ViewController>& parent, const std::shared_ptr<ModalAlertView>& alert)
{
    const auto& children = parent->childViewControllers();
    return std::find(children.begin(), children.end(), alert) != children.end();
}

class ModalAlertViewTest : public AlertTest { };

} // namespace

TEST_F(ModalAlertViewTest, InitBuildsTheCardBadgeAndDefaults)
{
    // Sizes that the layout test below does not already pin.
    auto alert = ModalAlertView::create();
    EXPECT_EQ(alert->showAnimationType(), 2);
    EXPECT_EQ(alert->hideAnimationType(), 0);
    EXPECT_EQ(alert->backgroundType(), 0);
    EXPECT_RECT_EQ(alert->labelTitle()->frame(), 12, 24, 216, 40);
    EXPECT_RECT_EQ(alert->circleView()->frame(), 3, 3, 56, 56);
    EXPECT_EQ(alert->viewText()->lineFragmentPadding(), 0);
    // The ring is drawn over the card.
    const auto& subviews = alert->view()->subviews();
    ASSERT_EQ(subviews.size(), 2u);
    EXPECT_EQ(subviews[0], alert->contentView());
    EXPECT_EQ(subviews[1], alert->circleViewBackground());

    try {
        ModalAlertView::createWithCoder();
        FAIL() << "expected an exception";
    } catch (const foundation::Exception& e) {
        EXPECT_EQ(e.name, "NSInternalInconsistencyException");
        EXPECT_EQ(e.reason, "NSCoding not supported");
    }
}

TEST_F(ModalAlertViewTest, TitleBodyAndCloseButtonLayoutAndTheRemovedTitleOrBody)
{
    const double full = bodyHeight(kBody);
    ASSERT_GT(full, 17);
    const struct {
        std::string title, text;
        double titleY, textY; // NAN: removed
        double body, height, buttonY;
    } table[] = {
        {"提交失败", kBody, 24, 70, full, 178 - 90 + full + 45, 88 + full},
        {" \n\t\xE3\x80\x80", kBody, NAN, 36, full, 178 - 40 - 90 + full + 45, 36 + full + 14},
        {"提示", "", 37, NAN, 0, 178 - 90 + 45, 74 + 0 + 14},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.title);
        auto alert = ModalAlertView::create();
        alert->showError(host, row.title, row.text, "确定", 0);
        EXPECT_EQ(alert->subTitleHeight(), row.body);
        EXPECT_EQ(alert->windowHeight(), row.height);
        if (std::isnan(row.titleY)) {
            EXPECT_FALSE(alert->labelTitle()->superview());
        } else {
            EXPECT_EQ(alert->labelTitle()->text(), row.title);
            EXPECT_RECT_EQ(alert->labelTitle()->frame(), 12, row.titleY, 216, 40);
        }
        if (std::isnan(row.textY)) {
            EXPECT_FALSE(alert->viewText()->superview());
        } else {
            EXPECT_EQ(alert->subTitleY(), row.textY);
            EXPECT_EQ(alert->viewText()->text(), kBody);
            EXPECT_RECT_EQ(alert->viewText()->frame(), 12, row.textY, 216, row.body);
        }
        ASSERT_EQ(alert->buttons().size(), 1u);
        alert->view()->layoutIfNeeded();
        settle();
        const double h = alert->windowHeight();
        EXPECT_RECT_EQ(alert->buttons()[0]->frame(), 12, row.buttonY, 216, 35);
        EXPECT_EQ(alert->buttons()[0]->layer().cornerRadius(), 3);
        EXPECT_RECT_EQ(alert->view()->frame(), 40, (568 - h) / 2, 240, h);
        EXPECT_RECT_EQ(alert->contentView()->frame(), 0, 14, 240, h);
        EXPECT_RECT_EQ(alert->circleViewBackground()->frame(), 89, -15, 62, 62);
        EXPECT_RECT_EQ(alert->circleIconImageView()->frame(), 18, 18, 20, 20);
        EXPECT_RECT_EQ(alert->backgroundView()->frame(), 0, 0, 320, 568);
        alert->hideView();
        runFor(0.5);
    }
}

TEST_F(ModalAlertViewTest, StylesColourTheBadgeAndPickTheIcon)
{
    const struct {
        ModalAlertViewStyle style;
        Color color;
        std::shared_ptr<graphics::Image> icon;
    } table[] = {
        {ModalAlertViewStyle::Success, rgb(34, 181, 115), AlertIconKit::imageOfCheckmark()},
        {ModalAlertViewStyle::Error, rgb(193, 39, 45), AlertIconKit::imageOfCross()},
        {ModalAlertViewStyle::Notice, rgb(114, 115, 117), AlertIconKit::imageOfNotice()},
        {ModalAlertViewStyle::Warning, rgb(255, 209, 16), AlertIconKit::imageOfWarning()},
        {ModalAlertViewStyle::Info, rgb(40, 102, 191), AlertIconKit::imageOfInfo()},
        {ModalAlertViewStyle::Edit, rgb(164, 41, 255), AlertIconKit::imageOfEdit()},
    };
    for (const auto& row : table) {
        auto alert = ModalAlertView::create();
        auto field = alert->addTextField();
        auto callerButton = alert->addButton("取消", [] {});
        alert->showTitle(host, "标题", "内容", row.style, "确定", 0);
        SCOPED_TRACE(static_cast<int>(row.style));
        EXPECT_EQ(alert->circleView()->backgroundColor(), row.color);
        EXPECT_EQ(alert->circleIconImageView()->image(), row.icon);
        EXPECT_FALSE(alert->circleIconImageView()->rendersAsTemplate());
        EXPECT_EQ(field->layer().borderColor(), row.color);
        ASSERT_EQ(alert->buttons().size(), 2u);
        for (const auto& button : alert->buttons()) {
            EXPECT_EQ(button->defaultBackgroundColor(), row.color);
            const auto title = button->titleColorForState(ui::ControlState::Normal);
            if (row.style == ModalAlertViewStyle::Warning)
                EXPECT_EQ(title, Color::black());
            else
                EXPECT_NE(title, Color::black());
        }
        // The close button comes after the caller's.
        EXPECT_EQ(alert->buttons()[0], callerButton);
        EXPECT_EQ(alert->buttons()[1]->currentTitle(), "确定");
        alert->hideView();
        runFor(0.4);
    }
}

TEST_F(ModalAlertViewTest, CustomDoublesTheIconCustomColourWinsEverywhereAndATintMakesATemplate)
{
    auto image = graphics::Image::create(10, 10, 2);
    auto alert = ModalAlertView::create();
    alert->showCustom(host, image, Color::red(), "自定义", "内容", "确定", 0);
    EXPECT_EQ(alert->circleIconHeight(), 40);
    EXPECT_EQ(alert->circleView()->backgroundColor(), Color::red());
    EXPECT_EQ(alert->circleIconImageView()->image(), image);
    alert->viewWillLayoutSubviews();
    EXPECT_RECT_EQ(alert->circleIconImageView()->frame(), 8, 8, 40, 40);

    auto custom = ModalAlertView::create();
    auto field = custom->addTextField();
    custom->setCustomViewColor(Color::green());
    custom->showWarning(host, "警告", "内容", "确定", 0);
    EXPECT_EQ(custom->circleView()->backgroundColor(), Color::green());
    EXPECT_EQ(field->layer().borderColor(), Color::green());
    EXPECT_EQ(custom->buttons()[0]->defaultBackgroundColor(), Color::green());
    EXPECT_EQ(custom->circleIconImageView()->image(), AlertIconKit::imageOfWarning());

    // An icon tint makes the icon a template image.
    auto tinted = ModalAlertView::create();
    tinted->setIconTintColor(Color::red());
    tinted->showSuccess(host, "成功", "内容", "确定", 0);
    EXPECT_EQ(tinted->circleIconImageView()->image(), AlertIconKit::imageOfCheckmark());
    EXPECT_TRUE(tinted->circleIconImageView()->rendersAsTemplate());
    EXPECT_EQ(tinted->circleIconImageView()->tintColor(), Color::red());
}

TEST_F(ModalAlertViewTest, UnknownStyleAndWaiting)
{
    auto odd = ModalAlertView::create();
    odd->circleIconImageView()->setImage(AlertIconKit::imageOfInfo());
    odd->showTitle(host, "标题", "内容", static_cast<ModalAlertViewStyle>(-3), "确定", 0);
    EXPECT_FALSE(odd->circleView()->backgroundColor());
    EXPECT_FALSE(odd->circleIconImageView()->image());
    EXPECT_FALSE(odd->buttons()[0]->defaultBackgroundColor());

    auto waiting = ModalAlertView::create();
    waiting->showWaiting(host, "请稍候", "正在上传", std::nullopt, 0);
    ASSERT_TRUE(waiting->activityIndicatorView());
    EXPECT_TRUE(waiting->activityIndicatorView()->isAnimating());
    EXPECT_RECT_EQ(waiting->activityIndicatorView()->frame(), 8, 8, 40, 40);
    EXPECT_EQ(waiting->activityIndicatorView()->superview(), waiting->circleView());
    EXPECT_EQ(waiting->circleView()->backgroundColor(), rgb(108, 18, 93));
    waiting->hideView();
    EXPECT_FALSE(waiting->activityIndicatorView()->isAnimating());

    // Through the general operation without a spinner: neither spinner nor icon.
    auto bare = ModalAlertView::create();
    bare->showTitle(
        host, nullptr, std::nullopt, "标题", "内容", 0, std::nullopt, ModalAlertViewStyle::Waiting);
    EXPECT_FALSE(bare->activityIndicatorView());
    EXPECT_FALSE(bare->circleIconImageView()->image());
}

TEST_F(ModalAlertViewTest, HostedShowAttachesToTheHost)
{
    auto alert = ModalAlertView::create();
    alert->showNotice(host, "标题", "内容", "确定", 0);
    EXPECT_EQ(alert->rootViewController(), host);
    EXPECT_TRUE(isChild(host, alert));
    const auto& subviews = host->view()->subviews();
    ASSERT_GE(subviews.size(), 2u);
    EXPECT_EQ(subviews[subviews.size() - 2], alert->backgroundView());
    EXPECT_EQ(subviews.back(), alert->view());
    EXPECT_TRUE(alert->isVisible());
    EXPECT_FALSE(alert->isModal());

    // Shown again after hiding: the close button stays, a new close title adds another.
    alert->hideView();
    runFor(0.5);
    EXPECT_FALSE(isChild(host, alert));
    alert->showNotice(host, "标题", "内容", std::nullopt, 0);
    EXPECT_EQ(alert->buttons().size(), 1u);
    const double before = alert->windowHeight();
    alert->hideView();
    runFor(0.5);
    alert->showNotice(host, "标题", "内容", "再来", 0);
    EXPECT_EQ(alert->buttons().size(), 2u);
    EXPECT_EQ(alert->windowHeight(), before + 45);
}

TEST_F(ModalAlertViewTest, AShowWithoutAHostAttachesNothingButTheTimerStillHides)
{
    auto alert = ModalAlertView::create();
    auto dismissed = countDismissals(*alert);
    alert->showError("出错了", "网络不可用", "确定", 2);
    EXPECT_FALSE(alert->rootViewController());
    EXPECT_FALSE(alert->view()->superview());
    EXPECT_FALSE(alert->backgroundView()->superview());
    EXPECT_RECT_EQ(alert->backgroundView()->frame(), 0, 0, 0, 0);
    runFor(1.9);
    EXPECT_EQ(*dismissed, 0);
    runFor(0.2);
    EXPECT_EQ(*dismissed, 1);
}

TEST_F(ModalAlertViewTest, TheAutoHideTimerIsSharedByAllAlerts)
{
    auto first = ModalAlertView::create();
    auto second = ModalAlertView::create();
    auto firstDismissed = countDismissals(*first), secondDismissed = countDismissals(*second);
    first->showSuccess(host, "一", "内容", "确定", 1);
    second->showSuccess(host, "二", "内容", "确定", 3);
    runFor(2);
    EXPECT_EQ(*firstDismissed, 0);
    EXPECT_TRUE(first->isVisible());
    runFor(1.1);
    EXPECT_EQ(*secondDismissed, 1);
    EXPECT_EQ(*firstDismissed, 0);

    // A timer that fires after the alert was closed hides it again.
    auto third = ModalAlertView::create();
    auto thirdDismissed = countDismissals(*third);
    third->showInfo(host, "三", "内容", "确定", 1);
    third->hideView();
    runFor(1.1);
    EXPECT_EQ(*thirdDismissed, 2);
}

TEST_F(ModalAlertViewTest, TheHandleChangesTextsAndCloses)
{
    auto alert = ModalAlertView::create();
    auto dismissed = countDismissals(*alert);
    auto handle = alert->showTitle(
        host, nullptr, std::nullopt, "旧标题", "旧内容", 0, "确定", ModalAlertViewStyle::Info);
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->alertview(), alert);
    const double height = alert->windowHeight();
    handle->setTitletitle("新标题");
    handle->setSubTitle("很长很长的新内容，很长很长的新内容，很长很长的新内容，很长很长的新内容。");
    EXPECT_EQ(alert->labelTitle()->text(), "新标题");
    EXPECT_EQ(alert->windowHeight(), height);
    handle->close();
    EXPECT_EQ(*dismissed, 1);
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(ModalAlertViewTest, ASoundFilePlaysWhenShownAMissingOneIsLoggedAndTheShowGoesOn)
{
    // Half a second of 16-bit mono silence at 8 kHz: the 44-byte header, then zeros.
    const auto path = std::filesystem::temp_directory_path() / "mivo-alert-test-sound.wav";
    const uint32_t header[] = {0x46464952, 36 + 8000, 0x45564157, 0x20746d66, 16, 0x00010001, 8000, 16000,
        0x00100002, 0x61746164, 8000};
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(header), sizeof header)
        .write(std::string(8000, '\0').data(), 8000);
    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    auto alert = ModalAlertView::create();
    alert->setSoundURL(path);
    ASSERT_TRUE(alert->audioPlayer());
    EXPECT_FALSE(alert->audioPlayer()->isPlaying());
    alert->showSuccess(host, "成功", "内容", "确定", 0);
    EXPECT_TRUE(alert->audioPlayer()->isPlaying());
    EXPECT_FALSE(log.contains("You need to set your sound file first"));
    alert->audioPlayer()->stop();
    std::filesystem::remove(path);

    auto silent = ModalAlertView::create();
    silent->setSoundURL(std::filesystem::path("/nonexistent/sound.wav"));
    EXPECT_FALSE(silent->audioPlayer());
    silent->showSuccess(host, "成功", "内容", "确定", 0);
    EXPECT_TRUE(log.contains("You need to set your sound file first"));
    EXPECT_TRUE(silent->isVisible());
}

TEST_F(ModalAlertViewTest, OwnWindowBecomesKeyAndGivesTheKeyWindowBack)
{
    auto alert = ModalAlertView::createWithNewWindow();
    auto own = alert->modalAlertWindow();
    ASSERT_TRUE(own);
    EXPECT_TRUE(alert->usingNewWindow());
    EXPECT_EQ(own->windowLevel(), ui::Window::kLevelAlert);
    EXPECT_EQ(own->rootViewController(), alert);
    own.reset();

    auto dismissed = countDismissals(*alert);
    alert->showWarning("网络错误", "请检查网络连接", "确定", 0);
    EXPECT_EQ(alert->previousWindow(), window);
    EXPECT_EQ(ui::Application::shared().keyWindow(), alert->modalAlertWindow());
    EXPECT_EQ(alert->backgroundView()->superview(), alert->modalAlertWindow());
    // The backdrop lies under the alert's own view, which the window shows as its root.
    const auto& layers = alert->modalAlertWindow()->subviews();
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0], alert->backgroundView());
    EXPECT_EQ(layers[1], alert->view());
    alert->viewWillLayoutSubviews();
    const double h = alert->windowHeight();
    const double y = (568 - h - 7) / 2;
    EXPECT_RECT_EQ(alert->contentView()->frame(), 40, y, 240, h);
    EXPECT_RECT_EQ(alert->circleViewBackground()->frame(), 129, y - 37.2, 62, 62);

    std::weak_ptr<ModalAlertView> weak = alert;
    alert->hideView();
    EXPECT_EQ(*dismissed, 1);
    EXPECT_EQ(ui::Application::shared().keyWindow(), window);
    EXPECT_FALSE(alert->previousWindow());
    EXPECT_TRUE(alert->modalAlertWindow());
    runFor(0.35);
    EXPECT_FALSE(alert->modalAlertWindow());

    // Shown again, it has no window left and attaches nothing.
    alert->showWarning("网络错误", "请检查网络连接", "确定", 0);
    EXPECT_FALSE(alert->backgroundView()->superview());
    EXPECT_EQ(ui::Application::shared().keyWindow(), window);
    alert.reset();
    runFor(0.5);
    EXPECT_TRUE(weak.expired());
}

TEST_F(ModalAlertViewTest, BackSwipeIsOffForTheAlertsLifetime)
{
    auto navigation = ui::NavigationController::create(host);
    window->setRootViewController(navigation);
    settle();
    auto recognizer = navigation->interactivePopGestureRecognizer();
    ASSERT_TRUE(recognizer);
    recognizer->setEnabled(true);
    struct Delegate : ui::GestureRecognizerDelegate { };
    auto original = std::make_shared<Delegate>();
    recognizer->setDelegate(original);

    std::weak_ptr<ModalAlertView> weak;
    {
        auto alert = ModalAlertView::create();
        weak = alert;
        alert->showInfo(host, "标题", "内容", "确定", 0);
        EXPECT_FALSE(recognizer->isEnabled());
        EXPECT_EQ(
            recognizer->delegate().lock().get(), static_cast<ui::GestureRecognizerDelegate*>(alert.get()));
        alert->hideView();
        runFor(0.5);
        // Hidden and detached, but not gone yet: still off.
        EXPECT_FALSE(recognizer->isEnabled());
    }
    runFor(0.1);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(recognizer->isEnabled());
    EXPECT_EQ(recognizer->delegate().lock(), original);

    // Shown twice before it goes: the second show must not take the state the first one set
    // for the one to restore, or the back-swipe would stay off for good.
    {
        auto alert = ModalAlertView::create();
        alert->showInfo(host, "标题", "内容", "确定", 0);
        alert->hideView();
        runFor(0.5);
        alert->showInfo(host, "标题", "内容", "确定", 0);
        EXPECT_FALSE(recognizer->isEnabled());
        EXPECT_TRUE(alert->restoreInteractivePopGestureEnabled());
        alert->hideView();
        runFor(0.5);
    }
    runFor(0.1);
    EXPECT_TRUE(recognizer->isEnabled());
    EXPECT_EQ(recognizer->delegate().lock(), original);
}

TEST_F(ModalAlertViewTest, AScreenLeavingWithAnAlertUpTakesTheAlertAlong)
{
    auto navigation = ui::NavigationController::create(host);
    window->setRootViewController(navigation);
    auto pushed = ui::ViewController::create();
    navigation->pushViewController(pushed, false);
    settle();
    auto recognizer = navigation->interactivePopGestureRecognizer();
    recognizer->setEnabled(true);

    std::weak_ptr<ModalAlertView> weakAlert;
    std::weak_ptr<ui::ViewController> weakScreen = pushed;
    {
        auto alert = ModalAlertView::create();
        weakAlert = alert;
        alert->showWaiting(pushed, "请稍候", "正在上传", std::nullopt, 0);
        EXPECT_FALSE(recognizer->isEnabled());
    }
    navigation->popViewController(false);
    pushed.reset();
    runFor(1);
    EXPECT_TRUE(weakScreen.expired());
    EXPECT_TRUE(weakAlert.expired());
    EXPECT_TRUE(recognizer->isEnabled());
}

TEST_F(ModalAlertViewTest, APresentedHostLaysOutInItsOwnSize)
{
    auto presented = ui::ViewController::create();
    host->presentViewController(presented, false);
    settle();
    presented->view()->setFrame({0, 0, 300, 400});
    auto alert = ModalAlertView::create();
    alert->showEdit(presented, "编辑", "内容", "确定", 0);
    EXPECT_TRUE(alert->isModal());
    alert->viewWillLayoutSubviews();
    const double h = alert->windowHeight();
    EXPECT_RECT_EQ(alert->view()->frame(), 30, (400 - h) / 2, 240, h);
    EXPECT_RECT_EQ(alert->backgroundView()->frame(), 0, 0, 300, 400);
}

TEST_F(ModalAlertViewTest, AlertsOverlappingOnOneScreenGiveTheBackSwipeBackWhicheverGoesFirst)
{
    auto navigation = ui::NavigationController::create(host);
    window->setRootViewController(navigation);
    settle();
    auto recognizer = navigation->interactivePopGestureRecognizer();
    ASSERT_TRUE(recognizer);
    struct Delegate : ui::GestureRecognizerDelegate { };
    auto original = std::make_shared<Delegate>();

    // The order in which three overlapping alerts go away.
    const std::vector<std::vector<int>> orders = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}, {0, 2, 1}};
    for (const auto& order : orders) {
        SCOPED_TRACE(testing::PrintToString(order));
        recognizer->setEnabled(true);
        recognizer->setDelegate(original);
        std::vector<std::shared_ptr<ModalAlertView>> alerts;
        for (int i = 0; i < 3; ++i) {
            alerts.push_back(ModalAlertView::create());
            alerts.back()->showError(host, "提示", "网络超时,请重新尝试!", "确定", 0);
        }
        for (size_t k = 0; k < order.size(); ++k) {
            std::weak_ptr<ModalAlertView> weak = alerts[order[k]];
            alerts[order[k]]->hideView();
            runFor(0.5);
            alerts[order[k]].reset();
            runFor(0.1);
            ASSERT_TRUE(weak.expired());
            if (k + 1 < order.size()) {
                // Off while any alert is still up.
                EXPECT_FALSE(recognizer->isEnabled());
            }
        }
        EXPECT_TRUE(recognizer->isEnabled());
        EXPECT_EQ(recognizer->delegate().lock(), original);
    }
}

TEST_F(ModalAlertViewTest, AnOwnWindowAlertShownAgainWhileUpStillGivesTheKeyWindowBack)
{
    auto alert = ModalAlertView::createWithNewWindow();
    alert->showWarning("网络错误", "请检查网络连接", "确定", 0);
    runFor(0.6);
    alert->showWarning("网络错误", "网络超时,请重新尝试!", std::nullopt, 0);
    EXPECT_EQ(ui::Application::shared().keyWindow(), alert->modalAlertWindow());
    EXPECT_EQ(alert->previousWindow(), window);
    alert->hideView();
    runFor(0.5);
    EXPECT_FALSE(alert->modalAlertWindow());
    EXPECT_EQ(ui::Application::shared().keyWindow(), window);
}
