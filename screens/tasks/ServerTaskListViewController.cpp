#include "screens/tasks/ServerTaskListViewController.h"

#include "components/alert/ModalAlertView.h"
#include "core/net/UserInfo.h"
#include "platform/foundation/Log.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/tasks/ServerTaskMerge.h"

using foundation::Value;

void ServerTaskListViewController::viewWillAppear(bool animated)
{
    TaskListViewController::viewWillAppear(animated);
    refresh();
}

void ServerTaskListViewController::refresh()
{
    // Not while a new number is on its way: a list the server sent before it would bring back the old.
    if (m_requestRunning || isRenumbering())
        return;
    auto user = UserInfo::sharedInstance();
    std::string loginName = user->loginName().empty() ? RequestUrlUtil::currentUserName() : user->loginName();
    m_requestRunning = true;
    RequestUrlUtil::postList(sharedAs<ServerTaskListViewController>(), listPath(),
        Value(foundation::Map {{"LoginName", loginName}, {"updateDate", lastUpdateTime(user->userId())}}),
        requestTag(), &ServerTaskListViewController::listFinished, &ServerTaskListViewController::listFailed);
}

void ServerTaskListViewController::listFinished(Value reply, std::optional<foundation::JsonList> tasks)
{
    m_requestRunning = false;
    if (!RequestUrlUtil::succeeded(reply) || !tasks) {
        std::string message = RequestUrlUtil::message(reply, RequestUrlUtil::kNetworkFailureMessage);
        foundation::logf("--------error------@%s", message.c_str());
        showError(message);
        return;
    }
    // The request stays running until the merge ends, so that a second refresh cannot merge the
    // same list alongside it.
    m_requestRunning = true;
    std::weak_ptr<ServerTaskListViewController> weakSelf = sharedAs<ServerTaskListViewController>();
    const Value& sysdateValue = reply["sysdate"];
    std::string sysdate = sysdateValue.isString() ? sysdateValue.asString() : std::string();
    m_merge = ServerTaskMerge::create(
        std::move(*tasks), taskStatus(), RequestUrlUtil::currentUserName(), mergeRule());
    m_merge->start([weakSelf] { return !weakSelf.expired(); },
        [weakSelf, sysdate](size_t, bool allStored) {
            if (auto self = weakSelf.lock())
                self->mergeFinished(allStored, sysdate);
        });
}

void ServerTaskListViewController::mergeFinished(bool allStored, const std::string& sysdate)
{
    m_requestRunning = false;
    m_merge.reset();
    // Only after a whole merge: the server sends a task once after its change, so a fetch whose
    // tasks did not all reach the store must be asked again from the same time.
    if (allStored && !sysdate.empty())
        setLastUpdateTime(UserInfo::sharedInstance()->userId(), sysdate);
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
