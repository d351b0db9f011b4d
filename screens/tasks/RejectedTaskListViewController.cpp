#include "screens/tasks/RejectedTaskListViewController.h"

#include "core/store/UpdateTime.h"
#include "platform/ui/StoryboardSegue.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/ShotGridEntry.h"

void RejectedTaskListViewController::viewDidLoad()
{
    setTitle("已驳回任务");
    ServerTaskListViewController::viewDidLoad();
}

std::string RejectedTaskListViewController::gridSegueIdentifier() const
{
    return ShellSegues::kToRejectedGrid;
}

std::string RejectedTaskListViewController::lastUpdateTime(int64_t userId) const
{
    return UpdateTime::rejectedUpdateTime(userId);
}

void RejectedTaskListViewController::setLastUpdateTime(int64_t userId, const std::string& time) const
{
    UpdateTime::setRejectedUpdateTime(userId, time);
}

std::string RejectedTaskListViewController::detailText(const MivoTask& task) const
{
    return task.rejectedReason().empty() ? ServerTaskListViewController::detailText(task)
                                         : "驳回原因: " + task.rejectedReason();
}

void RejectedTaskListViewController::prepareForSegue(
    ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    ServerTaskListViewController::prepareForSegue(segue, sender);
    auto grid = std::dynamic_pointer_cast<ShotGridEntry>(segue.destinationViewController());
    auto task = taskOf(sender);
    if (!grid || !task)
        return;
    grid->setApplyTaskNO(task->applyNO());
    grid->setApplyTaskPhotoType(task->photoType());
    grid->setUuidForTask(task->carID());
    grid->setSynMivoTask(task);
}
