#pragma once

#include "screens/tasks/ServerTaskListViewController.h"

// The server's finished tasks ("endlist"), kept in the store as "FINISHED".
class FinishedTaskListViewController final : public ServerTaskListViewController {
public:
    static std::shared_ptr<FinishedTaskListViewController> create()
    {
        return std::make_shared<FinishedTaskListViewController>();
    }
    const char* className() const override { return "FinishedTaskListViewController"; }
    static constexpr const char* kListPath = "/CarTask.ashx?method=endlist&time=";

    void viewDidLoad() override;
    std::string taskStatus() const override { return "FINISHED"; }
    std::string gridSegueIdentifier() const override;
    std::string listPath() const override { return kListPath; }
    std::string requestTag() const override { return "endlist"; }
    IMivoDataBaseManager::MergeRule mergeRule() const override
    {
        return IMivoDataBaseManager::MergeRule::Always;
    }
    std::string lastUpdateTime(int64_t userId) const override;
    void setLastUpdateTime(int64_t userId, const std::string& time) const override;
    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

protected:
    std::string detailText(const MivoTask& task) const override;
};
