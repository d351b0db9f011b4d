#include "screens/capture/ToUploadCollectionViewController.h"

#include "core/store/IMivoDataBaseManager.h"
#include "platform/data/Predicate.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/StoryboardSegue.h"
#include "screens/capture/UploadTaskViewController.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/shell/ShellSegues.h"

void ToUploadCollectionViewController::viewDidLoad()
{
    LocalShotGridViewController::viewDidLoad();
    std::weak_ptr<ToUploadCollectionViewController> weakSelf = sharedAs<ToUploadCollectionViewController>();
    navigationItem().setLeftBarButtonItem(
        ui::BarButtonItem::create(kBackTitle, [weakSelf](ui::BarButtonItem&) {
            if (auto self = weakSelf.lock())
                self->backToHome();
        }));
}

void ToUploadCollectionViewController::viewWillAppear(bool animated)
{
    LocalShotGridViewController::viewWillAppear(animated);
    loadCollectionViewData();
    collectionView()->reloadData();
}

void ToUploadCollectionViewController::toUploadTask()
{
    performSegueWithIdentifier(ShellSegues::kToUploadMonitor, sharedAs<ToUploadCollectionViewController>());
}

void ToUploadCollectionViewController::prepareForSegue(
    ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    LocalShotGridViewController::prepareForSegue(segue, sender);
    auto upload = std::dynamic_pointer_cast<UploadTaskViewController>(segue.destinationViewController());
    if (!upload)
        return;
    auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(data::Predicate::withFormat(
        "applyNO=%@ and createUser=%@", applyTaskNO(), RequestUrlUtil::currentUserName()));
    upload->setApplyTaskNO(applyTaskNO());
    upload->setApplyTaskPhotoType(applyTaskPhotoType());
    upload->setUuidForTask(tasks && !tasks->empty() ? tasks->front()->carID() : uuidForTask());
}
