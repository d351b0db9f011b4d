#include "platform/ui/TableView.h"

#include "platform/ui/Label.h"
#include "platform/ui/TapGestureRecognizer.h"

#include <algorithm>

namespace ui {

using graphics::Point;
using graphics::Rect;

namespace {

constexpr graphics::Color kHeaderBackground = graphics::Color::rgba(0.97, 0.97, 0.97);
constexpr graphics::Color kHeaderText = graphics::Color::rgba(0.43, 0.43, 0.45);
constexpr double kHeaderInset = 15;

IndexPath at(size_t section, size_t row)
{
    return IndexPath::forRow(static_cast<int64_t>(row), static_cast<int64_t>(section));
}

bool intersectsVertically(double top, double height, double visibleTop, double visibleBottom)
{
    return height > 0 && top < visibleBottom && top + height > visibleTop;
}

} // namespace

std::shared_ptr<TableView> TableView::create(Rect frame)
{
    auto table = std::make_shared<TableView>(frame);
    auto tap = TapGestureRecognizer::create();
    std::weak_ptr<TableView> weakTable = table;
    tap->addTarget([weakTable](GestureRecognizer& recognizer) {
        if (auto self = weakTable.lock())
            self->handleTap(recognizer.locationInView(self.get()));
    });
    // Controls inside cells still get their taps.
    tap->setCancelsTouchesInView(false);
    table->addGestureRecognizer(tap);
    return table;
}

TableView::TableView(Rect frame)
    : ScrollView(frame)
{
    setAlwaysBounceVertical(true);
    setBackgroundColor(graphics::Color::white());
}

void TableView::setDataSource(std::weak_ptr<TableViewDataSource> dataSource)
{
    m_dataSource = std::move(dataSource);
    m_loaded = false;
    setNeedsLayout();
}

void TableView::setTableDelegate(std::weak_ptr<TableViewDelegate> delegate)
{
    m_tableDelegate = delegate;
    setDelegate(std::move(delegate));
    m_loaded = false;
    setNeedsLayout();
}

void TableView::setRowHeight(double height)
{
    m_rowHeight = height;
    m_loaded = false;
    setNeedsLayout();
}

void TableView::setSectionHeaderHeight(double height)
{
    m_sectionHeaderHeight = height;
    m_loaded = false;
    setNeedsLayout();
}

void TableView::registerNib(CellFactory factory, const std::string& identifier)
{
    m_factories[identifier] = std::move(factory);
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    auto pool = m_reusePool.find(identifier);
    if (pool != m_reusePool.end() && !pool->second.empty()) {
        auto cell = std::move(pool->second.back());
        pool->second.pop_back();
        cell->setSelected(false);
        cell->prepareForReuse();
        return cell;
    }
    auto factory = m_factories.find(identifier);
    return factory != m_factories.end() && factory->second ? factory->second() : nullptr;
}

void TableView::reloadData()
{
    for (auto& [indexPath, cell] : m_visibleCells)
        enqueue(cell);
    m_visibleCells.clear();
    for (auto& [section, header] : m_visibleHeaders)
        header.view->removeFromSuperview();
    m_visibleHeaders.clear();
    computeLayout();
    // Fewer rows than before must not leave the view scrolled past the end of its content.
    graphics::Point maximum = maximumContentOffset();
    graphics::Point minimum = minimumContentOffset();
    if (contentOffset().y > maximum.y)
        setContentOffset({contentOffset().x, std::max(minimum.y, maximum.y)});
    tileVisibleRows();
}

void TableView::computeLayout()
{
    m_loaded = true;
    m_layoutWidth = bounds().width();
    m_sections.clear();
    auto source = m_dataSource.lock();
    auto delegate = m_tableDelegate.lock();
    double y = 0;
    size_t sectionCount = source ? source->numberOfSectionsInTableView(*this) : 0;
    for (size_t s = 0; s < sectionCount; ++s) {
        Section section;
        section.title = source->titleForHeaderInSection(*this, s);
        std::optional<double> headerHeight
            = delegate ? delegate->heightForHeaderInSection(*this, s) : std::nullopt;
        // A plain table shows no header for a section without a title unless asked for a height.
        section.headerHeight
            = std::max(0.0, headerHeight.value_or(section.title ? m_sectionHeaderHeight : 0));
        section.headerTop = y;
        y += section.headerHeight;
        size_t rows = source->numberOfRowsInSection(*this, s);
        section.rowTops.reserve(rows);
        section.rowHeights.reserve(rows);
        for (size_t r = 0; r < rows; ++r) {
            std::optional<double> height
                = delegate ? delegate->heightForRowAtIndexPath(*this, at(s, r)) : std::nullopt;
            section.rowTops.push_back(y);
            section.rowHeights.push_back(std::max(0.0, height.value_or(m_rowHeight)));
            y += section.rowHeights.back();
        }
        m_sections.push_back(std::move(section));
    }
    setContentSize({bounds().width(), y});
}

void TableView::enqueue(const std::shared_ptr<TableViewCell>& cell)
{
    cell->removeFromSuperview();
    if (!cell->reuseIdentifier().empty())
        m_reusePool[cell->reuseIdentifier()].push_back(cell);
}

void TableView::tileVisibleRows()
{
    // Asking the data source for a cell may resize or scroll us: no nested tiling.
    if (m_tiling)
        return;
    m_tiling = true;
    double top = bounds().minY();
    double bottom = bounds().maxY();
    double width = bounds().width();

    for (auto it = m_visibleCells.begin(); it != m_visibleCells.end();) {
        Rect rect = rectForRowAtIndexPath(it->first);
        if (intersectsVertically(rect.minY(), rect.height(), top, bottom)) {
            ++it;
            continue;
        }
        enqueue(it->second);
        it = m_visibleCells.erase(it);
    }
    for (auto it = m_visibleHeaders.begin(); it != m_visibleHeaders.end();) {
        Rect rect = rectForHeaderInSection(it->first);
        if (intersectsVertically(rect.minY(), rect.height(), top, bottom)) {
            ++it;
            continue;
        }
        it->second.view->removeFromSuperview();
        it = m_visibleHeaders.erase(it);
    }

    auto source = m_dataSource.lock();
    for (size_t s = 0; source && s < m_sections.size(); ++s) {
        const Section& section = m_sections[s];
        if (section.title && intersectsVertically(section.headerTop, section.headerHeight, top, bottom)
            && !m_visibleHeaders.count(s)) {
            VisibleHeader header {View::create({0, section.headerTop, width, section.headerHeight}),
                Label::create({kHeaderInset, 0, width - 2 * kHeaderInset, section.headerHeight})};
            header.view->setBackgroundColor(kHeaderBackground);
            header.label->setTextColor(kHeaderText);
            header.label->setFont(graphics::Font::systemFont(14));
            header.label->setText(*section.title);
            header.view->addSubview(header.label);
            addSubview(header.view);
            m_visibleHeaders.emplace(s, std::move(header));
        }
        // Rows are sorted by position: find the first that reaches into view.
        auto first = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), top);
        size_t r
            = first == section.rowTops.begin() ? 0 : static_cast<size_t>(first - section.rowTops.begin()) - 1;
        for (; r < section.rowTops.size() && section.rowTops[r] < bottom; ++r) {
            IndexPath indexPath = at(s, r);
            if (m_visibleCells.count(indexPath)
                || !intersectsVertically(section.rowTops[r], section.rowHeights[r], top, bottom))
                continue;
            auto cell = source->cellForRowAtIndexPath(*this, indexPath);
            if (!cell)
                continue;
            cell->setFrame({0, section.rowTops[r], width, section.rowHeights[r]});
            insertSubview(cell, 0);
            m_visibleCells.emplace(indexPath, cell);
        }
    }
    // Headers float above the rows.
    for (auto& [section, header] : m_visibleHeaders)
        bringSubviewToFront(header.view);
    m_tiling = false;
}

