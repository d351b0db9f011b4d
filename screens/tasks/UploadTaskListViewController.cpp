#include "screens/tasks/UploadTaskListViewController.h"

#include "screens/shell/ShellSegues.h"

void UploadTaskListViewController::viewDidLoad()
{
    setTitle("待上传任务");
    TaskListViewController::viewDidLoad();
}

std::string UploadTaskListViewController::gridSegueIdentifier() const
{
    return ShellSegues::kToUploadGrid;
}
