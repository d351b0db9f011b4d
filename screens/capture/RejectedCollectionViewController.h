#pragma once

#include "core/media/CommonUtil.h"
#include "core/media/MediaSaveTarget.h"
#include "core/store/MivoTask.h"
#include "screens/capture/ShotGridViewController.h"

// The grid of a task the server rejected: the server's thumbnails in the slots of its shot list,
// any slot shot again (a slot without a record gets a new one), and the way on to the upload
// screen in reject mode. Photo records are found by server task id and position.
class RejectedCollectionViewController final : public ShotGridViewController, public MediaSaveTarget {
public:
    static constexpr const char* kRejectModel = "RejectModel";

    static std::shared_ptr<RejectedCollectionViewController> create()
    {
        return std::make_shared<RejectedCollectionViewController>();
    }
    const char* className() const override { return "RejectedCollectionViewController"; }
    Grid grid() const override { return Grid::Rejected; }

    const std::string& uuidForTask() const { return m_uuidForTask; }
    void setUuidForTask(std::string value) override { m_uuidForTask = std::move(value); }
    const std::shared_ptr<MivoTask>& synMivoTask() const { return m_synMivoTask; }
    void setSynMivoTask(std::shared_ptr<MivoTask> task) override { m_synMivoTask = std::move(task); }
    // The records whose carID is the task's: [0] images, [1] videos, in store order.
    const CommonUtil::SectionLists& allResourcesData() const { return m_allResourcesData; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    // Reloads the records and redraws the grid; the media saver calls it after a save.
    void loadCollectionViewData() override;

    void imagePickerControllerDidFinishPickingMediaWithInfo(
        ui::ImagePickerController& picker, const ui::ImagePickerInfo& info) override;
    void imagePickerControllerDidCancel(ui::ImagePickerController& picker) override;

    void toUploadTask() override;
    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

    // The record a camera result for the slot goes to: the slot's own, or a new unsaved one.
    std::shared_ptr<MivoUploadTask> recordForShot(ui::IndexPath indexPath, bool movie);

    // A photo slot shows the server's photo (also after it was shot again) or, when the server
    // has none, the shot taken here; the video plays the copy shot here, else streams the
    // server's (without one, the copy named here goes to the player even when it is gone).
    Shot shotAt(ui::IndexPath indexPath) const override;

protected:
    void fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath) override;
    bool planIsServerCode() const override { return true; }
    bool hasUploadButton() const override { return true; }

private:
    std::string taskCarID() const;

    std::string m_uuidForTask;
    std::shared_ptr<MivoTask> m_synMivoTask;
    CommonUtil::SectionLists m_allResourcesData {{}, {}};
};
