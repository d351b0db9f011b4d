#include "screens/tasks/ServerTaskListViewController.h"

#include "components/alert/ModalAlertView.h"
#include "core/net/UserInfo.h"
#include "platform/foundation/Log.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/tasks/TaskRecordUtil.h"

using foundation::Value;

void ServerTaskListViewController::viewWillAppear(bool animated)
{
    TaskListViewController::viewWillAppear(animated);
    refresh();
}

void ServerTaskListViewController::refresh()
{
    if (m_requestRunning)
        return;
    auto user = UserInfo::sharedInstance();
    std::string loginName = user->loginName().empty() ? RequestUrlUtil::currentUserName() : user->loginName();
    m_requestRunning = true;
    RequestUrlUtil::post(sharedAs<ServerTaskListViewController>(), listPath(),
        Value(foundation::Map {{"LoginName", loginName}, {"updateDate", lastUpdateTime(user->userId())}}),
        requestTag(), &ServerTaskListViewController::listFinished, &ServerTaskListViewController::listFailed);
}

void ServerTaskListViewController::listFinished(const Value& reply)
{
    m_requestRunning = false;
    if (!RequestUrlUtil::succeeded(reply) || !reply["Data"].isArray()) {
        std::string message = RequestUrlUtil::message(reply, RequestUrlUtil::kNetworkFailureMessage);
        foundation::logf("--------error------@%s", message.c_str());
        showError(message);
        return;
    }
    bool allStored = true;
    TaskRecordUtil::mergeServerTasks(
        reply["Data"], taskStatus(), RequestUrlUtil::currentUserName(), mergeRule(), &allStored);
    // Only after a whole merge: the server sends a task once after its change, so a fetch whose
    // tasks did not all reach the store must be asked again from the same time.
    const Value& sysdate = reply["sysdate"];
    if (allStored && sysdate.isString() && !sysdate.asString().empty())
        setLastUpdateTime(UserInfo::sharedInstance()->userId(), sysdate.asString());
    reloadList();
    if (!allStored) {
        foundation::logf("--------error------@%s", "the server's tasks could not all be stored");
        showError(kStoreFailureMessage);
    }
}

void ServerTaskListViewController::listFailed(const HttpError& error)
{
    m_requestRunning = false;
    foundation::logf("--------error------@%s", error.description.c_str());
    showError(RequestUrlUtil::kNetworkFailureMessage);
}

void ServerTaskListViewController::showError(const std::string& message)
{
    // Not when the list has left the screen meanwhile.
    if (!isViewLoaded() || !view()->window())
        return;
    auto alert = ModalAlertView::create();
    alert->showError(sharedAs<ui::ViewController>(), "提示", message, std::string("确定"), 0);
}
