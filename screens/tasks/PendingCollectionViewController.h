#pragma once

#include "screens/tasks/GridPlaceholderViewController.h"

// Stand-in for the grid of a local task still being shot.
class PendingCollectionViewController final : public GridPlaceholderViewController {
public:
    static std::shared_ptr<PendingCollectionViewController> create()
    {
        return std::make_shared<PendingCollectionViewController>();
    }
    const char* className() const override { return "PendingCollectionViewController"; }
};
