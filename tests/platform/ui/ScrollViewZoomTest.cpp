#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Transaction.h"
#include "tests/platform/ui/UiTest.h"

#include <string>
#include <vector>

namespace {

using graphics::Point;
using graphics::Rect;

class ZoomDelegate final : public ui::ScrollViewDelegate {
public:
    std::shared_ptr<ui::View> zoomView;
    std::vector<std::string> events;
    std::vector<double> endScales;
    std::shared_ptr<ui::View> viewForZoomingInScrollView(ui::ScrollView&) override { return zoomView; }
    void scrollViewWillBeginZooming(ui::ScrollView&, ui::View*) override { events.push_back("begin"); }
    void scrollViewDidZoom(ui::ScrollView&) override { events.push_back("zoom"); }
    void scrollViewDidEndZooming(ui::ScrollView&, ui::View* view, double scale) override
    {
        events.push_back(view == zoomView.get() ? "end" : "end with another view");
        endScales.push_back(scale);
    }
};

class ScrollViewZoomTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
        scroll = ui::ScrollView::create({0, 0, 320, 568});
        image = ui::View::create({0, 0, 320, 568});
        scroll->addSubview(image);
        scroll->setContentSize({320, 568});
        delegate = std::make_shared<ZoomDelegate>();
        delegate->zoomView = image;
        scroll->setDelegate(delegate);
        scroll->setMaximumZoomScale(4);
        window->addSubview(scroll);
    }
    void pinch(Point center, double from, double to, int steps = 10)
    {
        auto left = app().touchDown({center.x - from / 2, center.y});
        auto right = app().touchDown({center.x + from / 2, center.y});
        for (int i = 1; i <= steps; ++i) {
            foundation::RunLoop::main().runFor(1.0 / 60);
            double apart = from + (to - from) * i / steps;
            app().touchMoved(left, {center.x - apart / 2, center.y});
            app().touchMoved(right, {center.x + apart / 2, center.y});
        }
        app().touchUp(left, {center.x - to / 2, center.y});
        app().touchUp(right, {center.x + to / 2, center.y});
        turn();
    }
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ScrollView> scroll;
    std::shared_ptr<ui::View> image;
    std::shared_ptr<ZoomDelegate> delegate;
};

TEST_F(ScrollViewZoomTest, ZoomToRectFillsTheBoundsWithTheRectCentredWithinTheContent)
{
    // A third of the screen around (160, 300): three times larger, that point in the middle.
    scroll->zoomToRect({160 - 320.0 / 6, 300 - 568.0 / 6, 320.0 / 3, 568.0 / 3}, false);
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 3);
    EXPECT_EQ(scroll->contentSize(), (graphics::Size {960, 1704}));
    EXPECT_EQ(image->frame(), (Rect {0, 0, 960, 1704}));
    EXPECT_NEAR(scroll->contentOffset().x, 160 * 3 - 160, 1e-9);
    EXPECT_NEAR(scroll->contentOffset().y, 300 * 3 - 284, 1e-9);
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"zoom", "end"}));

    // Near a corner the offset stays within the content; past the limit the scale stops at it.
    scroll->zoomToRect({0, 0, 10, 10}, false);
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 4);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 0}));
    scroll->setZoomScale(0.2);
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 1);
    EXPECT_EQ(scroll->contentOffset(), (Point {0, 0}));
}

TEST_F(ScrollViewZoomTest, AnAnimatedZoomEndsWithTheTransactionAroundIt)
{
    bool completed = false;
    ui::Transaction::begin();
    ui::Transaction::setCompletionBlock([&] { completed = true; });
    scroll->zoomToRect({100, 100, 160, 284}, true);
    ui::Transaction::commit();
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 2) << "the model holds the target at once";
    runFor(0.15);
    EXPECT_FALSE(completed);
    EXPECT_TRUE(delegate->endScales.empty());
    runFor(0.2);
    EXPECT_TRUE(completed);
    EXPECT_EQ(delegate->endScales, (std::vector<double> {2}));
}

TEST_F(ScrollViewZoomTest, APinchZoomsAboutTheFingersAndBouncesBackFromPastTheLimit)
{
    ASSERT_TRUE(scroll->pinchGestureRecognizer());
    // Fingers around (100, 200) moved twice as far apart: that point stays under them.
    pinch({100, 200}, 80, 160);
    EXPECT_NEAR(scroll->zoomScale(), 2, 1e-9);
    EXPECT_NEAR(scroll->contentOffset().x, 100 * 2 - 100, 1e-6);
    EXPECT_NEAR(scroll->contentOffset().y, 200 * 2 - 200, 1e-6);
    EXPECT_EQ(delegate->events.front(), "begin");
    EXPECT_EQ(delegate->endScales, (std::vector<double> {2}));

    // Four times further apart again would be 8: it stretches past 4 and settles back to it.
    delegate->endScales.clear();
    auto left = app().touchDown({140, 200});
    auto right = app().touchDown({180, 200});
    for (int i = 1; i <= 10; ++i) {
        runFor(1.0 / 60);
        app().touchMoved(left, {160 - 20 - 6.0 * i, 200});
        app().touchMoved(right, {160 + 20 + 6.0 * i, 200});
    }
    double stretched = scroll->zoomScale();
    EXPECT_GT(stretched, 4);
    EXPECT_LT(stretched, 8);
    app().touchUp(left, {100, 200});
    app().touchUp(right, {220, 200});
    turn();
    EXPECT_TRUE(scroll->isZoomBouncing());
    EXPECT_TRUE(delegate->endScales.empty());
    runFor(ui::ScrollView::kZoomAnimationDuration + 0.05);
    EXPECT_FALSE(scroll->isZoomBouncing());
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 4);
    EXPECT_EQ(delegate->endScales, (std::vector<double> {4}));
}

TEST_F(ScrollViewZoomTest, NothingZoomsWithoutAViewForZoomingOrRoomBetweenTheLimits)
{
    auto plain = ui::ScrollView::create({0, 0, 320, 568});
    EXPECT_FALSE(plain->pinchGestureRecognizer());
    plain->setZoomScale(2);
    EXPECT_DOUBLE_EQ(plain->zoomScale(), 1);

    delegate->zoomView = nullptr;
    scroll->setZoomScale(2);
    scroll->zoomToRect({0, 0, 100, 100}, true);
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 1);
    EXPECT_TRUE(delegate->events.empty());
}

} // namespace
