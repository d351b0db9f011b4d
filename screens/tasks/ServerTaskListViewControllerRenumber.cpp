#include "screens/tasks/ServerTaskListViewController.h"

#include "components/alert/ModalAlertView.h"
#include "components/banner/DropdownBanner.h"
#include "core/net/HttpManager.h"
#include "core/net/UserInfo.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/TextField.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/tasks/NewTaskViewController.h"
#include "screens/tasks/TaskRecordUtil.h"

using foundation::Map;
using foundation::trimmed;
using foundation::Value;

namespace {

constexpr double kRenumberRetryDelay = 0.1;

} // namespace

std::optional<std::string> ServerTaskListViewController::rowActionTitle(const MivoTask&) const
{
    return std::string(kRenumberTitle);
}

void ServerTaskListViewController::rowActionSelected(const std::shared_ptr<MivoTask>& task)
{
    showRenumberDialog(task);
}

void ServerTaskListViewController::showRenumberDialog(const std::shared_ptr<MivoTask>& task)
{
    if (!task || isRenumbering())
        return;
    auto alert = ModalAlertView::create();
    auto field = alert->addTextField(std::string("请输入新的申请编号"));
    field->setKeyboardType(ui::KeyboardType::NumberPad);
    field->setAccessibilityLabel(kRenumberFieldLabel);
    field->setText(task->applyNO());
    std::weak_ptr<ServerTaskListViewController> weakSelf = sharedAs<ServerTaskListViewController>();
    std::weak_ptr<ui::TextField> weakField = field;
    alert->addButton("确定", [weakSelf, weakField, task] {
        auto self = weakSelf.lock();
        auto typed = weakField.lock();
        if (!self || !typed)
            return;
        typed->resignFirstResponder();
        self->renumberTask(task, typed->text());
    });
    alert->addButton("取消", [weakField] {
        if (auto typed = weakField.lock())
            typed->resignFirstResponder();
    });
    alert->showEdit(sharedAs<ui::ViewController>(), kRenumberTitle,
        "任务 " + task->applyNO() + " 的新申请编号", std::nullopt, 0);
}

void ServerTaskListViewController::renumberTask(
    const std::shared_ptr<MivoTask>& task, const std::string& typed)
{
    if (!task || isRenumbering())
        return;
    if (auto problem = NewTaskViewController::checkApplyNO(typed)) {
        showError(*problem);
        return;
    }
    const std::string applyNO = trimmed(typed);
    if (applyNO == task->applyNO())
        return;
    switch (TaskRecordUtil::applyNOState(applyNO)) {
    case TaskRecordUtil::ApplyNOState::Free:
        break;
    case TaskRecordUtil::ApplyNOState::Taken:
        DropdownBanner::title(
            NewTaskViewController::kNoticeTitle, NewTaskViewController::kDuplicateNumberNotice);
        return;
    case TaskRecordUtil::ApplyNOState::StoreFailed:
        showError(kStoreFailureMessage);
        return;
    }

    m_renumberTask = task;
    sendRenumber(task, applyNO);
}

void ServerTaskListViewController::sendRenumber(
    const std::shared_ptr<MivoTask>& task, const std::string& applyNO)
{
    std::weak_ptr<ServerTaskListViewController> weakSelf = sharedAs<ServerTaskListViewController>();
    // A list the server sent before the change would put the old number back when merged after
    // it: the request waits for the fetch or merge under way (and no new one starts meanwhile).
    if (isRequestRunning()) {
        foundation::RunLoop::main().performAfter(kRenumberRetryDelay, [weakSelf, task, applyNO] {
            if (auto self = weakSelf.lock())
                self->sendRenumber(task, applyNO);
        });
        return;
    }
    auto manager = HttpManager::create();
    manager->postRequestWithBaseUrl(RequestUrlUtil::urlFor(kRenumberPath),
        Value(Map {
            {"serverId", task->carID()}, {"applyNo", UserInfo::sharedInstance()->orderPrefix() + applyNO}}),
        kRenumberTag);
    // The store follows the server's yes even when the list has closed meanwhile: the server now
    // knows the task by the new number only.
    manager->setRequestFinishBlock([weakSelf, task, applyNO](const std::string&, const Value& reply) {
        std::optional<std::string> problem;
        if (!RequestUrlUtil::succeeded(reply))
            problem = RequestUrlUtil::message(reply, RequestUrlUtil::kNetworkFailureMessage);
        else if (!TaskRecordUtil::updateTask(task, Map {{"applyNO", applyNO}}))
            problem = kStoreFailureMessage;
        if (problem)
            foundation::logf("--------error------@%s", problem->c_str());
        if (auto self = weakSelf.lock())
            self->renumberEnded(problem);
    });
    manager->setRequestFailiedBlock([weakSelf](const std::string&, const HttpError& error) {
        foundation::logf("--------error------@%s", error.description.c_str());
        if (auto self = weakSelf.lock())
            self->renumberEnded(std::string(RequestUrlUtil::kNetworkFailureMessage));
    });
}

void ServerTaskListViewController::renumberEnded(const std::optional<std::string>& problem)
{
    m_renumberTask.reset();
    if (problem) {
        showError(*problem);
        return;
    }
    reloadList();
}
