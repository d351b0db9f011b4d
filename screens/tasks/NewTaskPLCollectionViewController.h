#pragma once

#include "screens/tasks/GridPlaceholderViewController.h"

// Stand-in for the grid opened right after a task is created or edited.
class NewTaskPLCollectionViewController final : public GridPlaceholderViewController {
public:
    static std::shared_ptr<NewTaskPLCollectionViewController> create()
    {
        return std::make_shared<NewTaskPLCollectionViewController>();
    }
    const char* className() const override { return "NewTaskPLCollectionViewController"; }
};
