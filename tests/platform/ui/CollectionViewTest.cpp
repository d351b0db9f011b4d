#include "platform/ui/CollectionView.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/CollectionReusableView.h"
#include "platform/ui/CollectionViewCell.h"
#include "platform/ui/CollectionViewFlowLayout.h"
#include "platform/ui/Label.h"
#include "tests/platform/ui/UiTest.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using graphics::Point;
using graphics::Rect;
using ui::IndexPath;

// A cell that remembers which item it was last filled for and whether it was reused.
class TestCell final : public ui::CollectionViewCell {
public:
    explicit TestCell(Rect frame)
        : ui::CollectionViewCell(frame)
    { }
    std::string shows;
    int reuses = 0;
    void prepareForReuse() override
    {
        ui::CollectionViewCell::prepareForReuse();
        shows.clear();
        ++reuses;
    }
};

// Sections of `counts` items; answers the header kind always and the footer only when asked to.
class Source final : public ui::CollectionViewDataSource, public ui::CollectionViewDelegate {
public:
    std::vector<int64_t> counts {18, 1};
    bool footers = true;
    std::vector<const char*> kindsAsked;
    std::vector<IndexPath> selected, deselected;
    bool refuse = false;

    int64_t numberOfSectionsInCollectionView(ui::CollectionView&) override { return int64_t(counts.size()); }
    int64_t numberOfItemsInSection(ui::CollectionView&, int64_t section) override
    {
        return counts[size_t(section)];
    }
    std::shared_ptr<ui::CollectionViewCell> cellForItemAtIndexPath(
        ui::CollectionView& view, IndexPath path) override
    {
        auto cell
            = std::static_pointer_cast<TestCell>(view.dequeueReusableCellWithReuseIdentifier("Cell", path));
        cell->shows = std::to_string(path.section) + "/" + std::to_string(path.item);
        return cell;
    }
    std::shared_ptr<ui::CollectionReusableView> viewForSupplementaryElementOfKind(
        ui::CollectionView& view, ui::ElementKind kind, IndexPath path) override
    {
        kindsAsked.push_back(kind);
        if (kind == ui::kCollectionElementKindSectionHeader)
            return view.dequeueReusableSupplementaryViewOfKind(kind, "HeadView", path);
        if (kind == ui::kCollectionElementKindSectionFooter && footers)
            return view.dequeueReusableSupplementaryViewOfKind(kind, "FooterView", path);
        return nullptr;
    }
    bool shouldSelectItemAtIndexPath(ui::CollectionView&, IndexPath) override { return !refuse; }
    void didSelectItemAtIndexPath(ui::CollectionView&, IndexPath path) override { selected.push_back(path); }
    void didDeselectItemAtIndexPath(ui::CollectionView&, IndexPath path) override
    {
        deselected.push_back(path);
    }
};

// A 320 x 400 grid of 150 x 150 items (two a row, 20 apart) with the grids' section inset.
class CollectionViewTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
        layout = ui::CollectionViewFlowLayout::create();
        layout->setItemSize({150, 150});
        layout->setMinimumInteritemSpacing(10);
        layout->setMinimumLineSpacing(10);
        layout->setHeaderReferenceSize({320, 36});
        layout->setFooterReferenceSize({320, 12});
        layout->setSectionInset({20, 0, 20, 0});
        grid = ui::CollectionView::create({0, 64, 320, 400}, layout);
        grid->registerClassForCellWithReuseIdentifier(
            [](Rect frame) { return std::make_shared<TestCell>(frame); }, "Cell");
        auto plain = [](Rect frame) { return ui::CollectionReusableView::create(frame); };
        grid->registerClassForSupplementaryViewOfKind(
            plain, ui::kCollectionElementKindSectionHeader, "HeadView");
        grid->registerClassForSupplementaryViewOfKind(
            plain, ui::kCollectionElementKindSectionFooter, "FooterView");
        source = std::make_shared<Source>();
        grid->setDataSource(source);
        grid->setDelegate(source);
        window->addSubview(grid);
        grid->layoutIfNeeded();
    }

    void scrollTo(double y)
    {
        grid->setContentOffset({0, y});
        grid->layoutIfNeeded();
    }

    std::set<std::string> shown() const
    {
        std::set<std::string> items;
        for (const auto& cell : grid->visibleCells())
            items.insert(std::static_pointer_cast<TestCell>(cell)->shows);
        return items;
    }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::CollectionViewFlowLayout> layout;
    std::shared_ptr<ui::CollectionView> grid;
    std::shared_ptr<Source> source;
};

