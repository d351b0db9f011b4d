#include "tests/components/imageviewer/ImageViewerInteractionFixture.h"

#include "platform/ui/AttachmentBehavior.h"

namespace {

using graphics::Point;
using mivo::test::ImageViewerInteractionTest;

using ImageViewerControllerZoomTest = ImageViewerInteractionTest;

// The image point at the middle of the scroll view's bounds.
Point visibleCentre(const ui::ScrollView& scroll)
{
    graphics::Rect bounds = scroll.bounds();
    return {bounds.midX() / scroll.zoomScale(), bounds.midY() / scroll.zoomScale()};
}

TEST_F(ImageViewerControllerZoomTest, DoubleTapZoomsToThreeAroundThePointAndBackOut)
{
    auto viewer = open();
    auto scroll = viewer->scrollView();
    EXPECT_FALSE(scroll->isScrollEnabled());
    EXPECT_EQ(scroll->contentInset().top, 204);

    // (100, 300) on screen is (100, 96) in the image laid out at 320 x 160.
    doubleTapAt({100, 300});
    EXPECT_TRUE(viewer->flags().scrollViewIsAnimatingAZoom);
    EXPECT_FALSE(viewer->view()->isUserInteractionEnabled());
    runFor(0.4);
    EXPECT_FALSE(viewer->flags().scrollViewIsAnimatingAZoom);
    EXPECT_TRUE(viewer->view()->isUserInteractionEnabled());
    EXPECT_EQ(scroll->zoomScale(), 3.0);
    EXPECT_TRUE(scroll->isScrollEnabled());
    // A third of the view each way; the image is 960 x 480 now.
    EXPECT_NEAR(scroll->bounds().width() / scroll->zoomScale(), 320.0 / 3, 1e-9);
    EXPECT_NEAR(scroll->bounds().height() / scroll->zoomScale(), 568.0 / 3, 1e-9);
    EXPECT_NEAR(visibleCentre(*scroll).x, 100, 1e-9);
    // 480 points high it is still shorter than the view: centred that way, not at the tap.
    EXPECT_NEAR(visibleCentre(*scroll).y, 80, 1e-9);
    EXPECT_EQ(scroll->contentOffset().y, -44);
    EXPECT_EQ(scroll->contentInset().top, 44);
    EXPECT_EQ(scroll->contentInset().left, 0);
    EXPECT_EQ(
        scroll->accessibilityHint(), ImageViewerController::defaultAccessibilityHintForScrollView(true));
    EXPECT_TRUE(viewer->flags().isPresented) << "the single tap waits for the double tap to fail";

    doubleTapAt({200, 200});
    runFor(0.4);
    EXPECT_EQ(scroll->zoomScale(), 1.0);
    EXPECT_FALSE(scroll->isScrollEnabled());
    EXPECT_EQ(scroll->contentInset().top, 204);
    EXPECT_EQ(
        scroll->accessibilityHint(), ImageViewerController::defaultAccessibilityHintForScrollView(false));
    EXPECT_EQ(m_recorder->dismissals, 0);
}

TEST_F(ImageViewerControllerZoomTest, BackdropDimsWithTheZoomOverItsOwnAnimation)
{
    auto viewer = open();
    const auto& backdrop = *viewer->blackBackdrop();
    EXPECT_NEAR(shownAlpha(backdrop), 0.66, 1e-9);

    doubleTapAt({160, 284});
    EXPECT_EQ(backdrop.alpha(), 1.0);
    runFor(0.175);
    EXPECT_NEAR(shownAlpha(backdrop), 0.83, 0.02) << "linear over 0.35 s";
    runFor(0.25);
    EXPECT_NEAR(shownAlpha(backdrop), 1.0, 1e-9);
    ASSERT_FALSE(m_recorder->zoomAdjustments.empty());
    EXPECT_EQ(m_recorder->zoomAdjustments.back(), 3.0);

    doubleTapAt({160, 284});
    runFor(0.4);
    EXPECT_NEAR(shownAlpha(backdrop), 0.66, 1e-9);
    EXPECT_EQ(m_recorder->zoomAdjustments.back(), 1.0);
}

TEST_F(ImageViewerControllerZoomTest, PinchZoomsAndOnlyAScaleAboveOneKeepsScrolling)
{
    auto viewer = open();
    auto scroll = viewer->scrollView();
    auto left = app().touchDown({110, 284});
    auto right = app().touchDown({210, 284});
    for (int i = 1; i <= 10; ++i) {
        runFor(1.0 / 60);
        app().touchMoved(left, {110 - 5.0 * i, 284});
        app().touchMoved(right, {210 + 5.0 * i, 284});
    }
    app().touchUp(left, {60, 284});
    app().touchUp(right, {260, 284});
    runFor(0.5);
    EXPECT_GT(scroll->zoomScale(), 1.5);
    EXPECT_TRUE(scroll->isScrollEnabled());
    EXPECT_NEAR(viewer->blackBackdrop()->alpha(), 1.0, 1e-9);
    std::string hint = scroll->accessibilityHint();
    EXPECT_EQ(hint, ImageViewerController::defaultAccessibilityHintForScrollView(false))
        << "a pinch leaves the hint alone";

    struct Case {
        double scale;
        bool scrolls;
    };
    for (auto [scale, scrolls] :
        {Case {1.0, false}, Case {1.0001, true}, Case {2.0, true}, Case {1.0, false}}) {
        viewer->scrollViewDidEndZooming(*scroll, viewer->imageView().get(), scale);
        EXPECT_EQ(scroll->isScrollEnabled(), scrolls) << scale;
        EXPECT_EQ(scroll->contentInset(), viewer->contentInsetForScrollView(scale)) << scale;
    }
}

TEST_F(ImageViewerControllerZoomTest, AFastDragOfAZoomedImageOnlyScrolls)
{
    auto viewer = open();
    auto scroll = viewer->scrollView();
    doubleTapAt({160, 284});
    runFor(0.4);
    ASSERT_EQ(scroll->zoomScale(), 3.0);
    auto before = scroll->contentOffset();
    // 150 points in 0.1 s: well over 1600 points per second, taken by the scroll view's own pan.
    drag({240, 284}, {90, 284}, 6);
    EXPECT_FALSE(viewer->attachmentBehavior());
    runFor(1);
    EXPECT_GT(scroll->contentOffset().x, before.x + 100);
    EXPECT_TRUE(viewer->flags().isPresented);
    EXPECT_EQ(m_recorder->dismissals, 0);
}

TEST_F(ImageViewerControllerZoomTest, ASingleTapClosesOnceNoDoubleTapCanFollow)
{
    auto viewer = open();
    tapAt({160, 284});
    turn();
    EXPECT_TRUE(viewer->flags().isPresented);
    runFor(0.4);
    EXPECT_FALSE(viewer->flags().isPresented);
    runFor(1);
    EXPECT_EQ(m_recorder->dismissals, 1);
}

TEST_F(ImageViewerControllerZoomTest, IgnoringTouchesSilencesEveryRecogniser)
{
    m_recorder->ignoreTouches = true;
    auto viewer = open();
    doubleTapAt({160, 284});
    runFor(0.5);
    EXPECT_EQ(viewer->scrollView()->zoomScale(), 1.0);
    drag({160, 284}, {160, 434}, 6);
    EXPECT_FALSE(viewer->attachmentBehavior());
    EXPECT_FALSE(viewer->flags().imageIsFlickingAwayForDismissal);
    runFor(1);
    EXPECT_TRUE(viewer->flags().isPresented);

    m_recorder->ignoreTouches = false;
    tapAt({160, 284});
    runFor(1);
    EXPECT_EQ(m_recorder->dismissals, 1);
}

TEST_F(ImageViewerControllerZoomTest, OnlyTheResolvedZoomLetsTheDismissingPanReceiveTouches)
{
    auto viewer = open();
    ImageViewerControllerTestApi api(*viewer);
    ui::Touch touch;
    EXPECT_EQ(viewer->gestureRecognizerShouldReceiveTouch(api.panRecognizer(), touch), true);
    viewer->scrollView()->setZoomScale(2);
    EXPECT_EQ(viewer->gestureRecognizerShouldReceiveTouch(api.panRecognizer(), touch), false);
    EXPECT_EQ(viewer->gestureRecognizerShouldReceiveTouch(api.singleTapperPhoto(), touch), true);
    EXPECT_EQ(
        viewer->gestureRecognizerShouldRequireFailureOf(api.singleTapperPhoto(), api.panRecognizer()), false);
}

TEST_F(ImageViewerControllerZoomTest, WhileTheImageIsFlungZoomCallbacksChangeNothing)
{
    auto viewer = open();
    auto scroll = viewer->scrollView();
    drag({160, 284}, {160, 484}, 6);
    ASSERT_TRUE(viewer->flags().imageIsFlickingAwayForDismissal);
    auto inset = scroll->contentInset();
    viewer->scrollViewDidZoom(*scroll);
    viewer->scrollViewDidEndZooming(*scroll, nullptr, 3.0);
    EXPECT_EQ(scroll->contentInset(), inset);
    EXPECT_FALSE(scroll->isScrollEnabled());
}

} // namespace
