#include "platform/ui/TableView.h"

#include "platform/ui/Label.h"
#include "tests/platform/ui/UiTest.h"

#include <set>
#include <string>
#include <vector>

namespace {

using ui::IndexPath;

// A cell that says which row it was last filled for.
class RowCell final : public ui::TableViewCell {
public:
    RowCell()
        : ui::TableViewCell("row")
    { }
    std::string shown;
    int reused {0};
    void prepareForReuse() override { ++reused; }
};

// Sections of `rows[s]` rows each; cells come from the table's pool ("row") and are filled with
// "s.r". Titles and header heights as given.
class Source final : public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    std::vector<size_t> rows;
    std::vector<std::optional<std::string>> titles;
    std::optional<double> headerHeight;
    int cellsAsked {0};
    int cellsMade {0};

    size_t numberOfSectionsInTableView(ui::TableView&) override { return rows.size(); }
    size_t numberOfRowsInSection(ui::TableView&, size_t section) override { return rows[section]; }
    std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& table, IndexPath path) override
    {
        ++cellsAsked;
        auto cell = std::dynamic_pointer_cast<RowCell>(table.dequeueReusableCellWithIdentifier("row"));
        cell->shown = std::to_string(path.section) + "." + std::to_string(path.row());
        return cell;
    }
    std::optional<std::string> titleForHeaderInSection(ui::TableView&, size_t section) override
    {
        return section < titles.size() ? titles[section] : std::nullopt;
    }
    std::optional<double> heightForHeaderInSection(ui::TableView&, size_t) override { return headerHeight; }
};

class TableViewTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_window = keyWindow();
    }

    // A 320 x 400 table with 50-point rows in a window, laid out.
    std::shared_ptr<ui::TableView> makeTable(
        std::vector<size_t> rows, std::vector<std::optional<std::string>> titles = {})
    {
        m_source->rows = std::move(rows);
        m_source->titles = std::move(titles);
        auto table = ui::TableView::create({0, 0, 320, 400});
        table->setRowHeight(50);
        table->registerNib(
            [this] {
                ++m_source->cellsMade;
                return std::make_shared<RowCell>();
            },
            "row");
        table->setDataSource(m_source);
        table->setTableDelegate(m_source);
        m_window->addSubview(table);
        table->layoutIfNeeded();
        return table;
    }

    static std::set<std::string> shown(const ui::TableView& table)
    {
        std::set<std::string> texts;
        for (auto& cell : table.visibleCells())
            texts.insert(std::static_pointer_cast<RowCell>(cell)->shown);
        return texts;
    }

    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<Source> m_source = std::make_shared<Source>();
};

TEST_F(TableViewTest, SectionsStackUnderTheirHeadersWithTheHeightsAsked)
{
    struct Case {
        std::optional<double> headerHeight;
        std::vector<std::optional<std::string>> titles;
        double secondHeaderTop;
        double secondHeaderHeight;
        double contentHeight;
    };
    // Two sections of 2 and 3 rows.
    const Case cases[] = {
        {55.0, {"a", "b"}, 55 + 100, 55, 55 + 100 + 55 + 150},
        {std::nullopt, {"a", "b"}, 22 + 100, 22, 22 + 100 + 22 + 150}, // the default height
        {std::nullopt, {std::nullopt, std::nullopt}, 100, 0, 250}, // no title: no header
    };
    for (const auto& c : cases) {
        m_source->headerHeight = c.headerHeight;
        auto table = makeTable({2, 3}, c.titles);
        EXPECT_EQ(table->numberOfSections(), 2u);
        EXPECT_EQ(table->rectForHeaderInSection(1).minY(), c.secondHeaderTop);
        EXPECT_EQ(table->rectForHeaderInSection(1).height(), c.secondHeaderHeight);
        EXPECT_EQ(table->rectForRowAtIndexPath({1, 0}).minY(), c.secondHeaderTop + c.secondHeaderHeight);
        EXPECT_EQ(table->contentSize().height, c.contentHeight);
        auto header = table->headerViewForSection(0);
        EXPECT_EQ(header != nullptr, c.titles[0].has_value());
        if (header) {
            EXPECT_EQ(header->text(), "a");
        }
        table->removeFromSuperview();
    }
}

