#pragma once

#include "core/store/MivoUploadTask.h"
#include "screens/capture/ShotGridViewController.h"

#include <vector>

// The read-only grid of a finished task: the server's thumbnails, paired with the slots by
// position in the list the finished list hands in. No camera, no upload, no store access.
class FinishedCollectionViewController final : public ShotGridViewController {
public:
    static std::shared_ptr<FinishedCollectionViewController> create()
    {
        return std::make_shared<FinishedCollectionViewController>();
    }
    const char* className() const override { return "FinishedCollectionViewController"; }
    Grid grid() const override { return Grid::Finished; }

    // Image records by position, then video records.
    const std::vector<std::shared_ptr<MivoUploadTask>>& allMivoUploads() const { return m_allMivoUploads; }
    void setAllMivoUploads(std::vector<std::shared_ptr<MivoUploadTask>> records) override
    {
        m_allMivoUploads = std::move(records);
    }

    void viewDidLoad() override;

    // Server copies: photo n is record n of the list, the video the list's last video record; a
    // record without a server path asks for the bare media address.
    Shot shotAt(ui::IndexPath indexPath) const override;

protected:
    void fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath) override;
    bool opensCamera() const override { return false; }
    bool planIsServerCode() const override { return true; }

private:
    std::vector<std::shared_ptr<MivoUploadTask>> m_allMivoUploads;
};
