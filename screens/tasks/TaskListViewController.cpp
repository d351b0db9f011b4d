#include "screens/tasks/TaskListViewController.h"

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/tasks/TaskRecordUtil.h"

namespace {
constexpr graphics::Color kActionColor = graphics::Color::rgba(0, 0.478, 1);
constexpr double kTop = 0; // the navigation controller puts the view below its bar
constexpr double kRowHeight = 56;
constexpr double kActionWidth = 64;
constexpr double kActionHeight = 30;
} // namespace

void TaskListViewController::viewDidLoad()
{
    MainBaseViewController::viewDidLoad();
    m_listView = ui::ScrollView::create(view()->bounds());
    m_listView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    // As the phone's lists: a short list still gives under the finger.
    m_listView->setAlwaysBounceVertical(true);
    view()->addSubview(m_listView);
    m_emptyLabel = ui::Label::create({16, kTop + 40, view()->bounds().width() - 32, 30});
    m_emptyLabel->setText("暂无任务");
    m_emptyLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_emptyLabel->setTextColor(graphics::Color::gray());
    view()->addSubview(m_emptyLabel);
}

void TaskListViewController::viewWillAppear(bool animated)
{
    MainBaseViewController::viewWillAppear(animated);
    reloadList();
}

std::string TaskListViewController::detailText(const MivoTask& task) const
{
    std::string detail = task.photoType();
    if (!task.baseLocation().empty())
        detail += "  " + task.baseLocation();
    return detail;
}

void TaskListViewController::reloadList()
{
    m_tasks = TaskRecordUtil::tasksWithStatus(taskStatus(), RequestUrlUtil::currentUserName());
    if (!isViewLoaded())
        return;
    for (auto& row : m_rows)
        row->removeFromSuperview();
    m_rows.clear();
    m_emptyLabel->setHidden(!m_tasks.empty());

    double width = view()->bounds().width();
    std::weak_ptr<TaskListViewController> weakSelf = sharedAs<TaskListViewController>();
    for (size_t i = 0; i < m_tasks.size(); ++i) {
        double y = kTop + i * kRowHeight;
        auto row = ui::Button::create(graphics::Rect {0, y, width, kRowHeight - 1});
        row->setBackgroundColor(graphics::Color::white());
        row->setAccessibilityLabel("任务:" + m_tasks[i]->applyNO());
        row->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, i](ui::Control&) {
            if (auto self = weakSelf.lock())
                self->selectTask(i);
        });
        const MivoTask& task = *m_tasks[i];
        double textWidth = width - 32;
        if (auto actionTitle = rowActionTitle(task)) {
            auto action = ui::Button::create(graphics::Rect {width - 12 - kActionWidth,
                (kRowHeight - 1 - kActionHeight) / 2, kActionWidth, kActionHeight});
            action->setTitle(*actionTitle, ui::ControlState::Normal);
            action->setTitleColor(kActionColor, ui::ControlState::Normal);
            action->setTitleColor(kActionColor.withAlpha(0.3), ui::ControlState::Highlighted);
            action->titleLabel()->setFont(graphics::Font::systemFont(14));
            action->layer().setBorderWidth(1);
            action->layer().setBorderColor(kActionColor);
            action->layer().setCornerRadius(4);
            action->setAccessibilityLabel(*actionTitle + ":" + task.applyNO());
            action->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, i](ui::Control&) {
                if (auto self = weakSelf.lock())
                    self->performRowAction(i);
            });
            row->addSubview(action);
            textWidth -= kActionWidth + 8;
        }
        auto title = ui::Label::create({16, 6, textWidth, 24});
        title->setText(m_tasks[i]->applyNO());
        title->setFont(graphics::Font::boldSystemFont(16));
        title->setUserInteractionEnabled(false);
        row->addSubview(title);
        auto detail = ui::Label::create({16, 30, textWidth, 20});
        detail->setText(detailText(*m_tasks[i]));
        detail->setFont(graphics::Font::systemFont(13));
        detail->setTextColor(graphics::Color::darkGray());
        detail->setUserInteractionEnabled(false);
        row->addSubview(detail);
        m_listView->addSubview(row);
        m_rows.push_back(row);
    }
    m_listView->setContentSize({width, kTop + m_tasks.size() * kRowHeight});
    // A shorter list than before keeps no offset past its end.
    graphics::Point offset = m_listView->contentOffset();
    graphics::Point maximum = m_listView->maximumContentOffset();
    if (offset.y > maximum.y)
        m_listView->setContentOffset({offset.x, maximum.y});
}

void TaskListViewController::selectTask(size_t index)
{
    if (index >= m_tasks.size())
        return;
    performSegueWithIdentifier(gridSegueIdentifier(), m_tasks[index]);
}

void TaskListViewController::performRowAction(size_t index)
{
    if (index < m_tasks.size() && rowActionTitle(*m_tasks[index]))
        rowActionSelected(m_tasks[index]);
}

std::optional<std::string> TaskListViewController::rowActionTitle(const MivoTask&) const
{
    return std::nullopt;
}

void TaskListViewController::rowActionSelected(const std::shared_ptr<MivoTask>&)
{ }

std::shared_ptr<MivoTask> TaskListViewController::taskOf(const ui::SegueSender& sender)
{
    // Senders of this list's segues are always its tasks.
    return std::static_pointer_cast<MivoTask>(sender);
}
