#include "platform/ui/ScrollView.h"

#include "platform/ui/Button.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "tests/platform/ui/UiTest.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

using graphics::Point;
using ui::ControlEvents;

// Records what the scroll view tells it, collapsing runs of didScroll into one entry.
class RecordingDelegate final : public ui::ScrollViewDelegate {
public:
    std::vector<std::string> calls;
    std::vector<double> offsets; // vertical offset at every didScroll

    void scrollViewDidScroll(ui::ScrollView& scrollView) override
    {
        offsets.push_back(scrollView.contentOffset().y);
        if (calls.empty() || calls.back() != "scroll")
            calls.push_back("scroll");
    }
    void scrollViewWillBeginDragging(ui::ScrollView&) override { calls.push_back("willBeginDragging"); }
    void scrollViewDidEndDragging(ui::ScrollView&, bool willDecelerate) override
    {
        calls.push_back(willDecelerate ? "didEndDragging(decelerate)" : "didEndDragging");
    }
    void scrollViewDidEndDecelerating(ui::ScrollView&) override { calls.push_back("didEndDecelerating"); }
    void scrollViewDidEndScrollingAnimation(ui::ScrollView&) override { calls.push_back("didEndAnimation"); }
};

// A 320 x 500 scroll view at y 68 over forty 50-point button rows (2000 points of content).
class ScrollViewTest : public mivo::test::UiTest {
protected:
    static constexpr double kTop = 68;

    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
        scroll = ui::ScrollView::create({0, kTop, 320, 500});
        for (int i = 0; i < 40; ++i) {
            auto row = ui::Button::create({0, i * 50.0, 320, 49});
            row->setTitle("row " + std::to_string(i), ui::ControlState::Normal);
            row->addAction(ControlEvents::TouchUpInside, [this, i](ui::Control&) { tapped.push_back(i); });
            row->addAction(ControlEvents::TouchCancel, [this, i](ui::Control&) { cancelled.push_back(i); });
            scroll->addSubview(row);
            rows.push_back(row);
        }
        scroll->setContentSize({320, 2000});
        delegate = std::make_shared<RecordingDelegate>();
        scroll->setDelegate(delegate);
        window->addSubview(scroll);
    }

    double offset() const { return scroll->contentOffset().y; }

    // Moves the finger in `steps` equal steps of `stepTime` seconds each.
    void move(const std::shared_ptr<ui::Touch>& touch, Point from, Point to, int steps, double stepTime)
    {
        for (int i = 1; i <= steps; ++i) {
            runFor(stepTime);
            app().touchMoved(touch, graphics::lerp(from, to, double(i) / steps));
        }
    }
    // A slow drag that ends with the finger held still, so it leaves no velocity.
    void slowDrag(Point from, Point to)
    {
        auto touch = app().touchDown(from);
        move(touch, from, to, 20, 0.05);
        runFor(0.2);
        app().touchUp(touch, to);
    }
    // 20 points a frame for ten frames: 1200 points per second.
    void flick(Point from, double dy)
    {
        auto touch = app().touchDown(from);
        Point to {from.x, from.y + dy};
        move(touch, from, to, 10, 1.0 / 60);
        app().touchUp(touch, to);
    }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ScrollView> scroll;
    std::vector<std::shared_ptr<ui::Button>> rows;
    std::shared_ptr<RecordingDelegate> delegate;
    std::vector<int> tapped;
    std::vector<int> cancelled;
};

TEST_F(ScrollViewTest, StartsClippedAtTheOriginWithItsOwnPan)
{
    EXPECT_TRUE(scroll->clipsToBounds());
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 0}));
    ASSERT_TRUE(scroll->panGestureRecognizer());
    EXPECT_EQ(scroll->panGestureRecognizer()->view(), scroll);
    EXPECT_EQ(scroll->maximumContentOffset(), (Point {0, 1500}));
    scroll->setContentInset({10, 0, 20, 0});
    EXPECT_EQ(scroll->minimumContentOffset(), (Point {0, -10}));
    EXPECT_EQ(scroll->maximumContentOffset(), (Point {0, 1520}));
}

