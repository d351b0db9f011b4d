#include "screens/capture/RejectedCollectionViewController.h"

#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/StoryboardSegue.h"
#include "screens/capture/PhotoListCollectionViewCell.h"
#include "screens/capture/UploadTaskViewController.h"
#include "screens/shell/ShellSegues.h"

void RejectedCollectionViewController::viewDidLoad()
{
    ShotGridViewController::viewDidLoad();
    std::weak_ptr<RejectedCollectionViewController> weakSelf = sharedAs<RejectedCollectionViewController>();
    navigationItem().setLeftBarButtonItem(
        ui::BarButtonItem::create(kBackTitle, [weakSelf](ui::BarButtonItem&) {
            if (auto self = weakSelf.lock())
                self->backToHome();
        }));
}

void RejectedCollectionViewController::viewWillAppear(bool animated)
{
    ShotGridViewController::viewWillAppear(animated);
    loadCollectionViewData();
}

std::string RejectedCollectionViewController::taskCarID() const
{
    return m_synMivoTask ? m_synMivoTask->carID() : m_uuidForTask;
}

void RejectedCollectionViewController::loadCollectionViewData()
{
    auto store = IMivoDataBaseManager::sharedManager();
    auto query = [&](const char* type) {
        auto records = store->listMivoUploadTasks(
            data::Predicate::withFormat("carID=%@ and resourceType=%@", taskCarID(), type));
        return records.value_or(std::vector<std::shared_ptr<MivoUploadTask>> {});
    };
    m_allResourcesData = {query("image"), query("video")};
    if (collectionView())
        collectionView()->reloadData();
}

void RejectedCollectionViewController::fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath)
{
    if (indexPath.section == 0) {
        auto record
            = ShotGridRules::rejectedPhotoRecord(m_allResourcesData[0], m_uuidForTask, indexPath.item);
        if (record && record->taskStatus() != "UPLOADED")
            foundation::log("-----------" + record->taskPosition());
        apply(ShotGridRules::rejectedPhoto(record.get()), cell, LocalDocumentManager::kPictureFolder);
        return;
    }
    apply({ShotGridRules::SlotLook::Thumbnail::Resource, "icon_video", std::nullopt, std::nullopt}, cell,
        LocalDocumentManager::kVideoFolder);
    const auto& videos = m_allResourcesData[1];
    apply(ShotGridRules::rejectedVideo(videos.empty() ? nullptr : videos.front().get()), cell,
        LocalDocumentManager::kVideoFolder);
}

std::shared_ptr<MivoUploadTask> RejectedCollectionViewController::recordForShot(
    ui::IndexPath indexPath, bool movie)
{
    std::shared_ptr<MivoUploadTask> record;
    if (movie)
        record = m_allResourcesData[1].empty() ? nullptr : m_allResourcesData[1].back();
    else
        record = ShotGridRules::rejectedPhotoRecord(m_allResourcesData[0], m_uuidForTask, indexPath.item);
    if (record) {
        record->setCarID(taskCarID());
        return record;
    }
    record = IMivoDataBaseManager::sharedManager()->getMivoUploadEntity(MivoUploadTask::kEntityName);
    if (!record)
        return nullptr;
    record->setCarID(taskCarID());
    record->setFileUrl("");
    record->setThumbnail("");
    record->setApplyNO(applyTaskNO());
    record->setTaskPosition(foundation::format("%lld", static_cast<long long>(indexPath.item + 1)));
    return record;
}

void RejectedCollectionViewController::imagePickerControllerDidFinishPickingMediaWithInfo(
    ui::ImagePickerController& picker, const ui::ImagePickerInfo& info)
{
    auto slot = selectIndexPath().value_or(ui::IndexPath {});
    foundation::log(foundation::format("----------%lld", static_cast<long long>(slot.item)));
    bool movie = info.mediaType == ui::ImagePickerInfo::kMediaTypeMovie;
    auto record = recordForShot(slot, movie);
    std::weak_ptr<MediaSaveTarget> target
        = std::shared_ptr<MediaSaveTarget>(sharedAs<RejectedCollectionViewController>());
    CommonUtil::imagePickerControllerForSyn(&picker, info, {slot.section, slot.item}, record, target);
    collectionView()->reloadData();
    picker.dismissViewController(true);
}

void RejectedCollectionViewController::imagePickerControllerDidCancel(ui::ImagePickerController& picker)
{
    foundation::log("Picker was cancelled");
    picker.dismissViewController(true);
}

void RejectedCollectionViewController::toUploadTask()
{
    performSegueWithIdentifier(ShellSegues::kToUploadMonitor, sharedAs<RejectedCollectionViewController>());
}

void RejectedCollectionViewController::prepareForSegue(
    ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    ShotGridViewController::prepareForSegue(segue, sender);
    auto upload = std::dynamic_pointer_cast<UploadTaskViewController>(segue.destinationViewController());
    if (!upload)
        return;
    upload->setApplyTaskNO(applyTaskNO());
    upload->setApplyTaskPhotoType(applyTaskPhotoType());
    upload->setUuidForTask(uuidForTask());
    upload->setUploadModel(kRejectModel);
}

ShotGridViewController::Shot RejectedCollectionViewController::shotAt(ui::IndexPath indexPath) const
{
    if (indexPath.section == 0) {
        auto record
            = ShotGridRules::rejectedPhotoRecord(m_allResourcesData[0], m_uuidForTask, indexPath.item);
        if (!record)
            return {};
        if (!record->fileUrl().empty()) {
            auto url = serverUrl(record->fileUrl());
            return url ? Shot {Shot::Kind::ServerPhoto, *url} : Shot {};
        }
        // Added here since: the bare media address would show only the placeholder.
        return localPhoto(record->resourceName());
    }
    // The record the video slot shows.
    const auto& videos = m_allResourcesData[1];
    if (videos.empty())
        return {};
    const auto& record = *videos.front();
    if (auto file = existingFile(LocalDocumentManager::kVideoFolder, record.resourceName()))
        return {Shot::Kind::Video, *file};
    // Neither here nor on the server: the player says it cannot play the file shot here.
    if (record.fileUrl().empty())
        return localVideo(record.resourceName());
    if (auto url = serverUrl(record.fileUrl()))
        return {Shot::Kind::Video, *url};
    return {};
}
