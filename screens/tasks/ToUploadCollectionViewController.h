#pragma once

#include "screens/tasks/GridPlaceholderViewController.h"

// Stand-in for the grid of a task that is ready for upload; leads on to the upload screen.
class ToUploadCollectionViewController final : public GridPlaceholderViewController {
public:
    static std::shared_ptr<ToUploadCollectionViewController> create()
    {
        return std::make_shared<ToUploadCollectionViewController>();
    }
    const char* className() const override { return "ToUploadCollectionViewController"; }

    // Hands the task over to the upload screen; the server id comes from the stored task when it has one.
    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

protected:
    bool opensUploadScreen() const override { return true; }
};
