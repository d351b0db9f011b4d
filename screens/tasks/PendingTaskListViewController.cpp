#include "screens/tasks/PendingTaskListViewController.h"

#include "platform/ui/StoryboardSegue.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/ShotGridEntry.h"

void PendingTaskListViewController::viewDidLoad()
{
    setTitle("待拍摄任务");
    TaskListViewController::viewDidLoad();
}

std::string PendingTaskListViewController::gridSegueIdentifier() const
{
    return ShellSegues::kToPendingGrid;
}

void PendingTaskListViewController::prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    TaskListViewController::prepareForSegue(segue, sender);
    auto grid = std::dynamic_pointer_cast<ShotGridEntry>(segue.destinationViewController());
    auto task = taskOf(sender);
    if (!grid || !task)
        return;
    grid->setApplyTaskNO(task->applyNO());
    grid->setApplyTaskPhotoType(task->photoType());
}
