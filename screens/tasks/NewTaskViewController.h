#pragma once

#include "screens/tasks/TaskFormViewController.h"

// Creates a task: the form filled in from empty; a free number makes the task and its media
// records, and its shot grid opens.
class NewTaskViewController final : public TaskFormViewController {
public:
    static std::shared_ptr<NewTaskViewController> create();

    const char* className() const override { return "NewTaskViewController"; }
    void viewDidLoad() override;

protected:
    std::string submitTitle() const override { return "开始拍摄"; }
    std::shared_ptr<ui::View> chooserHostView() override;
    bool isNewNumber(const std::string&) const override { return true; }
    bool store(const NewTaskFields& fields) override;
};