TEST_F(ScrollViewTest, ADragMovesTheContentByTheFingersTranslation)
{
    auto touch = app().touchDown({160, 400});
    move(touch, {160, 400}, {160, 250}, 15, 0.05);
    EXPECT_TRUE(scroll->isDragging());
    EXPECT_DOUBLE_EQ(offset(), 150);
    EXPECT_DOUBLE_EQ(scroll->bounds().origin.y, 150) << "the offset is the bounds' origin";
    EXPECT_EQ(scroll->contentOffset().x, 0) << "content as wide as the view does not move sideways";
    move(touch, {160, 250}, {100, 300}, 5, 0.05);
    EXPECT_DOUBLE_EQ(offset(), 100);
    EXPECT_EQ(scroll->contentOffset().x, 0);
    runFor(0.2);
    app().touchUp(touch, {100, 300});
    EXPECT_FALSE(scroll->isDragging());
    EXPECT_FALSE(scroll->isDecelerating()) << "a finger held still leaves no velocity";
    runFor(1);
    EXPECT_DOUBLE_EQ(offset(), 100);
    EXPECT_TRUE(tapped.empty());
}

TEST_F(ScrollViewTest, PastAnEdgeTheContentRubberBandsAndSpringsBack)
{
    auto touch = app().touchDown({160, 100});
    move(touch, {160, 100}, {160, 300}, 20, 0.05);
    double shown = -offset();
    EXPECT_GT(shown, 50);
    EXPECT_LT(shown, 200) << "less than the finger moved";
    EXPECT_NEAR(shown, (1 - 1 / (200 * 0.55 / 500 + 1)) * 500, 1e-9);
    // Dragging back over the edge is continuous.
    move(touch, {160, 300}, {160, 50}, 5, 0.05);
    EXPECT_DOUBLE_EQ(offset(), 50);
    move(touch, {160, 50}, {160, 400}, 5, 0.05);
    EXPECT_LT(offset(), 0);
    runFor(0.2);
    app().touchUp(touch, {160, 400});
    EXPECT_TRUE(scroll->isDecelerating()) << "it springs back";
    runFor(0.1);
    EXPECT_LT(offset(), 0);
    EXPECT_GT(offset(), -shown);
    runFor(1.5);
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(offset(), 0);
    EXPECT_EQ(delegate->calls.back(), "didEndDecelerating");

    // The bottom edge, with bouncing off: the content stops at the edge.
    scroll->setContentOffset({0, 1400});
    scroll->setBounces(false);
    slowDrag({160, 400}, {160, 100});
    EXPECT_EQ(offset(), 1500);
    EXPECT_FALSE(scroll->isDecelerating());
}

TEST_F(ScrollViewTest, AFlickDeceleratesAndComesToRestInside)
{
    flick({160, 400}, -200);
    double released = offset();
    EXPECT_DOUBLE_EQ(released, 200);
    EXPECT_TRUE(scroll->isDecelerating());
    runFor(0.5);
    double halfway = offset();
    EXPECT_GT(halfway, released + 300) << "decay at 0.998 per ms keeps most of the speed early";
    runFor(5);
    EXPECT_FALSE(scroll->isDecelerating());
    // 1200 points per second at 0.998 per ms carry the content about 600 points further.
    EXPECT_NEAR(offset(), released + 1200 / (-std::log(0.998) * 1000), 5);
    double rest = offset();
    runFor(1);
    EXPECT_EQ(offset(), rest);

    // A hard flick towards the end overshoots it, comes back and rests exactly at the end.
    scroll->setContentOffset({0, 1300});
    delegate->offsets.clear();
    flick({160, 400}, -200);
    runFor(5);
    EXPECT_GT(*std::max_element(delegate->offsets.begin(), delegate->offsets.end()), 1500);
    EXPECT_EQ(offset(), 1500);
    EXPECT_FALSE(scroll->isDecelerating());

    // Without bouncing it stops at the end at once.
    scroll->setBounces(false);
    scroll->setContentOffset({0, 1300});
    delegate->offsets.clear();
    flick({160, 400}, -200);
    runFor(5);
    EXPECT_EQ(*std::max_element(delegate->offsets.begin(), delegate->offsets.end()), 1500);
    EXPECT_EQ(offset(), 1500);
}

