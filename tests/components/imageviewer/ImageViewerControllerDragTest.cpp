#include "tests/components/imageviewer/ImageViewerInteractionFixture.h"

#include "platform/ui/AttachmentBehavior.h"
#include "platform/ui/DynamicAnimator.h"

namespace {

using graphics::Point;
using mivo::test::ImageViewerInteractionTest;

using ImageViewerControllerDragTest = ImageViewerInteractionTest;

// At rest the image's centre is the middle of its 320 x 160 content.
constexpr Point kRestingCentre {160, 80};

TEST_F(ImageViewerControllerDragTest, ReleaseSpeedAboveEightHundredFlingsOrDismisses)
{
    enum class Outcome { SpringsBack, FliesOff, ClosesAtOnce };
    struct Case {
        Point velocity;
        bool dragging;
        Outcome outcome;
    };
    const Case cases[] = {
        {{480, 640}, true, Outcome::SpringsBack}, // exactly 800
        {{0, 800.00001}, true, Outcome::SpringsBack}, // 800 in single precision
        {{0, -800.01}, true, Outcome::FliesOff},
        {{-600, 700}, true, Outcome::FliesOff},
        {{480, 640}, false, Outcome::SpringsBack},
        {{900, 0}, false, Outcome::ClosesAtOnce},
    };
    for (const auto& c : cases) {
        auto viewer = open();
        ImageViewerControllerTestApi api(*viewer);
        if (c.dragging) {
            api.setDragging(true);
            api.startImageDragging({160, 80});
        }
        api.panEnded(c.velocity);
        SCOPED_TRACE(
            testing::Message() << c.velocity.x << ", " << c.velocity.y << (c.dragging ? " dragging" : ""));
        EXPECT_EQ(viewer->flags().imageIsFlickingAwayForDismissal, c.outcome == Outcome::FliesOff);
        EXPECT_EQ(viewer->flags().isPresented, c.outcome != Outcome::ClosesAtOnce);
        if (c.outcome == Outcome::SpringsBack) {
            EXPECT_TRUE(viewer->animator()->behaviors().empty());
            EXPECT_FALSE(viewer->attachmentBehavior());
            EXPECT_FALSE(viewer->flags().isDraggingImage);
        }
        if (c.outcome == Outcome::FliesOff) {
            // The attachment gives way to the push; the item behaviour stays.
            EXPECT_FALSE(viewer->animator()->behaviors().empty());
            for (const auto& behavior : viewer->animator()->behaviors())
                EXPECT_NE(
                    behavior, std::static_pointer_cast<ui::DynamicBehavior>(viewer->attachmentBehavior()));
        }
        runFor(2);
        EXPECT_EQ(m_recorder->dismissals, c.outcome == Outcome::SpringsBack ? 0 : 1);
        if (viewer->flags().isPresented)
            viewer->dismiss(true);
        runFor(1);
        m_recorder->dismissals = 0;
    }
}

TEST_F(ImageViewerControllerDragTest, AFlickClosesOnlyOnceTheImageHasLeftTheScreen)
{
    auto viewer = open();
    auto image = viewer->imageView();
    // 150 points in 0.1 s: 1500 points per second, downwards.
    drag({160, 284}, {160, 434}, 6);
    ASSERT_TRUE(viewer->flags().imageIsFlickingAwayForDismissal);
    EXPECT_TRUE(viewer->flags().isPresented);
    bool seenFlying = false;
    for (int frame = 0; frame < 120 && viewer->flags().isPresented; ++frame) {
        runFor(1.0 / 60);
        if (viewer->flags().isPresented) {
            seenFlying = true;
            EXPECT_TRUE(image->superview()) << "still in sight at frame " << frame;
        }
    }
    EXPECT_TRUE(seenFlying);
    EXPECT_FALSE(viewer->flags().isPresented);
    EXPECT_FALSE(image->superview());
    EXPECT_GT(image->center().y, 160 + 284) << "out through the bottom";
    EXPECT_TRUE(viewer->animator()->behaviors().empty());
    runFor(1);
    EXPECT_EQ(m_recorder->dismissals, 1);
}

TEST_F(ImageViewerControllerDragTest, AFastDragAtZoomOneClosesTheViewer)
{
    auto viewer = open();
    ASSERT_EQ(viewer->scrollView()->zoomScale(), 1.0);
    // 200 points in 0.1 s across the photo: 2000 points per second.
    drag({60, 284}, {260, 284}, 6);
    EXPECT_TRUE(viewer->flags().imageIsFlickingAwayForDismissal);
    runFor(2);
    EXPECT_FALSE(viewer->flags().isPresented);
    EXPECT_EQ(m_recorder->dismissals, 1);
}

TEST_F(ImageViewerControllerDragTest, ASlowReleaseSpringsBackIntoPlace)
{
    auto viewer = open();
    auto image = viewer->imageView();
    // 60 points over one second, held: the image hangs from the finger.
    drag({200, 300}, {200, 360}, 60, false);
    EXPECT_TRUE(viewer->flags().isDraggingImage);
    ASSERT_TRUE(viewer->attachmentBehavior());
    EXPECT_EQ(viewer->attachmentBehavior()->anchorPoint(), (Point {200, 360 - 204}));
    runFor(0.05);
    // The point under the finger when the pan began, 10 points on at (200, 106) of the image,
    // hangs under the finger as the image swings.
    Point grabbed = image->convertPointToView({200, 106}, viewer->scrollView().get());
    EXPECT_NEAR(grabbed.x, 200, 1);
    EXPECT_NEAR(grabbed.y, 156, 1);
    EXPECT_GT(image->center().y, kRestingCentre.y + 30);
    app().touchUp(m_heldTouch, {200, 360});
    EXPECT_FALSE(viewer->flags().isDraggingImage);
    EXPECT_TRUE(viewer->animator()->behaviors().empty());
    EXPECT_EQ(image->center(), kRestingCentre) << "the model value is the end of the spring";
    runFor(0.1);
    EXPECT_GT(image->layer().presentation().position.y, kRestingCentre.y + 5) << "still on its way";
    runFor(0.7);
    EXPECT_NEAR(image->layer().presentation().position.y, kRestingCentre.y, 0.5);
    EXPECT_TRUE(image->transform().isIdentity());
    EXPECT_TRUE(viewer->flags().isPresented);
}

TEST_F(ImageViewerControllerDragTest, APanFromBesideTheImagePicksItUpWithoutAJump)
{
    auto viewer = open();
    auto image = viewer->imageView();
    // From 84 points above the image down into it, 7 points a frame, held at 56 points into it.
    drag({160, 120}, {160, 260}, 20, false);
    ASSERT_TRUE(viewer->flags().isDraggingImage);
    EXPECT_EQ(viewer->attachmentBehavior()->anchorPoint(), (Point {160, 56}));
    runFor(0.05);
    EXPECT_NEAR(image->center().y, kRestingCentre.y + 56, 1) << "moved by what the finger did on it";
    app().touchUp(m_heldTouch, {160, 260});
    runFor(1);
    EXPECT_EQ(image->center(), kRestingCentre);
}

TEST_F(ImageViewerControllerDragTest, ASlowPanBesideTheImageOnlyRecentresIt)
{
    auto viewer = open();
    drag({160, 60}, {160, 120}, 60);
    EXPECT_FALSE(viewer->flags().isDraggingImage);
    runFor(1);
    EXPECT_EQ(viewer->imageView()->center(), kRestingCentre);
    EXPECT_TRUE(viewer->flags().isPresented);
    // Fast, still beside it: the viewer closes with no flight.
    drag({160, 60}, {160, 160}, 3);
    EXPECT_FALSE(viewer->flags().imageIsFlickingAwayForDismissal);
    EXPECT_FALSE(viewer->flags().isPresented);
}

TEST_F(ImageViewerControllerDragTest, ARotationDropsTheDragWithoutAnimation)
{
    auto viewer = open();
    auto image = viewer->imageView();
    drag({200, 300}, {240, 360}, 30, false);
    ASSERT_TRUE(viewer->flags().isDraggingImage);
    viewer->willAnimateRotationToInterfaceOrientation(ui::InterfaceOrientation::Portrait, 0.3);
    EXPECT_FALSE(viewer->flags().isDraggingImage);
    EXPECT_TRUE(viewer->animator()->behaviors().empty());
    EXPECT_EQ(image->layer().presentation().position, kRestingCentre);
    EXPECT_TRUE(image->transform().isIdentity());
    app().touchUp(m_heldTouch, {240, 360});
    runFor(1);
}

TEST_F(ImageViewerControllerDragTest, AFlungImageCannotBeCaughtAgain)
{
    auto viewer = open();
    drag({160, 284}, {160, 334}, 3);
    ASSERT_TRUE(viewer->flags().imageIsFlickingAwayForDismissal);
    // A second finger on the image in flight, released slowly.
    drag({160, 350}, {160, 360}, 30);
    EXPECT_FALSE(viewer->attachmentBehavior());
    runFor(2);
    EXPECT_FALSE(viewer->flags().isPresented);
    EXPECT_EQ(m_recorder->dismissals, 1);
}

TEST_F(ImageViewerControllerDragTest, SmallImagesTurnHarderAndWeighMore)
{
    auto viewer = open();
    // The phone's screen is 320 x 568: 153600 / 181760 of the reference area.
    double screenFactor = 153600.0 / (320 * 568);
    auto item = ui::View::create({0, 0, 160, 142});
    EXPECT_NEAR(viewer->appropriateAngularResistanceForView(*item), 8 * screenFactor * 4.0, 1e-9);
    EXPECT_NEAR(viewer->appropriateDensityForView(*item), 8 * screenFactor * 0.5, 1e-9);
    EXPECT_NEAR(viewer->appropriateDensityForView(*viewer->view()), screenFactor * 0.5, 1e-9);
    EXPECT_EQ(ImageViewerController::targetDismissalPoint({10, 20}, {300, -600}), (Point {110, -180}));
}

} // namespace
