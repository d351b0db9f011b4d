#pragma once

#include "screens/tasks/GridPlaceholderViewController.h"

// Stand-in for the grid of a task the server rejected; leads on to the upload screen in reject mode.
class RejectedCollectionViewController final : public GridPlaceholderViewController {
public:
    static constexpr const char* kRejectModel = "RejectModel";

    static std::shared_ptr<RejectedCollectionViewController> create()
    {
        return std::make_shared<RejectedCollectionViewController>();
    }
    const char* className() const override { return "RejectedCollectionViewController"; }

    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

protected:
    bool opensUploadScreen() const override { return true; }
};
