#include "screens/tasks/NewTaskViewController.h"

#include "core/net/UserInfo.h"
#include "platform/foundation/Date.h"
#include "platform/ui/NavigationController.h"
#include "screens/shell/RequestUrlUtil.h"

std::shared_ptr<NewTaskViewController> NewTaskViewController::create()
{
    return std::make_shared<NewTaskViewController>();
}

void NewTaskViewController::viewDidLoad()
{
    setTitle("新建任务");
    TaskFormViewController::viewDidLoad();
}

std::shared_ptr<ui::View> NewTaskViewController::chooserHostView()
{
    auto navigation = navigationController();
    return navigation ? navigation->view() : view();
}

bool NewTaskViewController::store(const NewTaskFields& fields)
{
    auto user = UserInfo::sharedInstance();
    if (TaskRecordUtil::storeNewTask(fields, user->companyName(), RequestUrlUtil::currentUserName(),
            user->userId(), foundation::Date::now()))
        return true;
    showError(kStoreFailureMessage);
    return false;
}
