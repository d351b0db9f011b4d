#pragma once

#include "core/media/CommonUtil.h"
#include "screens/capture/ShotGridViewController.h"

// The grids of a task that lives on this device (new, pending, ready to upload): the records are
// the task's by application number, paired with the slots by position.
class LocalShotGridViewController : public ShotGridViewController {
public:
    // [0] the task's image records, [1] its video records, in store order.
    const CommonUtil::SectionLists& allResourcesData() const { return m_allResourcesData; }

    // Reloads the records; draws nothing itself.
    void loadCollectionViewData();

    void viewDidLoad() override;

    void imagePickerControllerDidFinishPickingMediaWithInfo(
        ui::ImagePickerController& picker, const ui::ImagePickerInfo& info) override;
    void imagePickerControllerDidCancel(ui::ImagePickerController& picker) override;

    // The record's full photo or video on this device, whatever the record's state.
    Shot shotAt(ui::IndexPath indexPath) const override;

protected:
    void fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath) override;
    virtual bool logsCancel() const { return true; }
    // The ready-to-upload rule of the core services, on this grid's records.
    void applyReadyRule();

private:
    CommonUtil::SectionLists m_allResourcesData {{}, {}};
};
