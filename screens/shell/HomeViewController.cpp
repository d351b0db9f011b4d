#include "screens/shell/HomeViewController.h"

#include "core/net/UserInfo.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/DateUtil.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "screens/shell/BrandStyle.h"
#include "screens/shell/ShellSegues.h"
#include "screens/shell/SlidingViewController.h"

namespace {
constexpr double kTop = 0; // the navigation controller puts the view below its bar
}

std::shared_ptr<HomeViewController> HomeViewController::create()
{
    return std::make_shared<HomeViewController>();
}

void HomeViewController::viewDidLoad()
{
    ParentViewController::viewDidLoad();
    std::weak_ptr<HomeViewController> weakSelf = sharedAs<HomeViewController>();
    navigationItem().setLeftBarButtonItem(ui::BarButtonItem::create("菜单", [weakSelf](ui::BarButtonItem&) {
        if (auto self = weakSelf.lock()) {
            if (auto sliding = SlidingViewController::containing(*self))
                sliding->toggleMenu(true);
        }
    }));

    double width = view()->bounds().width();
    m_dateLabel = ui::Label::create({20, kTop + 16, width - 40, 22});
    m_dateLabel->setTextColor(graphics::Color::darkGray());
    m_dateLabel->setFont(graphics::Font::systemFont(14));
    view()->addSubview(m_dateLabel);
    m_userLabel = ui::Label::create({20, kTop + 40, width - 40, 26});
    m_userLabel->setFont(graphics::Font::boldSystemFont(18));
    view()->addSubview(m_userLabel);

    double y = kTop + 86;
    addEntry("新建任务", ShellSegues::kToNewTask, y);
    m_pendingButton = addEntry("待拍摄任务", ShellSegues::kToPendingList, y += 56);
    m_uploadButton = addEntry("待上传任务", ShellSegues::kToUploadList, y += 56);
    addEntry("已完成任务", ShellSegues::kToFinishedList, y += 56);
    addEntry("已驳回任务", ShellSegues::kToRejectedList, y += 56);
}

std::shared_ptr<ui::Button> HomeViewController::addEntry(
    const std::string& title, const char* segue, double y)
{
    auto button = ui::Button::create(graphics::Rect {20, y, view()->bounds().width() - 40, 46});
    button->setTitle(title, ui::ControlState::Normal);
    button->setTitleColor(graphics::Color::white(), ui::ControlState::Normal);
    button->setBackgroundColor(BrandStyle::current().color);
    button->layer().setCornerRadius(6);
    button->setAccessibilityLabel(title);
    std::weak_ptr<HomeViewController> weakSelf = sharedAs<HomeViewController>();
    std::string identifier = segue;
    button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, identifier](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->performSegueWithIdentifier(identifier);
    });
    view()->addSubview(button);
    return button;
}

void HomeViewController::viewWillAppear(bool animated)
{
    ParentViewController::viewWillAppear(animated);
    m_dateLabel->setText(DateUtil::getTotalDateByTimeStamp(foundation::Date::now().secondsSince1970()));
    auto user = UserInfo::sharedInstance();
    m_userLabel->setText("检测员: " + (user->name().empty() ? user->loginName() : user->name()));
    refreshCounts();
}

size_t HomeViewController::taskCount(const std::string& taskStatus)
{
    auto user = foundation::UserDefaults::standard().string("userName").value_or("");
    auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
        data::Predicate::withFormat("taskStatus=%@ and createUser=%@", taskStatus, user));
    return tasks ? tasks->size() : 0;
}

void HomeViewController::refreshCounts()
{
    m_pendingButton->setTitle(
        foundation::format("待拍摄任务 (%zu)", taskCount("PENDING")), ui::ControlState::Normal);
    m_uploadButton->setTitle(
        foundation::format("待上传任务 (%zu)", taskCount("TOUPLOAD")), ui::ControlState::Normal);
}
