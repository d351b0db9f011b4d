#pragma once

#include "platform/ui/CollectionViewDataSource.h"
#include "platform/ui/CollectionViewLayout.h"
#include "platform/ui/IndexPath.h"
#include "platform/ui/ScrollView.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace ui {

class CollectionReusableView;
class CollectionViewCell;
class TapGestureRecognizer;

// A scroll view of cells and supplementary views placed by a layout object. Only the elements
// inside the bounds exist as views: the others went back to a pool per reuse identifier, from
// which dequeue...() hands them out again (after prepareForReuse) to the data source's fill.
// A tap selects the item under it and tells the delegate.
class CollectionView : public ScrollView {
public:
    using CellFactory = std::function<std::shared_ptr<CollectionViewCell>(graphics::Rect frame)>;
    using SupplementaryFactory = std::function<std::shared_ptr<CollectionReusableView>(graphics::Rect frame)>;

    static std::shared_ptr<CollectionView> create(
        graphics::Rect frame, std::shared_ptr<CollectionViewLayout> layout);
    CollectionView(graphics::Rect frame, std::shared_ptr<CollectionViewLayout> layout);
    ~CollectionView() override;

    const char* className() const override { return "CollectionView"; }

    const std::shared_ptr<CollectionViewLayout>& collectionViewLayout() const { return m_layout; }
    std::weak_ptr<CollectionViewDataSource> dataSource() const { return m_dataSource; }
    void setDataSource(std::weak_ptr<CollectionViewDataSource> dataSource);
    std::weak_ptr<CollectionViewDelegate> collectionDelegate() const { return m_delegate; }
    // Also the scroll view's delegate.
    void setDelegate(std::weak_ptr<CollectionViewDelegate> delegate);

    // The class to make when a pool is empty, as the platform's registerClass:.
    void registerClassForCellWithReuseIdentifier(CellFactory factory, const std::string& identifier);
    void registerClassForSupplementaryViewOfKind(
        SupplementaryFactory factory, ElementKind kind, const std::string& identifier);
    // A view from the pool, or a new one; an unregistered identifier is the caller's fault and
    // raises NSInternalInconsistencyException.
    std::shared_ptr<CollectionViewCell> dequeueReusableCellWithReuseIdentifier(
        const std::string& identifier, IndexPath indexPath);
    std::shared_ptr<CollectionReusableView> dequeueReusableSupplementaryViewOfKind(
        ElementKind kind, const std::string& identifier, IndexPath indexPath);

    // Asks the data source again for everything, at the next layout pass.
    void reloadData();
    int64_t numberOfSections() const;
    int64_t numberOfItemsInSection(int64_t section) const;

    // The item whose frame holds the point (content coordinates); nullopt between items.
    std::optional<IndexPath> indexPathForItemAtPoint(graphics::Point point) const;
    std::optional<IndexPath> indexPathForCell(const CollectionViewCell& cell) const;
    // The cell on screen for the item; nullptr when it is not visible.
    std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(IndexPath indexPath) const;
    std::vector<std::shared_ptr<CollectionViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleItems() const;
    std::shared_ptr<CollectionReusableView> supplementaryViewForElementKind(
        ElementKind kind, IndexPath indexPath) const;
    const CollectionViewLayoutAttributes* layoutAttributesForItemAtIndexPath(IndexPath indexPath) const;

    bool allowsSelection() const { return m_allowsSelection; }
    void setAllowsSelection(bool allows) { m_allowsSelection = allows; }
    std::vector<IndexPath> indexPathsForSelectedItems() const;
    // By code: the delegate is not told, as on the phone.
    void selectItemAtIndexPath(IndexPath indexPath);
    void deselectItemAtIndexPath(IndexPath indexPath);

    // How many views have been made for each identifier (tests watch reuse with it).
    size_t viewsMadeForReuseIdentifier(const std::string& identifier) const;

    void setBounds(graphics::Rect bounds) override;
    void layoutSubviews() override;

private:
    // An element on screen: cells by index path, supplementary views by kind and index path.
    using ElementKey = std::tuple<int, ElementKind, IndexPath>;
    static ElementKey keyOf(const CollectionViewLayoutAttributes&);

    void attachTapGestureRecognizer();
    void prepareLayoutIfNeeded();
    void tile();
    void enqueue(const std::shared_ptr<CollectionReusableView>& view, ElementKind kind);
    void enqueueAll();
    void handleTap(TapGestureRecognizer& tap);
    std::shared_ptr<CollectionReusableView> takeFromPool(ElementKind kind, const std::string& identifier);

    std::shared_ptr<CollectionViewLayout> m_layout;
    std::weak_ptr<CollectionViewDataSource> m_dataSource;
    std::weak_ptr<CollectionViewDelegate> m_delegate;
    std::shared_ptr<TapGestureRecognizer> m_tap;
    // Factories and pools by (kind, identifier); cells have a null kind.
    std::map<std::pair<ElementKind, std::string>, CellFactory> m_cellFactories;
    std::map<std::pair<ElementKind, std::string>, SupplementaryFactory> m_supplementaryFactories;
    std::map<std::pair<ElementKind, std::string>, std::vector<std::shared_ptr<CollectionReusableView>>>
        m_pools;
    std::map<std::string, size_t> m_made;
    std::map<ElementKey, std::shared_ptr<CollectionReusableView>> m_visible;
    std::vector<int64_t> m_itemCounts;
    std::set<IndexPath> m_selected;
    double m_preparedWidth {-1};
    bool m_needsReload {true};
    bool m_allowsSelection {true};
    bool m_tiling {false};
};

} // namespace ui
