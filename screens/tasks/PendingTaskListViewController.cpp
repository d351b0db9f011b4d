#include "screens/tasks/PendingTaskListViewController.h"

#include "screens/shell/ShellSegues.h"

void PendingTaskListViewController::viewDidLoad()
{
    setTitle("待拍摄任务");
    TaskListViewController::viewDidLoad();
}

std::string PendingTaskListViewController::gridSegueIdentifier() const
{
    return ShellSegues::kToPendingGrid;
}
