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
#include "screens/shell/ScreenScrollView.h"
#include "screens/shell/ShellSegues.h"
#include "screens/shell/SlidingViewController.h"

namespace {
constexpr double kTop = 0; // the navigation controller puts the view below its bar
constexpr double kBottomMargin = 20;
} // namespace

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

    m_content = ScreenScrollView::create(view()->bounds());
    view()->addSubview(m_content);
    m_dateLabel = ui::Label::create();
    m_dateLabel->setTextColor(graphics::Color::darkGray());
    m_dateLabel->setFont(graphics::Font::systemFont(14));
    m_content->addSubview(m_dateLabel);
    m_userLabel = ui::Label::create();
    m_userLabel->setFont(graphics::Font::boldSystemFont(18));
    m_content->addSubview(m_userLabel);

    addEntry("新建任务", ShellSegues::kToNewTask);
    m_pendingButton = addEntry("待拍摄任务", ShellSegues::kToPendingList);
    m_uploadButton = addEntry("待上传任务", ShellSegues::kToUploadList);
    addEntry("已完成任务", ShellSegues::kToFinishedList);
    addEntry("已驳回任务", ShellSegues::kToRejectedList);
    layOutContent();
}

void HomeViewController::viewDidLayoutSubviews()
{
    ParentViewController::viewDidLayoutSubviews();
    layOutContent();
}

void HomeViewController::layOutContent()
{
    double width = m_content->bounds().width();
    m_dateLabel->setFrame({20, kTop + 16, width - 40, 22});
    m_userLabel->setFrame({20, kTop + 40, width - 40, 26});
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_entries[i]->setFrame({20, kTop + 86 + 56 * double(i), width - 40, 46});
    m_content->setContentHeight(m_entries.back()->frame().maxY() + kBottomMargin);
}

std::shared_ptr<ui::Button> HomeViewController::addEntry(const std::string& title, const char* segue)
{
    auto button = ui::Button::create(graphics::Rect {});
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
    m_content->addSubview(button);
    m_entries.push_back(button);
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
