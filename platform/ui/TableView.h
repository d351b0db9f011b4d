#pragma once

#include "platform/ui/IndexPath.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewCell.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Label;
class TableView;

// Where a table's rows come from. The row count and the cells are required.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual size_t numberOfSectionsInTableView(TableView& tableView)
    {
        (void)tableView;
        return 1;
    }
    virtual size_t numberOfRowsInSection(TableView& tableView, size_t section) = 0;
    virtual std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath)
        = 0;
    // A section with a title gets a plain header that shows it.
    virtual std::optional<std::string> titleForHeaderInSection(TableView& tableView, size_t section)
    {
        (void)tableView, (void)section;
        return std::nullopt;
    }
};

// Heights and taps; every operation is optional (nullopt: the table's own value).
class TableViewDelegate : public ScrollViewDelegate {
public:
    virtual std::optional<double> heightForRowAtIndexPath(TableView& tableView, IndexPath indexPath)
    {
        (void)tableView, (void)indexPath;
        return std::nullopt;
    }
    virtual std::optional<double> heightForHeaderInSection(TableView& tableView, size_t section)
    {
        (void)tableView, (void)section;
        return std::nullopt;
    }
    virtual void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath)
    {
        (void)tableView, (void)indexPath;
    }
};

// A plain, vertically scrolling list of rows in sections, each section under an optional header.
// Row and header frames are computed once per reloadData (or width change); only the rows and headers
// that intersect the visible bounds exist as views. Cells leaving the screen go to a pool per reuse
// identifier, from which dequeueReusableCellWithIdentifier hands them out again; identifiers
// registered with a layout function ("nib") make a fresh cell when the pool is empty.
class TableView : public ScrollView {
public:
    static constexpr double kDefaultSectionHeaderHeight = 22;
    using CellFactory = std::function<std::shared_ptr<TableViewCell>()>;

    static std::shared_ptr<TableView> create(graphics::Rect frame = {});
    explicit TableView(graphics::Rect frame = {});

    const char* className() const override { return "TableView"; }

    std::weak_ptr<TableViewDataSource> dataSource() const { return m_dataSource; }
    void setDataSource(std::weak_ptr<TableViewDataSource> dataSource);
    std::weak_ptr<TableViewDelegate> tableDelegate() const { return m_tableDelegate; }
    // Also the scroll view's delegate.
    void setTableDelegate(std::weak_ptr<TableViewDelegate> delegate);

    double rowHeight() const { return m_rowHeight; }
    void setRowHeight(double height);
    double sectionHeaderHeight() const { return m_sectionHeaderHeight; }
    void setSectionHeaderHeight(double height);

    void registerNib(CellFactory factory, const std::string& identifier);
    // A pooled cell of that identifier (prepared for reuse), else a new one from the registered
    // layout function, else nullptr.
    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);

    // Asks the data source again for everything; visible cells are returned to their pools first.
    void reloadData();

    size_t numberOfSections() const { return m_sections.size(); }
    size_t numberOfRowsInSection(size_t section) const;
    graphics::Rect rectForRowAtIndexPath(IndexPath indexPath) const;
    graphics::Rect rectForHeaderInSection(size_t section) const;
    // The cell of a visible row, else nullptr.
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(IndexPath indexPath) const;
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleRows() const;
    std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;
    std::optional<IndexPath> indexPathForRowAtPoint(graphics::Point point) const;
    // The header view of a visible section that has a title, else nullptr.
    std::shared_ptr<Label> headerViewForSection(size_t section) const;

    void setBounds(graphics::Rect bounds) override;
    void layoutSubviews() override;

private:
    struct Section {
        double headerTop {0};
        double headerHeight {0};
        std::optional<std::string> title;
        std::vector<double> rowTops;
        std::vector<double> rowHeights;
    };

    struct VisibleHeader {
        std::shared_ptr<View> view;
        std::shared_ptr<Label> label;
    };

    void computeLayout();
    void tileVisibleRows();
    void enqueue(const std::shared_ptr<TableViewCell>& cell);
    void handleTap(graphics::Point point);

    std::weak_ptr<TableViewDataSource> m_dataSource;
    std::weak_ptr<TableViewDelegate> m_tableDelegate;
    double m_rowHeight {TableViewCell::kDefaultHeight};
    double m_sectionHeaderHeight {kDefaultSectionHeaderHeight};
    std::vector<Section> m_sections;
    double m_layoutWidth {-1};
    bool m_loaded {false};
    bool m_tiling {false};
    std::map<IndexPath, std::shared_ptr<TableViewCell>> m_visibleCells;
    std::map<size_t, VisibleHeader> m_visibleHeaders;
    std::map<std::string, CellFactory> m_factories;
    std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> m_reusePool;
};

} // namespace ui
