#pragma once

#include "platform/ui/CollectionViewLayout.h"

#include <memory>
#include <vector>

namespace ui {

// A vertical grid: per section a header, the section inset, items in rows (as many per row as
// fit at the minimum spacing, the space left over spread between them), then a footer. A row
// that holds a single item centres it.
class CollectionViewFlowLayout final : public CollectionViewLayout {
public:
    static std::shared_ptr<CollectionViewFlowLayout> create()
    {
        return std::make_shared<CollectionViewFlowLayout>();
    }

    graphics::Size itemSize() const { return m_itemSize; }
    void setItemSize(graphics::Size size) { m_itemSize = size; }
    double minimumLineSpacing() const { return m_minimumLineSpacing; }
    void setMinimumLineSpacing(double spacing) { m_minimumLineSpacing = spacing; }
    double minimumInteritemSpacing() const { return m_minimumInteritemSpacing; }
    void setMinimumInteritemSpacing(double spacing) { m_minimumInteritemSpacing = spacing; }
    graphics::Size headerReferenceSize() const { return m_headerReferenceSize; }
    void setHeaderReferenceSize(graphics::Size size) { m_headerReferenceSize = size; }
    graphics::Size footerReferenceSize() const { return m_footerReferenceSize; }
    void setFooterReferenceSize(graphics::Size size) { m_footerReferenceSize = size; }
    graphics::EdgeInsets sectionInset() const { return m_sectionInset; }
    void setSectionInset(graphics::EdgeInsets inset) { m_sectionInset = inset; }

    void prepareLayout(const CollectionView& collectionView) override;
    graphics::Size collectionViewContentSize() const override { return m_contentSize; }
    std::vector<CollectionViewLayoutAttributes> layoutAttributesForElementsInRect(
        graphics::Rect rect) const override;
    const CollectionViewLayoutAttributes* layoutAttributesForItemAtIndexPath(
        IndexPath indexPath) const override;

private:
    graphics::Size m_itemSize {50, 50};
    double m_minimumLineSpacing {10};
    double m_minimumInteritemSpacing {10};
    graphics::Size m_headerReferenceSize;
    graphics::Size m_footerReferenceSize;
    graphics::EdgeInsets m_sectionInset;

    graphics::Size m_contentSize;
    // In layout order, so frames' tops never decrease.
    std::vector<CollectionViewLayoutAttributes> m_attributes;
    // Per section, the index in m_attributes of its first item.
    std::vector<size_t> m_firstItem;
};

} // namespace ui
