#include "screens/tasks/UploadTaskListViewController.h"

#include "platform/ui/StoryboardSegue.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/ShotGridEntry.h"

void UploadTaskListViewController::viewDidLoad()
{
    setTitle("待上传任务");
    TaskListViewController::viewDidLoad();
}

std::string UploadTaskListViewController::gridSegueIdentifier() const
{
    return ShellSegues::kToUploadGrid;
}

void UploadTaskListViewController::prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    TaskListViewController::prepareForSegue(segue, sender);
    auto grid = std::dynamic_pointer_cast<ShotGridEntry>(segue.destinationViewController());
    auto task = taskOf(sender);
    if (!grid || !task)
        return;
    grid->setApplyTaskNO(task->applyNO());
    grid->setApplyTaskPhotoType(task->photoType());
    grid->setUuidForTask(task->carID());
}
