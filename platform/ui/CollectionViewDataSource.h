#pragma once

#include "platform/ui/CollectionViewLayout.h"
#include "platform/ui/IndexPath.h"
#include "platform/ui/ScrollView.h"

#include <cstdint>
#include <memory>

namespace ui {

class CollectionView;
class CollectionViewCell;
class CollectionReusableView;

// What a collection view shows. The counts and the cell are required; a data source that gives
// no supplementary view for a kind leaves the layout's place for it empty.
class CollectionViewDataSource {
public:
    virtual ~CollectionViewDataSource() = default;
    virtual int64_t numberOfSectionsInCollectionView(CollectionView& collectionView)
    {
        (void)collectionView;
        return 1;
    }
    virtual int64_t numberOfItemsInSection(CollectionView& collectionView, int64_t section) = 0;
    // A cell from dequeueReusableCellWithReuseIdentifier, filled for the item.
    virtual std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(
        CollectionView& collectionView, IndexPath indexPath)
        = 0;
    virtual std::shared_ptr<CollectionReusableView> viewForSupplementaryElementOfKind(
        CollectionView& collectionView, ElementKind kind, IndexPath indexPath)
    {
        (void)collectionView, (void)kind, (void)indexPath;
        return nullptr;
    }
};

// Told about selection (and, as a scroll view delegate, about scrolling); every operation is
// optional.
class CollectionViewDelegate : public ScrollViewDelegate {
public:
    virtual bool shouldSelectItemAtIndexPath(CollectionView& collectionView, IndexPath indexPath)
    {
        (void)collectionView, (void)indexPath;
        return true;
    }
    virtual void didSelectItemAtIndexPath(CollectionView& collectionView, IndexPath indexPath)
    {
        (void)collectionView, (void)indexPath;
    }
    virtual void didDeselectItemAtIndexPath(CollectionView& collectionView, IndexPath indexPath)
    {
        (void)collectionView, (void)indexPath;
    }
};

} // namespace ui
