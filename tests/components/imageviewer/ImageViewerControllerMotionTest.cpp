#include "tests/components/imageviewer/ImageViewerInteractionFixture.h"

#include "platform/ui/ScrollView.h"
#include "tests/support/PixelProbe.h"

// What the screen shows while the photo grows out of its thumbnail and collapses back into it:
// a red-and-blue photo must be drawn whole, scaled and the right way round at every moment.

namespace {

using graphics::Color;
using graphics::Rect;
using mivo::test::boxNear;
using mivo::test::PixelProbe;

// A 2:1 photo over a 2:1 thumbnail area, so that the aspect-fill image view shows all of it
// from the first frame to the last.
constexpr Rect kThumbnail {20, 100, 280, 140};
// The photo fitted to the 320-point-wide screen.
constexpr Rect kFitted {0, 204, 320, 160};
constexpr Rect kScreen {0, 0, 320, 568};

class ImageViewerControllerMotionTest : public mivo::test::ImageViewerInteractionTest {
protected:
    void SetUp() override
    {
        ImageViewerInteractionTest::SetUp();
        m_screen->view()->setBackgroundColor(Color::gray());
    }

    std::shared_ptr<ImageViewerController> openPhoto()
    {
        auto info = ImageViewerInfo::create();
        info->image = mivo::test::twoColourPhoto(800, 400, Color::red(), Color::blue());
        info->referenceRect = kThumbnail;
        info->referenceView = m_screen->view();
        auto viewer = ImageViewerController::create(info, 0, 1);
        viewer->showFromViewController(m_screen, 0);
        // The growth starts a few turns of the run loop later, still at the time of the press.
        for (int i = 0; i < 4; ++i)
            turn();
        EXPECT_TRUE(viewer->flags().isTransitioningFromInitialModalToInteractiveState);
        return viewer;
    }

    // Closes the viewer and follows the photo from `from` back into the thumbnail. The collapse
    // starts two turns after the dismissal, at the same time.
    void expectCollapseFrom(ImageViewerController& viewer, const Rect& from)
    {
        viewer.dismiss(true);
        for (int i = 0; i < 4; ++i)
            turn();
        expectPhotoIn(from, "collapse 0%");
        runFor(ImageViewerController::kAnimationDuration / 2);
        expectPhotoIn(graphics::lerp(from, kThumbnail, 0.5), "collapse 50%");
        runFor(ImageViewerController::kAnimationDuration / 2 - 0.002);
        expectPhotoIn(kThumbnail, "collapse 100%");
    }

    // The photo drawn whole in `frame` (as much of it as the screen shows): red in the left half,
    // blue in the right, side by side.
    static void expectPhotoIn(const Rect& frame, const char* moment)
    {
        SCOPED_TRACE(moment);
        auto probe = PixelProbe::screen();
        auto expectHalf = [&](const Color& color, const Rect& half) {
            Rect visible = half.intersection(kScreen);
            if (visible.isNull() || visible.isEmpty())
                EXPECT_FALSE(probe.boundingBox(color));
            else
                EXPECT_TRUE(boxNear(probe.boundingBox(color), visible));
        };
        expectHalf(Color::red(), {frame.minX(), frame.minY(), frame.width() / 2, frame.height()});
        expectHalf(Color::blue(), {frame.midX(), frame.minY(), frame.width() / 2, frame.height()});
    }
};

TEST_F(ImageViewerControllerMotionTest, ThePhotoGrowsOutOfTheThumbnailAndCollapsesBackIntoIt)
{
    auto viewer = openPhoto();
    expectPhotoIn(kThumbnail, "growth 0%");
    runFor(ImageViewerController::kAnimationDuration / 2);
    expectPhotoIn(graphics::lerp(kThumbnail, kFitted, 0.5), "growth 50%");
    runFor(ImageViewerController::kAnimationDuration / 2 + 0.01);
    ASSERT_TRUE(viewer->flags().isPresented);
    expectPhotoIn(kFitted, "growth 100%");

    expectCollapseFrom(*viewer, kFitted);
}

TEST_F(ImageViewerControllerMotionTest, AZoomedPhotoCollapsesWholeFromWhereItStands)
{
    auto viewer = openPhoto();
    runFor(0.4);
    doubleTapAt({80, 284});
    runFor(1);
    ASSERT_GT(viewer->scrollView()->zoomScale(), 1.5);
    Rect zoomed = viewer->scrollView()->convertRectToView(viewer->imageView()->frame(), viewer->view().get());

    expectCollapseFrom(*viewer, zoomed);
}

} // namespace
