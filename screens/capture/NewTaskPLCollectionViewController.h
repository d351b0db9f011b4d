#pragma once

#include "screens/capture/LocalShotGridViewController.h"

// The grid that opens right after a task is created or edited. Only its side-menu exit applies
// the ready-to-upload rule; it has no section footer.
class NewTaskPLCollectionViewController final : public LocalShotGridViewController {
public:
    static std::shared_ptr<NewTaskPLCollectionViewController> create()
    {
        return std::make_shared<NewTaskPLCollectionViewController>();
    }
    const char* className() const override { return "NewTaskPLCollectionViewController"; }
    Grid grid() const override { return Grid::NewTask; }

    // Pops to the root of the outer navigation stack, when the grid's stack sits in one.
    void backToHome() override;
    void backToHomeBySlider() override;

protected:
    bool hasFooter() const override { return false; }
};