TEST_F(ScrollViewTest, ATouchStopsTheDecelerationWithoutReachingTheContent)
{
    flick({160, 400}, -200);
    runFor(0.2);
    ASSERT_TRUE(scroll->isDecelerating());
    auto touch = app().touchDown({160, 300});
    EXPECT_FALSE(scroll->isDecelerating());
    double stopped = offset();
    runFor(0.5);
    app().touchUp(touch, {160, 300});
    EXPECT_EQ(offset(), stopped);
    EXPECT_TRUE(tapped.empty()) << "the touch that stops the content taps nothing";
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "didEndDecelerating"), 0);
    tapAt({160, 300});
    EXPECT_EQ(tapped.size(), 1u) << "the next one does";
}

TEST_F(ScrollViewTest, SetContentOffsetAnimatedReachesItsTargetAtTheEnd)
{
    scroll->setContentOffset({0, 400}, true);
    EXPECT_EQ(offset(), 400) << "the model value is the target at once";
    EXPECT_EQ(scroll->layer().presentation().bounds.origin.y, 0);
    runFor(0.15);
    double shown = scroll->layer().presentation().bounds.origin.y;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 400);
    runFor(0.2);
    EXPECT_EQ(scroll->layer().presentation().bounds.origin.y, 400);
    EXPECT_EQ(delegate->calls, (Strings {"scroll", "didEndAnimation"}));

    // A drag during the animation takes over from what is on screen.
    scroll->setContentOffset({0, 0}, true);
    runFor(0.15);
    double onScreen = scroll->layer().presentation().bounds.origin.y;
    auto touch = app().touchDown({160, 300});
    move(touch, {160, 300}, {160, 280}, 2, 0.0);
    EXPECT_DOUBLE_EQ(offset(), onScreen + 20);
    EXPECT_DOUBLE_EQ(scroll->layer().presentation().bounds.origin.y, onScreen + 20);
    runFor(0.3);
    app().touchUp(touch, {160, 280});
    runFor(1);
    EXPECT_DOUBLE_EQ(offset(), onScreen + 20);
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "didEndAnimation"), 1)
        << "the interrupted animation does not report an end";
}

TEST_F(ScrollViewTest, ScrollRectToVisibleMovesAsLittleAsNeeded)
{
    scroll->scrollRectToVisible({0, 900, 320, 50}, false);
    EXPECT_EQ(offset(), 450) << "the rect's bottom at the view's bottom";
    scroll->scrollRectToVisible({0, 600, 320, 50}, false);
    EXPECT_EQ(offset(), 450) << "already visible";
    scroll->scrollRectToVisible({0, 100, 320, 50}, false);
    EXPECT_EQ(offset(), 100);
    scroll->scrollRectToVisible({0, 1950, 320, 200}, true);
    EXPECT_EQ(offset(), 1500) << "never past the content";
    runFor(0.4);
    EXPECT_EQ(scroll->layer().presentation().bounds.origin.y, 1500);

    // Under an inset (a keyboard over the bottom, a bar over the top) content is not shown.
    scroll->setContentInset({40, 0, 216, 0});
    scroll->setContentOffset({0, 0});
    scroll->scrollRectToVisible({0, 300, 320, 50}, false);
    EXPECT_EQ(offset(), 300 + 50 - (500 - 216)) << "the rect's bottom at the inset's top";
    scroll->scrollRectToVisible({0, 30, 320, 50}, false);
    EXPECT_EQ(offset(), 30 - 40) << "the rect's top below the top inset";
    scroll->scrollRectToVisible({0, 1950, 320, 200}, false);
    EXPECT_EQ(offset(), 1500 + 216) << "the content's end above the bottom inset";
}

TEST_F(ScrollViewTest, ATapOnAButtonInsideStillFires)
{
    tapAt({160, kTop + 125});
    EXPECT_EQ(tapped, (std::vector<int> {2}));
    // Scrolled, the same point shows (and taps) another row.
    scroll->setContentOffset({0, 1000});
    tapAt({160, kTop + 125});
    EXPECT_EQ(tapped, (std::vector<int> {2, 22}));
    // A wobble under the pan's threshold is still a tap.
    auto touch = app().touchDown({160, kTop + 25});
    move(touch, {160, kTop + 25}, {164, kTop + 30}, 2, 0.02);
    app().touchUp(touch, {164, kTop + 30});
    EXPECT_EQ(tapped, (std::vector<int> {2, 22, 20}));
    EXPECT_EQ(offset(), 1000);
    EXPECT_TRUE(cancelled.empty());
}

