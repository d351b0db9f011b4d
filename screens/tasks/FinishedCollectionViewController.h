#pragma once

#include "screens/tasks/GridPlaceholderViewController.h"

// Stand-in for the read-only grid of a finished task.
class FinishedCollectionViewController final : public GridPlaceholderViewController {
public:
    static std::shared_ptr<FinishedCollectionViewController> create()
    {
        return std::make_shared<FinishedCollectionViewController>();
    }
    const char* className() const override { return "FinishedCollectionViewController"; }
};
