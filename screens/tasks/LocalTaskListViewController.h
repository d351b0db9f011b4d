#pragma once

#include "screens/tasks/TaskListViewController.h"

// Base of the two lists of tasks kept here ("PENDING", "TOUPLOAD"): a row opens the task's grid
// with its number and plan, and a task without a server id offers "编辑", which opens the
// edit-task screen.
class LocalTaskListViewController : public TaskListViewController {
public:
    static constexpr const char* kEditTitle = "编辑";

    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

protected:
    std::optional<std::string> rowActionTitle(const MivoTask& task) const override;
    void rowActionSelected(const std::shared_ptr<MivoTask>& task) override;
};
