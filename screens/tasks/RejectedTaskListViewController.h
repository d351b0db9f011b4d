#pragma once

#include "screens/tasks/ServerTaskListViewController.h"

// The server's rejected tasks ("overrulelist"), kept in the store as "REJECTED"; a slot shot again
// since keeps its local record.
class RejectedTaskListViewController final : public ServerTaskListViewController {
public:
    static std::shared_ptr<RejectedTaskListViewController> create()
    {
        return std::make_shared<RejectedTaskListViewController>();
    }
    const char* className() const override { return "RejectedTaskListViewController"; }
    static constexpr const char* kListPath = "/CarTask.ashx?method=overrulelist&time=";

    void viewDidLoad() override;
    std::string taskStatus() const override { return "REJECTED"; }
    std::string gridSegueIdentifier() const override;
    std::string listPath() const override { return kListPath; }
    std::string requestTag() const override { return "overrulelist"; }
    IMivoDataBaseManager::MergeRule mergeRule() const override
    {
        return IMivoDataBaseManager::MergeRule::OnlyWhileUploaded;
    }
    std::string lastUpdateTime(int64_t userId) const override;
    void setLastUpdateTime(int64_t userId, const std::string& time) const override;
    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

protected:
    std::string detailText(const MivoTask& task) const override;
};
