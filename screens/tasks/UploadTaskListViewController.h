#pragma once

#include "screens/tasks/LocalTaskListViewController.h"

// Local tasks ready to upload ("TOUPLOAD").
class UploadTaskListViewController final : public LocalTaskListViewController {
public:
    static std::shared_ptr<UploadTaskListViewController> create()
    {
        return std::make_shared<UploadTaskListViewController>();
    }
    const char* className() const override { return "UploadTaskListViewController"; }

    void viewDidLoad() override;
    std::string taskStatus() const override { return "TOUPLOAD"; }
    std::string gridSegueIdentifier() const override;
};
