#include "screens/shell/MainBaseViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/BarButtonItem.h"

void MainBaseViewController::viewDidLoad()
{
    ParentViewController::viewDidLoad();
    std::weak_ptr<MainBaseViewController> weakSelf = sharedAs<MainBaseViewController>();
    navigationItem().setRightBarButtonItem(ui::BarButtonItem::create("首页", [weakSelf](ui::BarButtonItem&) {
        if (auto self = weakSelf.lock())
            self->returnHome();
    }));
}

void MainBaseViewController::returnHome()
{
    foundation::NotificationCenter::defaultCenter().post(kNavToHomeSlidingNotification);
}
