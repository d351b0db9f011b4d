#include "screens/capture/FinishedCollectionViewController.h"

#include "core/util/LocalDocumentManager.h"
#include "platform/ui/BarButtonItem.h"

void FinishedCollectionViewController::viewDidLoad()
{
    ShotGridViewController::viewDidLoad();
    std::weak_ptr<FinishedCollectionViewController> weakSelf = sharedAs<FinishedCollectionViewController>();
    navigationItem().setLeftBarButtonItem(
        ui::BarButtonItem::create(kBackTitle, [weakSelf](ui::BarButtonItem&) {
            if (auto self = weakSelf.lock())
                self->backToHome();
        }));
}

void FinishedCollectionViewController::fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath)
{
    if (indexPath.section == 0)
        apply(ShotGridRules::finishedPhoto(m_allMivoUploads, indexPath.item), cell,
            LocalDocumentManager::kPictureFolder);
    else
        apply(ShotGridRules::finishedVideo(), cell, LocalDocumentManager::kVideoFolder);
}