size_t TableView::numberOfRowsInSection(size_t section) const
{
    return section < m_sections.size() ? m_sections[section].rowTops.size() : 0;
}

Rect TableView::rectForRowAtIndexPath(IndexPath indexPath) const
{
    auto s = static_cast<size_t>(indexPath.section);
    auto r = static_cast<size_t>(indexPath.row());
    if (indexPath.section < 0 || indexPath.row() < 0 || s >= m_sections.size()
        || r >= m_sections[s].rowTops.size())
        return {};
    const Section& section = m_sections[s];
    return {0, section.rowTops[r], bounds().width(), section.rowHeights[r]};
}

Rect TableView::rectForHeaderInSection(size_t section) const
{
    if (section >= m_sections.size())
        return {};
    return {0, m_sections[section].headerTop, bounds().width(), m_sections[section].headerHeight};
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(IndexPath indexPath) const
{
    auto it = m_visibleCells.find(indexPath);
    return it == m_visibleCells.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const
{
    std::vector<std::shared_ptr<TableViewCell>> cells;
    for (auto& [indexPath, cell] : m_visibleCells)
        cells.push_back(cell);
    return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const
{
    std::vector<IndexPath> paths;
    for (auto& [indexPath, cell] : m_visibleCells)
        paths.push_back(indexPath);
    return paths;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const
{
    for (auto& [indexPath, visible] : m_visibleCells) {
        if (visible.get() == &cell)
            return indexPath;
    }
    return std::nullopt;
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point point) const
{
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const Section& section = m_sections[s];
        for (size_t r = 0; r < section.rowTops.size(); ++r) {
            if (point.y >= section.rowTops[r] && point.y < section.rowTops[r] + section.rowHeights[r])
                return at(s, r);
        }
    }
    return std::nullopt;
}

std::shared_ptr<Label> TableView::headerViewForSection(size_t section) const
{
    auto it = m_visibleHeaders.find(section);
    return it == m_visibleHeaders.end() ? nullptr : it->second.label;
}

void TableView::setBounds(Rect newBounds)
{
    ScrollView::setBounds(newBounds);
    if (!m_loaded)
        return;
    if (newBounds.width() != m_layoutWidth)
        reloadData();
    else
        tileVisibleRows();
}

void TableView::layoutSubviews()
{
    ScrollView::layoutSubviews();
    // The first layout loads the table, as on the phone.
    if (!m_loaded || bounds().width() != m_layoutWidth)
        reloadData();
    else
        tileVisibleRows();
}

void TableView::handleTap(Point point)
{
    auto indexPath = indexPathForRowAtPoint(point);
    auto delegate = m_tableDelegate.lock();
    if (indexPath && delegate)
        delegate->didSelectRowAtIndexPath(*this, *indexPath);
}

} // namespace ui
