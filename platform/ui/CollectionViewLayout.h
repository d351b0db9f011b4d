#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/IndexPath.h"

#include <memory>
#include <vector>

namespace ui {

class CollectionView;

// The kinds of a flow layout's supplementary views. A kind is compared by identity (its address),
// never by its text.
using ElementKind = const char*;
inline constexpr char kCollectionElementKindSectionHeader[] = "CollectionElementKindSectionHeader";
inline constexpr char kCollectionElementKindSectionFooter[] = "CollectionElementKindSectionFooter";

// Where one element of a collection view goes, in content coordinates.
struct CollectionViewLayoutAttributes {
    enum class Category { Cell, SupplementaryView };
    Category category {Category::Cell};
    ElementKind kind {nullptr}; // supplementary views only
    IndexPath indexPath;
    graphics::Rect frame;
};

// Computes the frames of a collection view's elements. prepareLayout() runs once per reload or
// size change; the queries after it read what it computed.
class CollectionViewLayout {
public:
    virtual ~CollectionViewLayout() = default;

    virtual void prepareLayout(const CollectionView& collectionView) = 0;
    virtual graphics::Size collectionViewContentSize() const = 0;
    // Every element whose frame meets `rect`.
    virtual std::vector<CollectionViewLayoutAttributes> layoutAttributesForElementsInRect(
        graphics::Rect rect) const = 0;
    virtual const CollectionViewLayoutAttributes* layoutAttributesForItemAtIndexPath(
        IndexPath indexPath) const = 0;
};

} // namespace ui