TEST_F(CollectionViewTest, FlowLayoutPlacesHeadersInsetsRowsAndFooters)
{
    // Section 0: header 0-36, inset 20, nine rows of 150 with 10 between (56 to 1486), inset 20,
    // footer 12. Section 1 starts at 1518: header, inset, its one item centred, inset, footer.
    struct Case {
        IndexPath path;
        Rect frame;
    } cases[] = {
        {{0, 0}, {0, 56, 150, 150}},
        {{0, 1}, {170, 56, 150, 150}},
        {{0, 2}, {0, 216, 150, 150}},
        {{0, 17}, {170, 1336, 150, 150}},
        {{1, 0}, {85, 1574, 150, 150}},
    };
    for (const auto& c : cases) {
        const auto* attributes = grid->layoutAttributesForItemAtIndexPath(c.path);
        ASSERT_TRUE(attributes) << c.path.section << "/" << c.path.item;
        EXPECT_EQ(attributes->frame, c.frame) << c.path.section << "/" << c.path.item;
    }
    EXPECT_EQ(grid->contentSize().height, 1574 + 150 + 20 + 12);
    EXPECT_FALSE(grid->layoutAttributesForItemAtIndexPath({0, 18}));
    EXPECT_FALSE(grid->layoutAttributesForItemAtIndexPath({2, 0}));
}

TEST_F(CollectionViewTest, OnlyVisibleElementsExistAndScrolledOutCellsAreReused)
{
    // 400 points show the header and rows 0 to 2 (56 to 526).
    EXPECT_EQ(shown(), (std::set<std::string> {"0/0", "0/1", "0/2", "0/3", "0/4", "0/5"}));
    size_t madeAtStart = grid->viewsMadeForReuseIdentifier("Cell");
    EXPECT_EQ(madeAtStart, 6u);

    // Scroll through to the end and back in small steps, as a drag does.
    for (double y = 0; y <= grid->maximumContentOffset().y; y += 37)
        scrollTo(y);
    scrollTo(grid->maximumContentOffset().y);
    EXPECT_TRUE(shown().count("1/0")) << "the video item at the end";
    for (double y = grid->maximumContentOffset().y; y >= 0; y -= 41)
        scrollTo(y);
    scrollTo(0);

    EXPECT_LE(grid->viewsMadeForReuseIdentifier("Cell"), 8u) << "never more than a screenful and a row";
    EXPECT_EQ(shown(), (std::set<std::string> {"0/0", "0/1", "0/2", "0/3", "0/4", "0/5"}));
    for (const auto& cell : grid->visibleCells()) {
        auto path = grid->indexPathForCell(*cell);
        ASSERT_TRUE(path);
        EXPECT_EQ(std::static_pointer_cast<TestCell>(cell)->shows,
            std::to_string(path->section) + "/" + std::to_string(path->item))
            << "a reused cell shows its new item";
        EXPECT_EQ(cell->frame(), grid->layoutAttributesForItemAtIndexPath(*path)->frame);
        EXPECT_EQ(cell->superview().get(), grid.get());
    }
    size_t onScreen = 0;
    for (const auto& view : grid->subviews())
        onScreen += dynamic_cast<TestCell*>(view.get()) ? 1 : 0;
    EXPECT_EQ(onScreen, grid->visibleCells().size()) << "cells out of sight are not in the view tree";
}

