#pragma once

#include "screens/capture/LocalShotGridViewController.h"

// The grid of a local task still being shot. Its back button applies the ready-to-upload rule.
class PendingCollectionViewController final : public LocalShotGridViewController {
public:
    static std::shared_ptr<PendingCollectionViewController> create()
    {
        return std::make_shared<PendingCollectionViewController>();
    }
    const char* className() const override { return "PendingCollectionViewController"; }
    Grid grid() const override { return Grid::Pending; }

    void viewDidLoad() override;
    void backToHome() override;

protected:
    bool logsCancel() const override { return false; }
};