TEST_F(ScrollViewTest, ADragStartingOnAButtonScrollsAndCancelsIt)
{
    auto touch = app().touchDown({160, kTop + 125});
    EXPECT_TRUE(rows[2]->isTracking());
    EXPECT_TRUE(rows[2]->isHighlighted());
    move(touch, {160, kTop + 125}, {160, kTop + 95}, 3, 0.05);
    EXPECT_EQ(cancelled, (std::vector<int> {2}));
    EXPECT_FALSE(rows[2]->isTracking());
    EXPECT_FALSE(rows[2]->isHighlighted());
    EXPECT_DOUBLE_EQ(offset(), 30);
    app().touchUp(touch, {160, kTop + 95});
    runFor(2);
    EXPECT_TRUE(tapped.empty());
}

TEST_F(ScrollViewTest, DelegateHearsADragInOrder)
{
    flick({160, 400}, -200);
    runFor(5);
    EXPECT_EQ(delegate->calls,
        (Strings {
            "willBeginDragging", "scroll", "didEndDragging(decelerate)", "scroll", "didEndDecelerating"}));
    EXPECT_TRUE(std::is_sorted(delegate->offsets.begin(), delegate->offsets.end()));

    delegate->calls.clear();
    slowDrag({160, 400}, {160, 300});
    EXPECT_EQ(delegate->calls, (Strings {"willBeginDragging", "scroll", "didEndDragging"}));
}

TEST_F(ScrollViewTest, ContentThatFitsLeavesDragsToTheContentUnlessItAlwaysBounces)
{
    scroll->setContentSize({320, 400});
    auto touch = app().touchDown({160, kTop + 125});
    move(touch, {160, kTop + 125}, {160, kTop + 95}, 3, 0.05);
    EXPECT_EQ(offset(), 0);
    EXPECT_TRUE(cancelled.empty());
    app().touchUp(touch, {160, kTop + 95});
    EXPECT_EQ(tapped, (std::vector<int> {2})) << "the button kept the touch";

    scroll->setAlwaysBounceVertical(true);
    touch = app().touchDown({160, kTop + 125});
    move(touch, {160, kTop + 125}, {160, kTop + 225}, 5, 0.05);
    EXPECT_LT(offset(), 0) << "it rubber-bands";
    EXPECT_EQ(cancelled, (std::vector<int> {2}));
    runFor(0.2);
    app().touchUp(touch, {160, kTop + 225});
    runFor(2);
    EXPECT_EQ(offset(), 0);

    scroll->setScrollEnabled(false);
    slowDrag({160, 400}, {160, 200});
    EXPECT_EQ(offset(), 0);
}

TEST_F(ScrollViewTest, AnEdgePanAroundItDecidesFirst)
{
    // As a navigation controller's swipe back does.
    int edgePans = 0;
    auto edge = ui::PanGestureRecognizer::create([&](ui::GestureRecognizer& r) {
        if (r.state() == ui::GestureState::Began)
            ++edgePans;
    });
    edge->setEdge(ui::PanGestureRecognizer::Edge::Left);
    window->addGestureRecognizer(edge);

    auto touch = app().touchDown({5, 300});
    move(touch, {5, 300}, {105, 310}, 5, 0.02);
    app().touchUp(touch, {105, 310});
    EXPECT_EQ(edgePans, 1);
    EXPECT_EQ(offset(), 0);

    // From the edge straight up: the edge pan fails and the content scrolls.
    touch = app().touchDown({5, 400});
    move(touch, {5, 400}, {5, 300}, 5, 0.05);
    EXPECT_DOUBLE_EQ(offset(), 100);
    runFor(0.2);
    app().touchUp(touch, {5, 300});
    EXPECT_EQ(edgePans, 1);
}

} // namespace
