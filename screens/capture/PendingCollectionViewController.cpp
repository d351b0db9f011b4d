#include "screens/capture/PendingCollectionViewController.h"

#include "platform/ui/BarButtonItem.h"

void PendingCollectionViewController::viewDidLoad()
{
    LocalShotGridViewController::viewDidLoad();
    std::weak_ptr<PendingCollectionViewController> weakSelf = sharedAs<PendingCollectionViewController>();
    navigationItem().setLeftBarButtonItem(
        ui::BarButtonItem::create(kBackTitle, [weakSelf](ui::BarButtonItem&) {
            if (auto self = weakSelf.lock())
                self->backToHome();
        }));
}

void PendingCollectionViewController::backToHome()
{
    applyReadyRule();
    popOneScreen();
}
