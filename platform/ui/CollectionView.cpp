#include "platform/ui/CollectionView.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/ui/CollectionReusableView.h"
#include "platform/ui/CollectionViewCell.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace ui {

using Attributes = CollectionViewLayoutAttributes;

std::shared_ptr<CollectionView> CollectionView::create(
    graphics::Rect frame, std::shared_ptr<CollectionViewLayout> layout)
{
    auto view = std::make_shared<CollectionView>(frame, std::move(layout));
    view->attachTapGestureRecognizer();
    return view;
}

CollectionView::CollectionView(graphics::Rect frame, std::shared_ptr<CollectionViewLayout> layout)
    : ScrollView(frame)
    , m_layout(std::move(layout))
{
    setAlwaysBounceVertical(true);
}

CollectionView::~CollectionView() = default;

void CollectionView::setDataSource(std::weak_ptr<CollectionViewDataSource> dataSource)
{
    m_dataSource = std::move(dataSource);
    reloadData();
}

void CollectionView::setDelegate(std::weak_ptr<CollectionViewDelegate> delegate)
{
    m_delegate = delegate;
    ScrollView::setDelegate(std::weak_ptr<ScrollViewDelegate>(delegate.lock()));
}

void CollectionView::attachTapGestureRecognizer()
{
    std::weak_ptr<CollectionView> weakSelf = std::static_pointer_cast<CollectionView>(shared_from_this());
    m_tap = TapGestureRecognizer::create([weakSelf](GestureRecognizer& recognizer) {
        if (auto self = weakSelf.lock())
            self->handleTap(static_cast<TapGestureRecognizer&>(recognizer));
    });
    m_tap->setCancelsTouchesInView(false);
    addGestureRecognizer(m_tap);
}

void CollectionView::registerClassForCellWithReuseIdentifier(
    CellFactory factory, const std::string& identifier)
{
    m_cellFactories[{nullptr, identifier}] = std::move(factory);
}

void CollectionView::registerClassForSupplementaryViewOfKind(
    SupplementaryFactory factory, ElementKind kind, const std::string& identifier)
{
    m_supplementaryFactories[{kind, identifier}] = std::move(factory);
}

std::shared_ptr<CollectionReusableView> CollectionView::takeFromPool(
    ElementKind kind, const std::string& identifier)
{
    auto pool = m_pools.find({kind, identifier});
    if (pool == m_pools.end() || pool->second.empty())
        return nullptr;
    auto view = std::move(pool->second.back());
    pool->second.pop_back();
    view->prepareForReuse();
    return view;
}

std::shared_ptr<CollectionViewCell> CollectionView::dequeueReusableCellWithReuseIdentifier(
    const std::string& identifier, IndexPath indexPath)
{
    if (auto view = takeFromPool(nullptr, identifier))
        return std::static_pointer_cast<CollectionViewCell>(view);
    auto factory = m_cellFactories.find({nullptr, identifier});
    if (factory == m_cellFactories.end())
        throw foundation::Exception("NSInternalInconsistencyException",
            "could not dequeue a view of kind: UICollectionElementKindCell with identifier " + identifier
                + " - must register a nib or a class for the identifier");
    const auto* attributes = m_layout->layoutAttributesForItemAtIndexPath(indexPath);
    auto cell = factory->second(attributes ? attributes->frame : graphics::Rect {});
    cell->setUpIfNeeded();
    cell->m_reuseIdentifier = identifier;
    ++m_made[identifier];
    return cell;
}

std::shared_ptr<CollectionReusableView> CollectionView::dequeueReusableSupplementaryViewOfKind(
    ElementKind kind, const std::string& identifier, IndexPath indexPath)
{
    (void)indexPath;
    if (auto view = takeFromPool(kind, identifier))
        return view;
    auto factory = m_supplementaryFactories.find({kind, identifier});
    if (factory == m_supplementaryFactories.end())
        throw foundation::Exception("NSInternalInconsistencyException",
            std::string("could not dequeue a view of kind: ") + (kind ? kind : "(null)") + " with identifier "
                + identifier + " - must register a nib or a class for the identifier");
    auto view = factory->second(graphics::Rect {0, 0, bounds().width(), 0});
    view->setUpIfNeeded();
    view->m_reuseIdentifier = identifier;
    ++m_made[identifier];
    return view;
}

