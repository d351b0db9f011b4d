#pragma once

// A screen that the rejected-task media saver reloads once the new shot is stored (the grid of a
// rejected task).
class MediaSaveTarget {
public:
    virtual ~MediaSaveTarget() = default;
    virtual void loadCollectionViewData() = 0;
};
