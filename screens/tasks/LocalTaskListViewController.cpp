#include "screens/tasks/LocalTaskListViewController.h"

#include "platform/ui/StoryboardSegue.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/EditTaskViewController.h"
#include "screens/tasks/ShotGridEntry.h"

std::optional<std::string> LocalTaskListViewController::rowActionTitle(const MivoTask& task) const
{
    // A server task's number is the server's to change.
    if (!task.carID().empty())
        return std::nullopt;
    return kEditTitle;
}

void LocalTaskListViewController::rowActionSelected(const std::shared_ptr<MivoTask>& task)
{
    performSegueWithIdentifier(ShellSegues::kToEditTask, task);
}

void LocalTaskListViewController::prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    TaskListViewController::prepareForSegue(segue, sender);
    auto task = taskOf(sender);
    if (!task)
        return;
    if (auto edit = std::dynamic_pointer_cast<EditTaskViewController>(segue.destinationViewController())) {
        edit->setTask(task);
    } else if (auto grid = std::dynamic_pointer_cast<ShotGridEntry>(segue.destinationViewController())) {
        grid->setApplyTaskNO(task->applyNO());
        grid->setApplyTaskPhotoType(task->photoType());
        grid->setUuidForTask(task->carID());
    }
}
