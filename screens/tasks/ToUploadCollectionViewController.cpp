#include "screens/tasks/ToUploadCollectionViewController.h"

#include "core/store/IMivoDataBaseManager.h"
#include "platform/data/Predicate.h"
#include "platform/ui/StoryboardSegue.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/capture/UploadTaskViewController.h"

void ToUploadCollectionViewController::prepareForSegue(
    ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    GridPlaceholderViewController::prepareForSegue(segue, sender);
    auto upload = std::dynamic_pointer_cast<UploadTaskViewController>(segue.destinationViewController());
    if (!upload)
        return;
    auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(data::Predicate::withFormat(
        "applyNO=%@ and createUser=%@", applyTaskNO(), RequestUrlUtil::currentUserName()));
    upload->setApplyTaskNO(applyTaskNO());
    upload->setApplyTaskPhotoType(applyTaskPhotoType());
    upload->setUuidForTask(tasks && !tasks->empty() ? tasks->front()->carID() : uuidForTask());
}