TEST_F(CollectionViewTest, SupplementaryKindsAreComparedByIdentity)
{
    // The kinds handed to the data source are the constants themselves.
    for (const char* kind : source->kindsAsked)
        EXPECT_TRUE(kind == ui::kCollectionElementKindSectionHeader
            || kind == ui::kCollectionElementKindSectionFooter);
    EXPECT_TRUE(grid->supplementaryViewForElementKind(ui::kCollectionElementKindSectionHeader, {0, 0}));

    // A kind with the same text at another address is another kind.
    static const char sameText[] = "CollectionElementKindSectionHeader";
    EXPECT_FALSE(grid->supplementaryViewForElementKind(sameText, {0, 0}));
    EXPECT_THROW(
        grid->dequeueReusableSupplementaryViewOfKind(sameText, "HeadView", {0, 0}), foundation::Exception);

    // A data source that gives no footer leaves its place empty.
    source->footers = false;
    grid->reloadData();
    scrollTo(grid->maximumContentOffset().y);
    EXPECT_FALSE(grid->supplementaryViewForElementKind(ui::kCollectionElementKindSectionFooter, {1, 0}));
    EXPECT_TRUE(grid->supplementaryViewForElementKind(ui::kCollectionElementKindSectionHeader, {1, 0}));
}

TEST_F(CollectionViewTest, AnUnregisteredIdentifierIsTheCallersFault)
{
    EXPECT_THROW(grid->dequeueReusableCellWithReuseIdentifier("Nope", {0, 0}), foundation::Exception);
}

TEST_F(CollectionViewTest, HitTestingFindsItemsAndNotTheGapsOrInsets)
{
    struct Case {
        Point point;
        std::optional<IndexPath> expected;
    } cases[] = {
        {{10, 60}, IndexPath {0, 0}}, {{319, 205}, IndexPath {0, 1}},
        {{160, 100}, std::nullopt}, // between the two columns
        {{10, 210}, std::nullopt}, // between two rows
        {{10, 40}, std::nullopt}, // the section inset under the header
        {{10, 20}, std::nullopt}, // the header
        {{100, 1600}, IndexPath {1, 0}}, {{20, 1600}, std::nullopt}, // beside the centred video item
    };
    for (const auto& c : cases)
        EXPECT_EQ(grid->indexPathForItemAtPoint(c.point), c.expected) << c.point.x << "," << c.point.y;
}

TEST_F(CollectionViewTest, ATapSelectsTheItemUnderItAndTellsTheDelegate)
{
    tapAt({200, 64 + 100}); // item 0/1 on screen
    ASSERT_EQ(source->selected, (std::vector<IndexPath> {{0, 1}}));
    EXPECT_TRUE(grid->cellForItemAtIndexPath({0, 1})->isSelected());

    scrollTo(150);
    tapAt({40, 64 + 230 - 150}); // item 0/2
    EXPECT_EQ(source->selected.back(), (IndexPath {0, 2}));
    EXPECT_EQ(source->deselected, (std::vector<IndexPath> {{0, 1}}));
    EXPECT_EQ(grid->indexPathsForSelectedItems(), (std::vector<IndexPath> {{0, 2}}));

    tapAt({160, 64 + 100}); // the gap between columns
    source->refuse = true;
    tapAt({40, 64 + 100});
    EXPECT_EQ(source->selected.size(), 2u) << "a gap and a refused item select nothing";
}

TEST_F(CollectionViewTest, ReloadDataAsksTheDataSourceAgain)
{
    source->counts = {3, 1};
    grid->reloadData();
    grid->layoutIfNeeded();
    EXPECT_EQ(grid->numberOfItemsInSection(0), 3);
    EXPECT_EQ(shown(), (std::set<std::string> {"0/0", "0/1", "0/2"}));
    EXPECT_EQ(grid->contentSize().height, 36 + 20 + 310 + 20 + 12 + 36 + 20 + 150 + 20 + 12);
    EXPECT_EQ(grid->viewsMadeForReuseIdentifier("Cell"), 6u)
        << "the cells were taken back and handed out again";
}

TEST_F(CollectionViewTest, AWiderViewLaysOutAgain)
{
    grid->setFrame({0, 64, 480, 400});
    grid->layoutIfNeeded();
    // Three 150-point items fit a 480-point row, 15 apart.
    EXPECT_EQ(grid->layoutAttributesForItemAtIndexPath({0, 2})->frame, (Rect {330, 56, 150, 150}));
    EXPECT_EQ(grid->cellForItemAtIndexPath({0, 2})->frame(), (Rect {330, 56, 150, 150}));
}

} // namespace