size_t CollectionView::viewsMadeForReuseIdentifier(const std::string& identifier) const
{
    auto found = m_made.find(identifier);
    return found == m_made.end() ? 0 : found->second;
}

void CollectionView::reloadData()
{
    m_needsReload = true;
    setNeedsLayout();
}

int64_t CollectionView::numberOfSections() const
{
    return int64_t(m_itemCounts.size());
}

int64_t CollectionView::numberOfItemsInSection(int64_t section) const
{
    return section >= 0 && size_t(section) < m_itemCounts.size() ? m_itemCounts[size_t(section)] : 0;
}

void CollectionView::prepareLayoutIfNeeded()
{
    if (!m_needsReload && bounds().width() == m_preparedWidth)
        return;
    if (m_needsReload) {
        m_itemCounts.clear();
        m_selected.clear();
        if (auto source = m_dataSource.lock()) {
            int64_t sections = std::max<int64_t>(0, source->numberOfSectionsInCollectionView(*this));
            for (int64_t section = 0; section < sections; ++section)
                m_itemCounts.push_back(std::max<int64_t>(0, source->numberOfItemsInSection(*this, section)));
        }
    }
    // Everything on screen may now sit elsewhere or show something else: back to the pools.
    enqueueAll();
    m_needsReload = false;
    m_preparedWidth = bounds().width();
    if (m_layout)
        m_layout->prepareLayout(*this);
    setContentSize(m_layout ? m_layout->collectionViewContentSize() : graphics::Size {});
}

CollectionView::ElementKey CollectionView::keyOf(const Attributes& attributes)
{
    return {int(attributes.category), attributes.kind, attributes.indexPath};
}

void CollectionView::enqueue(const std::shared_ptr<CollectionReusableView>& view, ElementKind kind)
{
    view->removeFromSuperview();
    m_pools[{kind, view->reuseIdentifier()}].push_back(view);
}

void CollectionView::enqueueAll()
{
    for (const auto& [key, view] : m_visible)
        enqueue(view, std::get<1>(key));
    m_visible.clear();
}

void CollectionView::setBounds(graphics::Rect newBounds)
{
    graphics::Point oldOrigin = bounds().origin;
    ScrollView::setBounds(newBounds);
    // Scrolling moves the bounds' origin: the visible elements change without a size change.
    if (bounds().origin != oldOrigin)
        setNeedsLayout();
}

void CollectionView::layoutSubviews()
{
    ScrollView::layoutSubviews();
    tile();
}

// Brings the views on screen in line with the layout: elements that left the bounds go back to
// their pools, elements that came in are asked of the data source.
void CollectionView::tile()
{
    if (m_tiling || !m_layout)
        return;
    m_tiling = true;
    prepareLayoutIfNeeded();
    auto source = m_dataSource.lock();
    auto wanted = m_layout->layoutAttributesForElementsInRect(bounds());
    std::map<ElementKey, const Attributes*> wantedKeys;
    for (const auto& attributes : wanted)
        wantedKeys.emplace(keyOf(attributes), &attributes);
    for (auto it = m_visible.begin(); it != m_visible.end();) {
        if (wantedKeys.count(it->first)) {
            ++it;
            continue;
        }
        enqueue(it->second, std::get<1>(it->first));
        it = m_visible.erase(it);
    }
    if (source) {
        for (const auto& attributes : wanted) {
            auto key = keyOf(attributes);
            if (m_visible.count(key))
                continue;
            std::shared_ptr<CollectionReusableView> view;
            if (attributes.category == Attributes::Category::Cell) {
                auto cell = source->cellForItemAtIndexPath(*this, attributes.indexPath);
                if (cell)
                    cell->setSelected(m_selected.count(attributes.indexPath) > 0);
                view = cell;
            } else {
                view
                    = source->viewForSupplementaryElementOfKind(*this, attributes.kind, attributes.indexPath);
            }
            if (!view)
                continue;
            view->setFrame(attributes.frame);
            // Cells over supplementary views, in layout order.
            addSubview(view);
            m_visible.emplace(key, std::move(view));
        }
    }
    m_tiling = false;
}

