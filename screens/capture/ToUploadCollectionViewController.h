#pragma once

#include "screens/capture/LocalShotGridViewController.h"

// The grid of a task that is ready for upload: it also shows uploaded shots (in yellow), reloads
// each time it appears and leads on to the upload screen.
class ToUploadCollectionViewController final : public LocalShotGridViewController {
public:
    static std::shared_ptr<ToUploadCollectionViewController> create()
    {
        return std::make_shared<ToUploadCollectionViewController>();
    }
    const char* className() const override { return "ToUploadCollectionViewController"; }
    Grid grid() const override { return Grid::ToUpload; }

    // The server task id as the ready-to-upload list knew it; empty for a task never registered.
    const std::string& uuidForTask() const { return m_uuidForTask; }
    void setUuidForTask(std::string value) override { m_uuidForTask = std::move(value); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void toUploadTask() override;
    // Hands the task over to the upload screen; the server id comes from the stored task when it has one.
    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

protected:
    bool hasUploadButton() const override { return true; }

private:
    std::string m_uuidForTask;
};
