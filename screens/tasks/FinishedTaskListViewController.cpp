#include "screens/tasks/FinishedTaskListViewController.h"

#include "core/store/UpdateTime.h"
#include "platform/ui/StoryboardSegue.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/ShotGridEntry.h"
#include "screens/tasks/TaskRecordUtil.h"

void FinishedTaskListViewController::viewDidLoad()
{
    setTitle("已完成任务");
    ServerTaskListViewController::viewDidLoad();
}

std::string FinishedTaskListViewController::gridSegueIdentifier() const
{
    return ShellSegues::kToFinishedGrid;
}

std::string FinishedTaskListViewController::lastUpdateTime(int64_t userId) const
{
    return UpdateTime::finishedUpdateTime(userId);
}

void FinishedTaskListViewController::setLastUpdateTime(int64_t userId, const std::string& time) const
{
    UpdateTime::setFinishedUpdateTime(userId, time);
}

std::string FinishedTaskListViewController::detailText(const MivoTask& task) const
{
    std::string detail = ServerTaskListViewController::detailText(task);
    if (!task.assessPrice().empty())
        detail += "  评估价: " + task.assessPrice();
    return detail;
}

void FinishedTaskListViewController::prepareForSegue(
    ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    ServerTaskListViewController::prepareForSegue(segue, sender);
    auto grid = std::dynamic_pointer_cast<ShotGridEntry>(segue.destinationViewController());
    auto task = taskOf(sender);
    if (!grid || !task)
        return;
    grid->setApplyTaskNO(task->applyNO());
    grid->setApplyTaskPhotoType(task->photoType());
    grid->setAllMivoUploads(TaskRecordUtil::finishedUploads(task->carID()));
}
