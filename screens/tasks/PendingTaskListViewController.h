#pragma once

#include "screens/tasks/LocalTaskListViewController.h"

// Local tasks still being shot ("PENDING").
class PendingTaskListViewController final : public LocalTaskListViewController {
public:
    static std::shared_ptr<PendingTaskListViewController> create()
    {
        return std::make_shared<PendingTaskListViewController>();
    }
    const char* className() const override { return "PendingTaskListViewController"; }

    void viewDidLoad() override;
    std::string taskStatus() const override { return "PENDING"; }
    std::string gridSegueIdentifier() const override;
};
