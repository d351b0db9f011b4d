#include "screens/tasks/RejectedCollectionViewController.h"

#include "platform/ui/StoryboardSegue.h"
#include "screens/capture/UploadTaskViewController.h"

void RejectedCollectionViewController::prepareForSegue(
    ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    GridPlaceholderViewController::prepareForSegue(segue, sender);
    auto upload = std::dynamic_pointer_cast<UploadTaskViewController>(segue.destinationViewController());
    if (!upload)
        return;
    upload->setApplyTaskNO(applyTaskNO());
    upload->setApplyTaskPhotoType(applyTaskPhotoType());
    upload->setUuidForTask(uuidForTask());
    upload->setUploadModel(kRejectModel);
}
