#include "screens/tasks/EditTaskViewController.h"

#include "core/net/UserInfo.h"

std::shared_ptr<EditTaskViewController> EditTaskViewController::create()
{
    return std::make_shared<EditTaskViewController>();
}

void EditTaskViewController::viewDidLoad()
{
    setTitle("编辑任务");
    TaskFormViewController::viewDidLoad();
    if (m_task)
        showFields({m_task->applyNO(), m_task->baseLocation(), m_task->ensureCompany(), m_task->dealPrice(),
            m_task->productType(), m_task->photoType()});
}

bool EditTaskViewController::isNewNumber(const std::string& applyNO) const
{
    return !m_task || applyNO != m_task->applyNO();
}

bool EditTaskViewController::changesPlan(const NewTaskFields& fields) const
{
    return m_task && fields.photoType != m_task->photoType();
}

bool EditTaskViewController::mayStore(const NewTaskFields& fields)
{
    if (!m_task) {
        showError(kStoreFailureMessage);
        return false;
    }
    // Said before the number goes to the server: nothing of the edit is stored.
    if (!changesPlan(fields))
        return true;
    auto taken = TaskRecordUtil::hasTakenShot(*m_task);
    if (!taken)
        showError(kStoreFailureMessage);
    else if (*taken)
        showError(kPlanKeptMessage);
    return taken == false;
}

bool EditTaskViewController::store(const NewTaskFields& fields)
{
    using Result = TaskRecordUtil::ReplanResult;
    auto values = TaskRecordUtil::valuesOf(fields);
    Result result = Result::StoreFailed;
    if (changesPlan(fields))
        result = TaskRecordUtil::replanTask(m_task, values, UserInfo::sharedInstance()->companyName());
    else if (TaskRecordUtil::updateTask(m_task, values))
        result = Result::Stored;
    if (result == Result::ShotTaken)
        showError(kPlanKeptMessage);
    else if (result == Result::StoreFailed)
        showError(kStoreFailureMessage);
    return result == Result::Stored;
}
