#pragma once

#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/JsonList.h"
#include "platform/foundation/Value.h"
#include "screens/tasks/TaskListViewController.h"

#include <memory>
#include <optional>

struct HttpError;
class ServerTaskMerge;

// Base of the finished and rejected lists: each time the list comes on screen it asks the server
// for the tasks changed since the last fetch ("LoginName", "updateDate"), merges them into the
// store (in slices, the screen staying live) and shows the store's tasks of its state.
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

private:
    void mergeFinished(bool allStored, const std::string& sysdate);
    void showError(const std::string& message);

    bool m_requestRunning {false};
    std::shared_ptr<ServerTaskMerge> m_merge;
};
