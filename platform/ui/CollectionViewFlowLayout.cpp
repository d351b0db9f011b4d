#include "platform/ui/CollectionViewFlowLayout.h"

#include "platform/ui/CollectionView.h"

#include <algorithm>
#include <cmath>

namespace ui {

using Attributes = CollectionViewLayoutAttributes;

void CollectionViewFlowLayout::prepareLayout(const CollectionView& collectionView)
{
    m_attributes.clear();
    m_firstItem.clear();
    double width = collectionView.bounds().width();
    double y = 0;
    int64_t sections = collectionView.numberOfSections();
    for (int64_t section = 0; section < sections; ++section) {
        if (m_headerReferenceSize.height > 0) {
            m_attributes.push_back(
                {Attributes::Category::SupplementaryView, kCollectionElementKindSectionHeader, {section, 0},
                    {0, y, width, m_headerReferenceSize.height}});
            y += m_headerReferenceSize.height;
        }
        y += m_sectionInset.top;
        m_firstItem.push_back(m_attributes.size());
        int64_t items = collectionView.numberOfItemsInSection(section);
        double available = std::max(0.0, width - m_sectionInset.left - m_sectionInset.right);
        int64_t perRow = std::max<int64_t>(1,
            int64_t(std::floor(
                (available + m_minimumInteritemSpacing) / (m_itemSize.width + m_minimumInteritemSpacing))));
        double spacing
            = perRow > 1 ? (available - double(perRow) * m_itemSize.width) / double(perRow - 1) : 0;
        for (int64_t item = 0; item < items; ++item) {
            int64_t column = item % perRow;
            if (item > 0 && column == 0)
                y += m_itemSize.height + m_minimumLineSpacing;
            double x = m_sectionInset.left + double(column) * (m_itemSize.width + spacing);
            bool alone = perRow == 1 || (item == 0 && items == 1);
            if (alone)
                x = m_sectionInset.left + (available - m_itemSize.width) / 2;
            m_attributes.push_back({Attributes::Category::Cell, nullptr, {section, item},
                {x, y, m_itemSize.width, m_itemSize.height}});
        }
        if (items > 0)
            y += m_itemSize.height;
        y += m_sectionInset.bottom;
        if (m_footerReferenceSize.height > 0) {
            m_attributes.push_back(
                {Attributes::Category::SupplementaryView, kCollectionElementKindSectionFooter, {section, 0},
                    {0, y, width, m_footerReferenceSize.height}});
            y += m_footerReferenceSize.height;
        }
    }
    m_contentSize = {width, y};
}

std::vector<Attributes> CollectionViewFlowLayout::layoutAttributesForElementsInRect(graphics::Rect rect) const
{
    // Tops never decrease, so the search starts at the first element that ends below rect's top
    // (a row's height bounds how far back an element that reaches into rect can start).
    std::vector<Attributes> found;
    double reach = std::max({m_itemSize.height, m_headerReferenceSize.height, m_footerReferenceSize.height});
    auto first = std::lower_bound(m_attributes.begin(), m_attributes.end(), rect.minY() - reach,
        [](const Attributes& a, double top) { return a.frame.minY() < top; });
    for (auto it = first; it != m_attributes.end() && it->frame.minY() < rect.maxY(); ++it) {
        if (it->frame.intersects(rect))
            found.push_back(*it);
    }
    return found;
}

const Attributes* CollectionViewFlowLayout::layoutAttributesForItemAtIndexPath(IndexPath indexPath) const
{
    if (indexPath.section < 0 || size_t(indexPath.section) >= m_firstItem.size() || indexPath.item < 0)
        return nullptr;
    size_t index = m_firstItem[size_t(indexPath.section)] + size_t(indexPath.item);
    if (index >= m_attributes.size())
        return nullptr;
    const auto& attributes = m_attributes[index];
    return attributes.category == Attributes::Category::Cell && attributes.indexPath == indexPath
        ? &attributes
        : nullptr;
}

} // namespace ui
