#include "screens/shell/LeftMenuViewController.h"

#include "components/alert/ModalAlertView.h"
#include "core/net/UserInfo.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "screens/shell/BrandStyle.h"
#include "screens/shell/LoginViewController.h"
#include "screens/shell/MainBaseViewController.h"
#include "screens/shell/ScreenScrollView.h"
#include "screens/shell/ShellSegues.h"
#include "screens/shell/SlidingViewController.h"

std::shared_ptr<LeftMenuViewController> LeftMenuViewController::create()
{
    return std::make_shared<LeftMenuViewController>();
}

LeftMenuViewController::~LeftMenuViewController()
{
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

const std::vector<LeftMenuViewController::Entry>& LeftMenuViewController::entries()
{
    static const std::vector<Entry> kEntries {
        {"首页", ShellSegues::kSlidingToHome},
        {"新建任务", ShellSegues::kToNewTask},
        {"待拍摄任务", ShellSegues::kToPendingList},
        {"待上传任务", ShellSegues::kToUploadList},
        {"已完成任务", ShellSegues::kToFinishedList},
        {"已驳回任务", ShellSegues::kToRejectedList},
        {"退出登录", ""},
    };
    return kEntries;
}

void LeftMenuViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(graphics::Color::rgba(0.16, 0.18, 0.22));

    std::weak_ptr<LeftMenuViewController> weakSelf = sharedAs<LeftMenuViewController>();
    foundation::NotificationCenter::defaultCenter().addObserver(weakSelf,
        MainBaseViewController::kNavToHomeSlidingNotification, [weakSelf](const foundation::Notification&) {
            if (auto self = weakSelf.lock())
                self->performSegueWithIdentifier(ShellSegues::kSlidingToHome);
        });

    // Turned, the entries reach below the screen: they scroll.
    m_content = ScreenScrollView::create(view()->bounds());
    view()->addSubview(m_content);
    m_userLabel = ui::Label::create({20, 40, SlidingViewController::kRevealWidth - 40, 30});
    m_userLabel->setTextColor(graphics::Color::white());
    m_userLabel->setFont(graphics::Font::boldSystemFont(17));
    m_content->addSubview(m_userLabel);

    double y = 90;
    for (size_t i = 0; i < entries().size(); ++i) {
        auto button
            = ui::Button::create(graphics::Rect {20, y, SlidingViewController::kRevealWidth - 40, 40});
        button->setTitle(entries()[i].title, ui::ControlState::Normal);
        button->setTitleColor(graphics::Color::white(), ui::ControlState::Normal);
        button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
        button->setAccessibilityLabel("菜单:" + entries()[i].title);
        button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, i](ui::Control&) {
            if (auto self = weakSelf.lock())
                self->selectEntry(i);
        });
        m_content->addSubview(button);
        m_buttons.push_back(button);
        y += 48;
    }
    m_content->setContentHeight(m_buttons.back()->frame().maxY() + kBottomMargin);
}

void LeftMenuViewController::viewWillAppear(bool animated)
{
    ui::ViewController::viewWillAppear(animated);
    auto user = UserInfo::sharedInstance();
    m_userLabel->setText(user->name().empty() ? user->loginName() : user->name());
}

void LeftMenuViewController::selectEntry(size_t index)
{
    if (index >= entries().size())
        return;
    const auto& entry = entries()[index];
    if (entry.segueIdentifier.empty())
        showLogoutPrompt();
    else
        performSegueWithIdentifier(entry.segueIdentifier);
}

void LeftMenuViewController::showLogoutPrompt()
{
    std::weak_ptr<LeftMenuViewController> weakSelf = sharedAs<LeftMenuViewController>();
    auto alert = ModalAlertView::create();
    alert->addButton("确定", [weakSelf] {
        if (auto self = weakSelf.lock())
            self->logout();
    });
    alert->addButton("取消", [] {});
    // Over the whole container, not only the menu's strip.
    std::shared_ptr<ui::ViewController> host = SlidingViewController::containing(*this);
    if (!host)
        host = sharedAs<ui::ViewController>();
    alert->showWarning(host, "退出登录", "确定要退出吗？", std::nullopt, 0);
}

void LeftMenuViewController::logout()
{
    auto& defaults = foundation::UserDefaults::standard();
    defaults.remove(LoginViewController::kPasswordKey);
    defaults.synchronize();
    if (auto sliding = SlidingViewController::containing(*this))
        sliding->dismissViewController(true);
}
