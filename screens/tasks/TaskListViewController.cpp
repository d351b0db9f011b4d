#include "screens/tasks/TaskListViewController.h"

#include "platform/ui/Label.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/tasks/TaskListCell.h"
#include "screens/tasks/TaskRecordUtil.h"

namespace {
constexpr double kTop = 0; // the navigation controller puts the view below its bar
} // namespace

void TaskListViewController::viewDidLoad()
{
    MainBaseViewController::viewDidLoad();
    m_listView = ui::TableView::create(view()->bounds());
    m_listView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    m_listView->setRowHeight(TaskListCell::kHeight);
    m_listView->registerNib(&TaskListCell::create, TaskListCell::kReuseIdentifier);
    auto self = sharedAs<TaskListViewController>();
    m_listView->setDataSource(self);
    m_listView->setTableDelegate(self);
    view()->addSubview(m_listView);
    m_emptyLabel = ui::Label::create({16, kTop + 40, view()->bounds().width() - 32, 30});
    m_emptyLabel->setText("暂无任务");
    m_emptyLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_emptyLabel->setTextColor(graphics::Color::gray());
    m_emptyLabel->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
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
    m_emptyLabel->setHidden(!m_tasks.empty());
    m_listView->reloadData();
    // A shorter list than before keeps no offset past its end.
    m_listView->layoutIfNeeded();
    graphics::Point offset = m_listView->contentOffset();
    graphics::Point maximum = m_listView->maximumContentOffset();
    if (offset.y > maximum.y)
        m_listView->setContentOffset({offset.x, maximum.y});
}

size_t TaskListViewController::numberOfRowsInSection(ui::TableView&, size_t)
{
    return m_tasks.size();
}

std::shared_ptr<ui::TableViewCell> TaskListViewController::cellForRowAtIndexPath(
    ui::TableView& tableView, ui::IndexPath indexPath)
{
    auto cell = std::static_pointer_cast<TaskListCell>(
        tableView.dequeueReusableCellWithIdentifier(TaskListCell::kReuseIdentifier));
    const auto& task = m_tasks.at(static_cast<size_t>(indexPath.row()));
    std::weak_ptr<TaskListViewController> weakSelf = sharedAs<TaskListViewController>();
    auto index = static_cast<size_t>(indexPath.row());
    cell->fill(task->applyNO(), detailText(*task), rowActionTitle(*task), [weakSelf, index] {
        if (auto self = weakSelf.lock())
            self->performRowAction(index);
    });
    return cell;
}

void TaskListViewController::didSelectRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath)
{
    selectTask(static_cast<size_t>(indexPath.row()));
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
