#pragma once

#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/JsonList.h"
#include "platform/foundation/Value.h"
#include "screens/tasks/TaskListViewController.h"

#include <memory>
#include <optional>
#include <string>

struct HttpError;
class ServerTaskMerge;

// Base of the finished and rejected lists: each time the list comes on screen it asks the server
// for the tasks changed since the last fetch ("LoginName", "updateDate"), merges them into the
// store (in slices, the screen staying live) and shows the store's tasks of its state. Each row
// offers a change of the task's number, which the server must accept first ("updateapplyno").
class ServerTaskListViewController : public TaskListViewController {
public:
    const char* className() const override { return "ServerTaskListViewController"; }
    static constexpr const char* kStoreFailureMessage = "任务保存失败,请重新尝试!";

    void viewWillAppear(bool animated) override;

    // The endpoint's path and the request's tag.
    virtual std::string listPath() const = 0;
    virtual std::string requestTag() const = 0;
    virtual IMivoDataBaseManager::MergeRule mergeRule() const = 0;
    // The list's last-update time of the user, and storing the server's new one.
    virtual std::string lastUpdateTime(int64_t userId) const = 0;
    virtual void setLastUpdateTime(int64_t userId, const std::string& time) const = 0;

    void refresh();
    bool isRequestRunning() const { return m_requestRunning; }
    // The list reply, with its "Data" array apart (nullopt when it had none).
    void listFinished(foundation::Value reply, std::optional<foundation::JsonList> tasks);
    void listFailed(const HttpError& error);

    // The number dialog of a row: a number-pad field with the task's number, confirm and cancel.
    static constexpr const char* kRenumberTitle = "修改单号";
    static constexpr const char* kRenumberPath = "/CarTask.ashx?method=updateapplyno&time=";
    static constexpr const char* kRenumberTag = "updateapplyno";
    static constexpr const char* kRenumberFieldLabel = "新申请编号";
    void showRenumberDialog(const std::shared_ptr<MivoTask>& task);
    // The dialog's confirm: checks the number as the create-task screen does and asks the server.
    void renumberTask(const std::shared_ptr<MivoTask>& task, const std::string& typed);
    bool isRenumbering() const { return m_renumberTask != nullptr; }

protected:
    std::optional<std::string> rowActionTitle(const MivoTask& task) const override;
    void rowActionSelected(const std::shared_ptr<MivoTask>& task) override;

private:
    void mergeFinished(bool allStored, const std::string& sysdate);
    void showError(const std::string& message);
    void sendRenumber(const std::shared_ptr<MivoTask>& task, const std::string& applyNO);
    // The server's answer has been dealt with: why it did not change the number, if it did not.
    void renumberEnded(const std::optional<std::string>& problem);

    bool m_requestRunning {false};
    std::shared_ptr<ServerTaskMerge> m_merge;
    // The task whose new number the server is being asked about.
    std::shared_ptr<MivoTask> m_renumberTask;
};