TEST_F(TableViewTest, OnlyVisibleRowsHaveCellsAndLeavingCellsAreReused)
{
    auto table = makeTable({100});
    // 400 points of 50-point rows: rows 0-7.
    EXPECT_EQ(table->visibleCells().size(), 8u);
    EXPECT_EQ(m_source->cellsMade, 8);
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 7}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 8}));

    table->setContentOffset({0, 1000});
    // Rows 20-27; the eight cells that left are handed out again, filled for their new rows.
    EXPECT_EQ(table->visibleCells().size(), 8u);
    EXPECT_EQ(m_source->cellsMade, 8);
    EXPECT_EQ(shown(*table),
        (std::set<std::string> {"0.20", "0.21", "0.22", "0.23", "0.24", "0.25", "0.26", "0.27"}));
    auto cell = std::static_pointer_cast<RowCell>(table->cellForRowAtIndexPath({0, 20}));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->reused, 1);
    EXPECT_EQ(cell->frame().minY(), 1000);
    EXPECT_EQ(table->indexPathForCell(*cell), (IndexPath {0, 20}));

    // Half a row in: both partly visible rows have cells.
    table->setContentOffset({0, 1025});
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 20}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 28}));
    EXPECT_EQ(table->visibleCells().size(), 9u);
}

TEST_F(TableViewTest, ReloadDataAsksAgainAndDropsRowsThatWent)
{
    auto table = makeTable({3, 2}, {"first", "second"});
    EXPECT_EQ(shown(*table), (std::set<std::string> {"0.0", "0.1", "0.2", "1.0", "1.1"}));
    int asked = m_source->cellsAsked;

    m_source->rows = {1};
    m_source->titles = {"only"};
    table->reloadData();
    EXPECT_EQ(m_source->cellsAsked, asked + 1);
    EXPECT_EQ(shown(*table), (std::set<std::string> {"0.0"}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({1, 0}));
    EXPECT_FALSE(table->headerViewForSection(1));
    EXPECT_EQ(table->headerViewForSection(0)->text(), "only");
    // The cells that went are pooled, not kept in the view tree.
    size_t cellsInTree = 0;
    for (auto& view : table->subviews())
        cellsInTree += std::dynamic_pointer_cast<ui::TableViewCell>(view) ? 1 : 0;
    EXPECT_EQ(cellsInTree, 1u);

    // Scrolled far down, then most rows go: the view comes back to what is left.
    m_source->rows = {100};
    table->reloadData();
    table->setContentOffset({0, 4000});
    m_source->rows = {3};
    table->reloadData();
    EXPECT_EQ(table->contentOffset().y, 0);
    EXPECT_EQ(shown(*table), (std::set<std::string> {"0.0", "0.1", "0.2"}));
}

TEST_F(TableViewTest, ATapOnARowTellsTheDelegateWhichRow)
{
    class Selecting final : public ui::TableViewDelegate {
    public:
        std::vector<IndexPath> selected;
        void didSelectRowAtIndexPath(ui::TableView&, IndexPath path) override { selected.push_back(path); }
    };
    auto table = makeTable({2, 2}, {"a", "b"});
    auto selecting = std::make_shared<Selecting>();
    table->setTableDelegate(selecting);
    table->layoutIfNeeded();
    // No header height from this delegate: 22-point headers, rows at 22, 72, then 144, 194.
    tapAt({100, 150});
    ASSERT_EQ(selecting->selected.size(), 1u);
    EXPECT_EQ(selecting->selected[0], (IndexPath {1, 0}));
}

} // namespace