std::optional<IndexPath> CollectionView::indexPathForItemAtPoint(graphics::Point point) const
{
    if (!m_layout)
        return std::nullopt;
    for (const auto& attributes : m_layout->layoutAttributesForElementsInRect({point.x, point.y, 1, 1})) {
        if (attributes.category == Attributes::Category::Cell && attributes.frame.contains(point))
            return attributes.indexPath;
    }
    return std::nullopt;
}

std::optional<IndexPath> CollectionView::indexPathForCell(const CollectionViewCell& cell) const
{
    for (const auto& [key, view] : m_visible) {
        if (view.get() == &cell)
            return std::get<2>(key);
    }
    return std::nullopt;
}

std::shared_ptr<CollectionViewCell> CollectionView::cellForItemAtIndexPath(IndexPath indexPath) const
{
    auto found = m_visible.find({int(Attributes::Category::Cell), nullptr, indexPath});
    return found == m_visible.end() ? nullptr : std::static_pointer_cast<CollectionViewCell>(found->second);
}

std::vector<std::shared_ptr<CollectionViewCell>> CollectionView::visibleCells() const
{
    std::vector<std::shared_ptr<CollectionViewCell>> cells;
    for (const auto& [key, view] : m_visible) {
        if (std::get<0>(key) == int(Attributes::Category::Cell))
            cells.push_back(std::static_pointer_cast<CollectionViewCell>(view));
    }
    return cells;
}

std::vector<IndexPath> CollectionView::indexPathsForVisibleItems() const
{
    std::vector<IndexPath> paths;
    for (const auto& [key, view] : m_visible) {
        if (std::get<0>(key) == int(Attributes::Category::Cell))
            paths.push_back(std::get<2>(key));
    }
    return paths;
}

std::shared_ptr<CollectionReusableView> CollectionView::supplementaryViewForElementKind(
    ElementKind kind, IndexPath indexPath) const
{
    auto found = m_visible.find({int(Attributes::Category::SupplementaryView), kind, indexPath});
    return found == m_visible.end() ? nullptr : found->second;
}

const CollectionViewLayoutAttributes* CollectionView::layoutAttributesForItemAtIndexPath(
    IndexPath indexPath) const
{
    return m_layout ? m_layout->layoutAttributesForItemAtIndexPath(indexPath) : nullptr;
}

std::vector<IndexPath> CollectionView::indexPathsForSelectedItems() const
{
    return {m_selected.begin(), m_selected.end()};
}

void CollectionView::selectItemAtIndexPath(IndexPath indexPath)
{
    for (auto old : indexPathsForSelectedItems())
        deselectItemAtIndexPath(old);
    m_selected.insert(indexPath);
    if (auto cell = cellForItemAtIndexPath(indexPath))
        cell->setSelected(true);
}

void CollectionView::deselectItemAtIndexPath(IndexPath indexPath)
{
    m_selected.erase(indexPath);
    if (auto cell = cellForItemAtIndexPath(indexPath))
        cell->setSelected(false);
}

void CollectionView::handleTap(TapGestureRecognizer& tap)
{
    if (tap.state() != GestureState::Recognized || !m_allowsSelection)
        return;
    auto indexPath = indexPathForItemAtPoint(tap.locationInView(this));
    if (!indexPath)
        return;
    auto protector = shared_from_this();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->shouldSelectItemAtIndexPath(*this, *indexPath))
        return;
    for (auto old : indexPathsForSelectedItems()) {
        if (old == *indexPath)
            continue;
        deselectItemAtIndexPath(old);
        if (delegate)
            delegate->didDeselectItemAtIndexPath(*this, old);
    }
    selectItemAtIndexPath(*indexPath);
    if (delegate)
        delegate->didSelectItemAtIndexPath(*this, *indexPath);
}

} // namespace ui
