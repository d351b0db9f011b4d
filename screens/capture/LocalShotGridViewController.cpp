#include "screens/capture/LocalShotGridViewController.h"

#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Log.h"
#include "platform/ui/CollectionView.h"
#include "screens/capture/PhotoListCollectionViewCell.h"

void LocalShotGridViewController::viewDidLoad()
{
    ShotGridViewController::viewDidLoad();
    loadCollectionViewData();
}

void LocalShotGridViewController::loadCollectionViewData()
{
    auto store = IMivoDataBaseManager::sharedManager();
    auto query = [&](const char* type) {
        auto records = store->listMivoUploadTasks(
            data::Predicate::withFormat("applyNO=%@ and resourceType=%@", applyTaskNO(), type));
        return records.value_or(std::vector<std::shared_ptr<MivoUploadTask>> {});
    };
    m_allResourcesData = {query("image"), query("video")};
}

void LocalShotGridViewController::fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath)
{
    size_t section = indexPath.section == 0 ? 0 : 1;
    const auto& records = m_allResourcesData[section];
    // A slot past the task's records (a task stored with fewer) shows as not taken.
    const MivoUploadTask* record = indexPath.item >= 0 && size_t(indexPath.item) < records.size()
        ? records[size_t(indexPath.item)].get()
        : nullptr;
    if (section == 0)
        apply(ShotGridRules::localPhoto(grid(), record), cell, LocalDocumentManager::kPictureFolder);
    else
        apply(ShotGridRules::localVideo(grid(), record), cell, LocalDocumentManager::kVideoFolder);
}

void LocalShotGridViewController::imagePickerControllerDidFinishPickingMediaWithInfo(
    ui::ImagePickerController& picker, const ui::ImagePickerInfo& info)
{
    auto slot = selectIndexPath().value_or(ui::IndexPath {});
    std::weak_ptr<LocalShotGridViewController> weakSelf = sharedAs<LocalShotGridViewController>();
    // The saver finishes later; the slot shows its new state once the record is written.
    CommonUtil::imagePickerController(
        &picker, info, {slot.section, slot.item}, m_allResourcesData, [weakSelf] {
            if (auto self = weakSelf.lock()) {
                self->loadCollectionViewData();
                self->collectionView()->reloadData();
            }
        });
    loadCollectionViewData();
    collectionView()->reloadData();
    picker.dismissViewController(true);
}

void LocalShotGridViewController::imagePickerControllerDidCancel(ui::ImagePickerController& picker)
{
    if (logsCancel())
        foundation::log("Picker was cancelled");
    picker.dismissViewController(true);
}

void LocalShotGridViewController::applyReadyRule()
{
    CommonUtil::upDateTaskStatusAfterBack(applyTaskNO(), m_allResourcesData);
}

ShotGridViewController::Shot LocalShotGridViewController::shotAt(ui::IndexPath indexPath) const
{
    bool photo = indexPath.section == 0;
    const auto& records = m_allResourcesData[photo ? 0 : 1];
    if (indexPath.item < 0 || size_t(indexPath.item) >= records.size())
        return {};
    const std::string& name = records[size_t(indexPath.item)]->resourceName();
    return photo ? localPhoto(name) : localVideo(name);
}
