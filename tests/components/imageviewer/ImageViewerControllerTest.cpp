#include "components/imageviewer/ImageViewerController.h"

#include "components/imageviewer/ImageViewerStatusBarAppearance.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"

#include <numbers>

using graphics::Rect;

namespace {

// Records what the viewer tells its delegates, in order.
class Recorder final : public ImageViewerControllerDismissalDelegate,
                       public ImageViewerControllerAnimationDelegate,
                       public ImageViewerControllerOptionsDelegate {
public:
    std::vector<std::string> events;
    std::optional<bool> fade;
    std::optional<double> dimming;

    void imageViewerDidDismiss(ImageViewerController&) override { events.push_back("didDismiss"); }
    void imageViewerWillBeginPresentation(ImageViewerController&, ui::View&) override
    {
        events.push_back("willBeginPresentation");
    }
    void imageViewerWillAnimatePresentation(ImageViewerController&, ui::View&, double duration) override
    {
        events.push_back("willAnimatePresentation " + std::to_string(duration).substr(0, 4));
    }
    void imageViewerWillBeginDismissal(ImageViewerController&, ui::View&) override
    {
        events.push_back("willBeginDismissal");
    }
    void imageViewerWillAnimateDismissal(ImageViewerController&, ui::View&, double duration) override
    {
        events.push_back("willAnimateDismissal " + std::to_string(duration).substr(0, 4));
    }
    std::optional<bool> imageViewerShouldFadeThumbnailsDuringPresentationAndDismissal(
        ImageViewerController&) override
    {
        return fade;
    }
    std::optional<double> alphaForBackgroundDimmingOverlayInImageViewer(ImageViewerController&) override
    {
        return dimming;
    }
};

// A screen with a thumbnail area at (20, 100, 280, 200) inside a container at (0, 0).
class ImageViewerControllerTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ImageViewerStatusBarAppearance::overrideForTesting(false);
        m_window = keyWindow();
        m_screen = ui::ViewController::create();
        m_window->setRootViewController(m_screen);
        m_screen->view()->setBackgroundColor(graphics::Color::white());
        m_grid = ui::View::create({20, 100, 280, 200});
        m_grid->setBackgroundColor(graphics::Color::rgba(0.2, 0.4, 0.8));
        m_screen->view()->addSubview(m_grid);
        m_recorder = std::make_shared<Recorder>();
    }
    void TearDown() override
    {
        ImageViewerStatusBarAppearance::overrideForTesting(std::nullopt);
        ui::Device::currentDevice().reset();
        UiTest::TearDown();
    }

    std::shared_ptr<ImageViewerInfo> photoInfo(double cornerRadius = 0)
    {
        auto info = ImageViewerInfo::create();
        info->image = graphics::Image::create(1000, 500);
        info->referenceRect = m_grid->frame();
        info->referenceView = m_screen->view();
        info->referenceCornerRadius = cornerRadius;
        return info;
    }

    std::shared_ptr<ImageViewerController> makeViewer(
        std::shared_ptr<ImageViewerInfo> info, int64_t mode = 0, int64_t background = 1)
    {
        auto viewer = ImageViewerController::create(std::move(info), mode, background);
        viewer->setDismissalDelegate(m_recorder);
        viewer->setAnimationDelegate(m_recorder);
        viewer->setOptionsDelegate(m_recorder);
        return viewer;
    }

    // Presents and runs the whole 0.3 s animation.
    void present(const std::shared_ptr<ImageViewerController>& viewer, int64_t transition = 0)
    {
        viewer->showFromViewController(m_screen, transition);
        runFor(0.4);
        ASSERT_TRUE(viewer->flags().isPresented);
    }

    static Rect shown(const ui::View& view) { return view.layer().presentation().frame(); }
    static double shownAlpha(const ui::View& view) { return view.layer().presentation().opacity; }

    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<ui::ViewController> m_screen;
    std::shared_ptr<ui::View> m_grid;
    std::shared_ptr<Recorder> m_recorder;
};

void expectRect(Rect actual, Rect expected, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.minX(), expected.minX(), tolerance);
    EXPECT_NEAR(actual.minY(), expected.minY(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

} // namespace

TEST_F(ImageViewerControllerTest, GrowsOutOfTheReferenceRectangleStepByStep)
{
    auto viewer = makeViewer(photoInfo(8));
    EXPECT_FALSE(viewer->isViewLoaded());
    viewer->showFromViewController(m_screen, 0);

    // At once: presented without animation, over the snapshot, the image on the thumbnail.
    auto& root = *viewer->view();
    EXPECT_EQ(m_screen->presentedViewController(), viewer);
    EXPECT_TRUE(viewer->flags().isAnimatingAPresentationOrDismissal);
    EXPECT_FALSE(viewer->flags().isPresented);
    EXPECT_FALSE(root.isUserInteractionEnabled());
    ASSERT_TRUE(viewer->snapshotView());
    EXPECT_EQ(root.subviews().front(), viewer->snapshotView());
    EXPECT_EQ(viewer->imageView()->superview().get(), &root);
    expectRect(viewer->imageView()->frame(), {20, 100, 280, 200});
    expectRect(viewer->startingInfo().startingReferenceFrameForThumbnail, {20, 100, 280, 200});
    EXPECT_EQ(viewer->imageView()->layer().cornerRadius(), 8);
    EXPECT_EQ(viewer->imageView()->contentMode(), ui::ContentMode::AspectFill);
    EXPECT_EQ(viewer->blackBackdrop()->alpha(), 0);
    EXPECT_FALSE(app().isStatusBarHidden());
    EXPECT_FALSE(viewer->blurredSnapshotView());
    EXPECT_EQ(m_recorder->events, std::vector<std::string> {"willBeginPresentation"});
    viewer->dismiss(true); // not presented yet: nothing
    EXPECT_FALSE(viewer->flags().isDismissing);

    // Two turns of the main queue later the 0.3 s animation starts.
    turn();
    turn();
    EXPECT_TRUE(viewer->flags().isTransitioningFromInitialModalToInteractiveState);
    EXPECT_TRUE(viewer->prefersStatusBarHidden());
    EXPECT_TRUE(app().isStatusBarHidden());
    EXPECT_EQ(m_recorder->events.back(), "willAnimatePresentation 0.30");
    expectRect(viewer->imageView()->frame(), {0, 204, 320, 160});
    EXPECT_EQ(viewer->imageView()->layer().cornerRadius(), 0);

    // Mid-way everything is between where it started and where it goes.
    runFor(0.15);
    Rect mid = shown(*viewer->imageView());
    EXPECT_GT(mid.width(), 280);
    EXPECT_LT(mid.width(), 320);
    EXPECT_GT(shownAlpha(*viewer->blackBackdrop()), 0.05);
    EXPECT_LT(shownAlpha(*viewer->blackBackdrop()), 0.62);
    double corner = viewer->imageView()->layer().presentation().cornerRadius;
    EXPECT_GT(corner, 0.5);
    EXPECT_LT(corner, 7.5);
    EXPECT_LT(shownAlpha(*app().statusBar()), 1);
    EXPECT_TRUE(viewer->dismissalDelegate());
    EXPECT_FALSE(root.isUserInteractionEnabled());

    // At rest: the image inside the scroll view, centred by insets, the backdrop dimmed.
    runFor(0.2);
    EXPECT_TRUE(viewer->flags().isPresented);
    EXPECT_FALSE(viewer->flags().isAnimatingAPresentationOrDismissal);
    EXPECT_FALSE(viewer->flags().isTransitioningFromInitialModalToInteractiveState);
    EXPECT_TRUE(root.isUserInteractionEnabled());
    EXPECT_EQ(viewer->imageView()->superview(), viewer->scrollView());
    expectRect(viewer->imageView()->frame(), {0, 0, 320, 160});
    EXPECT_EQ(viewer->scrollView()->contentInset(), (graphics::EdgeInsets {204, 0, 204, 0}));
    EXPECT_EQ(viewer->scrollView()->contentOffset(), (graphics::Point {0, -204}));
    expectRect(
        viewer->imageView()->convertRectToView(viewer->imageView()->bounds(), nullptr), {0, 204, 320, 160});
    EXPECT_DOUBLE_EQ(viewer->blackBackdrop()->alpha(), 0.66);
    EXPECT_DOUBLE_EQ(viewer->snapshotView()->transform().a, 0.9399999976158142);
    EXPECT_EQ(viewer->snapshotView()->motionEffects().size(), 1u);
    EXPECT_EQ(shownAlpha(*app().statusBar()), 0);
    EXPECT_EQ(m_recorder->events.size(), 2u);

    // The snapshot follows the tilt by up to 12 points, on screen only.
    ui::Device::currentDevice().setTilt({1, -1});
    auto& snapshotLayer = viewer->snapshotView()->layer();
    EXPECT_EQ(snapshotLayer.presentation().position, (snapshotLayer.position() + graphics::Point {-12, 12}));
}

TEST_F(ImageViewerControllerTest, CollapsesBackIntoTheThumbnailAndTellsTheDelegate)
{
    auto viewer = makeViewer(photoInfo(8));
    present(viewer);
    m_recorder->events.clear();

    viewer->dismiss(true);
    viewer->dismiss(true); // the second call does nothing
    EXPECT_TRUE(viewer->flags().isDismissing);
    EXPECT_FALSE(viewer->view()->isUserInteractionEnabled());
    EXPECT_FALSE(viewer->scrollView());
    // Out of the scroll view without a jump.
    EXPECT_EQ(viewer->imageView()->superview(), viewer->view());
    expectRect(viewer->imageView()->frame(), {0, 204, 320, 160});
    EXPECT_EQ(m_recorder->events, std::vector<std::string> {"willBeginDismissal"});

    turn();
    turn();
    EXPECT_EQ(m_recorder->events.back(), "willAnimateDismissal 0.30");
    expectRect(viewer->imageView()->frame(), {20, 100, 280, 200});
    EXPECT_FALSE(app().isStatusBarHidden()); // restored inside the animation, fading
    EXPECT_TRUE(viewer->snapshotView()->motionEffects().empty());
    EXPECT_TRUE(viewer->snapshotView()->transform().isIdentity());

    runFor(0.15);
    Rect mid = shown(*viewer->imageView());
    EXPECT_GT(mid.height(), 160);
    EXPECT_LT(mid.height(), 200);
    EXPECT_GT(shownAlpha(*app().statusBar()), 0);
    EXPECT_EQ(m_screen->presentedViewController(), viewer);

    runFor(0.2);
    EXPECT_EQ(m_recorder->events.back(), "didDismiss");
    EXPECT_EQ(std::count(m_recorder->events.begin(), m_recorder->events.end(), "didDismiss"), 1);
    EXPECT_FALSE(m_screen->presentedViewController());
    EXPECT_EQ(m_screen->view()->window(), m_window);
    EXPECT_FALSE(viewer->view()->window());
    EXPECT_EQ(shownAlpha(*app().statusBar()), 1);
    EXPECT_EQ(viewer->imageView()->layer().cornerRadius(), 8);
}

TEST_F(ImageViewerControllerTest, ThumbnailFadeRunsOverTheFirstPartOfBothAnimations)
{
    m_recorder->fade = true;
    auto viewer = makeViewer(photoInfo());
    viewer->showFromViewController(m_screen, 0);
    EXPECT_EQ(shownAlpha(*viewer->imageView()), 0);
    runFor(0.08);
    EXPECT_GT(shownAlpha(*viewer->imageView()), 0.2);
    EXPECT_LT(shownAlpha(*viewer->imageView()), 0.8);
    runFor(0.4);
    EXPECT_EQ(viewer->imageView()->alpha(), 1);

    viewer->dismiss(true);
    runFor(0.17);
    EXPECT_EQ(shownAlpha(*viewer->imageView()), 1);
    runFor(0.08);
    EXPECT_GT(shownAlpha(*viewer->imageView()), 0.1);
    EXPECT_LT(shownAlpha(*viewer->imageView()), 0.9);
    runFor(0.1);
    EXPECT_EQ(shownAlpha(*viewer->imageView()), 0);
}

TEST_F(ImageViewerControllerTest, OffscreenTransitionShrinksInAndGrowsAway)
{
    for (int64_t transition : {int64_t(1)}) {
        auto viewer = makeViewer(photoInfo());
        viewer->showFromViewController(m_screen, transition);
        EXPECT_EQ(viewer->imageView()->superview(), viewer->scrollView());
        EXPECT_EQ(viewer->scrollView()->alpha(), 0);
        EXPECT_DOUBLE_EQ(viewer->scrollView()->transform().a, 1.25);
        expectRect(viewer->imageView()->frame(), {0, 0, 320, 160});
        turn();
        EXPECT_EQ(viewer->scrollView()->alpha(), 1);
        EXPECT_TRUE(viewer->scrollView()->transform().isIdentity());
        runFor(0.4);
        EXPECT_TRUE(viewer->flags().isPresented);
        EXPECT_TRUE(viewer->startingInfo().startingReferenceFrameForThumbnail.isEmpty());

        viewer->dismiss(true);
        EXPECT_EQ(viewer->scrollView()->alpha(), 0);
        EXPECT_DOUBLE_EQ(viewer->scrollView()->transform().a, 1.25);
        runFor(0.4);
        EXPECT_EQ(m_recorder->events.back(), "didDismiss");
        EXPECT_FALSE(m_screen->presentedViewController());
    }
}

// The growth stays on the thumbnail until its animation starts for every transition but 1, not
// only for 0: otherwise the image would jump to its final frame before growing.
TEST_F(ImageViewerControllerTest, AnyTransitionButOneGrowsOutOfTheThumbnail)
{
    auto viewer = makeViewer(photoInfo());
    viewer->showFromViewController(m_screen, 2);
    EXPECT_EQ(viewer->imageView()->superview(), viewer->view());
    expectRect(viewer->imageView()->frame(), {20, 100, 280, 200});
    turn();
    turn();
    runFor(0.15);
    Rect mid = shown(*viewer->imageView());
    EXPECT_GT(mid.width(), 280);
    EXPECT_LT(mid.width(), 320);
    runFor(0.2);
    viewer->dismiss(true);
    turn();
    turn();
    expectRect(viewer->imageView()->frame(), {20, 100, 280, 200});
}

TEST_F(ImageViewerControllerTest, BackgroundOptionsShapeTheBackdrop)
{
    struct Case {
        int64_t options;
        double scale;
        bool blurred, parallax;
    };
    for (const Case& c : {Case {0, 1.0, false, false}, Case {1, 0.9399999976158142, false, true},
             Case {2, 1.0, true, false}, Case {3, 0.9399999976158142, true, true}}) {
        m_recorder->dimming = c.options == 2 ? std::optional<double>(0.5) : std::nullopt;
        auto viewer = makeViewer(photoInfo(), 0, c.options);
        viewer->showFromViewController(m_screen, 0);
        if (c.blurred) {
            ASSERT_TRUE(viewer->blurredSnapshotView()) << c.options;
            EXPECT_EQ(viewer->blurredSnapshotView()->superview(), viewer->snapshotView());
            expectRect(viewer->blurredSnapshotView()->frame(), {-20, -20, 360, 608});
            EXPECT_EQ(viewer->blurredSnapshotView()->alpha(), 0);
        } else {
            EXPECT_FALSE(viewer->blurredSnapshotView()) << c.options;
        }
        runFor(0.2);
        if (c.blurred) {
            double mid = shownAlpha(*viewer->blurredSnapshotView());
            EXPECT_GT(mid, 0.05);
            EXPECT_LT(mid, 0.95);
        }
        runFor(0.2);
        EXPECT_DOUBLE_EQ(viewer->snapshotView()->transform().a, c.scale) << c.options;
        EXPECT_EQ(viewer->snapshotView()->motionEffects().size(), c.parallax ? 1u : 0u) << c.options;
        EXPECT_DOUBLE_EQ(viewer->blackBackdrop()->alpha(), c.options == 2 ? 0.5 : 0.66);
        if (c.blurred) {
            EXPECT_EQ(viewer->blurredSnapshotView()->alpha(), 1);
        }
        viewer->dismiss(true);
        runFor(0.4);
        if (c.blurred) {
            EXPECT_EQ(viewer->blurredSnapshotView()->alpha(), 0);
        }
        ASSERT_FALSE(m_screen->presentedViewController()) << c.options;
    }
}

TEST_F(ImageViewerControllerTest, ReferenceContentModeReplacesAspectFillUnlessZero)
{
    for (auto [mode, expected] : {std::pair {int64_t(0), ui::ContentMode::AspectFill},
             std::pair {int64_t(1), ui::ContentMode::AspectFit}}) {
        auto info = photoInfo();
        info->referenceContentMode = mode;
        auto viewer = makeViewer(info);
        viewer->showFromViewController(m_screen, 0);
        EXPECT_EQ(viewer->imageView()->contentMode(), expected);
        runFor(0.4);
        viewer->dismiss(true);
        runFor(0.4);
    }
}

TEST_F(ImageViewerControllerTest, StatusBarComesBackAsItWas)
{
    app().setStatusBarHidden(true);
    auto viewer = makeViewer(photoInfo());
    present(viewer);
    EXPECT_TRUE(viewer->startingInfo().statusBarHiddenPriorToPresentation);
    EXPECT_TRUE(app().isStatusBarHidden());
    viewer->dismiss(true);
    runFor(0.4);
    EXPECT_TRUE(app().isStatusBarHidden());
    EXPECT_TRUE(viewer->prefersStatusBarHidden()); // the state it found

    // With screens managing the bar the viewer's answers say it.
    app().setStatusBarHidden(false);
    app().setStatusBarStyle(ui::StatusBarStyle::LightContent);
    ImageViewerStatusBarAppearance::overrideForTesting(true);
    auto managed = makeViewer(photoInfo());
    managed->showFromViewController(m_screen, 0);
    EXPECT_FALSE(managed->prefersStatusBarHidden());
    EXPECT_EQ(managed->preferredStatusBarStyle(), ui::StatusBarStyle::LightContent);
    runFor(0.4);
    EXPECT_TRUE(managed->prefersStatusBarHidden());
    managed->dismiss(true);
    EXPECT_FALSE(managed->prefersStatusBarHidden());
}

TEST_F(ImageViewerControllerTest, RotationTurnsTheSnapshotBackAndTheCollapseFollowsIt)
{
    auto viewer = makeViewer(photoInfo());
    EXPECT_EQ(viewer->supportedInterfaceOrientations(), ui::OrientationMask::Portrait);
    viewer->showFromViewController(m_screen, 0);
    EXPECT_FALSE(viewer->shouldAutorotate());
    runFor(0.4);
    EXPECT_TRUE(viewer->shouldAutorotate());
    EXPECT_EQ(viewer->supportedInterfaceOrientations(), 26u);

    ASSERT_TRUE(app().rotateInterface(ui::InterfaceOrientation::LandscapeLeft, true));
    EXPECT_EQ(viewer->lastUsedOrientation(), ui::InterfaceOrientation::LandscapeLeft);
    EXPECT_TRUE(viewer->flags().isRotating);
    auto rotation = viewer->currentSnapshotRotationTransform();
    EXPECT_NEAR(rotation.b, 1, 1e-12); // +pi/2
    auto transform = viewer->snapshotView()->transform();
    EXPECT_NEAR(transform.b, 0.9399999976158142, 1e-12);
    EXPECT_NEAR(transform.a, 0, 1e-12);
    graphics::Size size = viewer->view()->bounds().size;
    EXPECT_EQ(size, (graphics::Size {568, 320}));
    EXPECT_EQ(viewer->snapshotView()->center(), (graphics::Point {284, 160}));
    expectRect(viewer->imageView()->frame(), {0, 0, 568, 284});
    EXPECT_EQ(viewer->scrollView()->contentInset(), (graphics::EdgeInsets {18, 0, 18, 0}));
    runFor(0.7);
    EXPECT_FALSE(viewer->flags().isRotating);

    // The collapse lands on the thumbnail as the unrotated snapshot shows it; the bar waits.
    viewer->dismiss(true);
    turn();
    turn();
    EXPECT_NEAR(viewer->imageView()->transform().b, 1, 1e-12);
    EXPECT_TRUE(app().isStatusBarHidden());
    runFor(0.4);
    EXPECT_FALSE(app().isStatusBarHidden());
    EXPECT_EQ(m_recorder->events.back(), "didDismiss");
}

TEST_F(ImageViewerControllerTest, SizeTransitionFromSystemEightRelaysTheViewer)
{
    ui::Device::currentDevice().setSystemVersion("8.0");
    auto viewer = makeViewer(photoInfo());
    present(viewer);
    ASSERT_TRUE(app().rotateInterface(ui::InterfaceOrientation::LandscapeRight, true));
    EXPECT_TRUE(viewer->flags().isRotating);
    EXPECT_EQ(viewer->view()->bounds().size, (graphics::Size {568, 320}));
    expectRect(viewer->imageView()->frame(), {0, 0, 568, 284});
    EXPECT_NEAR(viewer->currentSnapshotRotationTransform().b, -1, 1e-12); // -pi/2
    runFor(0.4);
    EXPECT_FALSE(viewer->flags().isRotating);
    EXPECT_EQ(viewer->lastUsedOrientation(), ui::InterfaceOrientation::LandscapeRight);
}

TEST_F(ImageViewerControllerTest, TabletAllowsEveryOrientationAndWiderTextMargins)
{
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
    auto info = ImageViewerInfo::create();
    info->altText = "front";
    auto viewer = makeViewer(info, 1, 0);
    present(viewer);
    EXPECT_EQ(viewer->supportedInterfaceOrientations(), 30u);
    expectRect(viewer->textView()->frame(), {80, 0, 160, 568});
}

TEST_F(ImageViewerControllerTest, HalfTurnsAreLaidOutByHandFromSystemEight)
{
    for (const char* version : {"7.1", "8.0"}) {
        ui::Device::currentDevice().setSystemVersion(version);
        ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::Portrait);
        auto viewer = makeViewer(photoInfo());
        present(viewer);
        // The upside-down screen is not allowed on a phone: only the viewer's own handler acts.
        ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::PortraitUpsideDown);
        bool modern = std::string(version) == "8.0";
        EXPECT_EQ(viewer->flags().isRotating, modern) << version;
        EXPECT_EQ(viewer->lastUsedOrientation(),
            modern ? ui::InterfaceOrientation::PortraitUpsideDown : ui::InterfaceOrientation::Portrait);
        runFor(0.7);
        EXPECT_FALSE(viewer->flags().isRotating);
        viewer->dismiss(true);
        runFor(0.4);
    }
}

TEST_F(ImageViewerControllerTest, AltTextShrinksIntoPlaceAndGrowsAway)
{
    auto info = ImageViewerInfo::create();
    info->title = "左前45度";
    info->altText = "front left";
    auto viewer = makeViewer(info, 1, 1);
    EXPECT_FALSE(viewer->image());
    viewer->showFromViewController(m_screen, 1);
    ASSERT_TRUE(viewer->textView());
    EXPECT_EQ(viewer->textView()->text(), "左前45度");
    EXPECT_EQ(viewer->textView()->delegate().lock(), std::dynamic_pointer_cast<ui::TextViewDelegate>(viewer));
    expectRect(viewer->textView()->frame(), {40, 0, 240, 568});
    EXPECT_TRUE(viewer->textView()->isHidden());
    EXPECT_GT(viewer->textView()->contentInset().top, 200);
    EXPECT_FALSE(viewer->scrollView());
    runFor(0.4);
    EXPECT_TRUE(viewer->flags().isPresented);
    EXPECT_FALSE(viewer->textView()->isHidden());
    EXPECT_EQ(viewer->textView()->superview()->subviews().size(), 3u); // snapshot, backdrop, text

    viewer->dismiss(true);
    EXPECT_FALSE(viewer->textView());
    runFor(0.4);
    EXPECT_EQ(m_recorder->events.back(), "didDismiss");
}

TEST_F(ImageViewerControllerTest, OtherModesShowNothing)
{
    auto viewer = makeViewer(photoInfo(), 5, 1);
    viewer->showFromViewController(m_screen, 0);
    EXPECT_FALSE(m_screen->presentedViewController());
    EXPECT_FALSE(viewer->isViewLoaded());
    viewer->dismiss(true);
    runFor(0.4);
    EXPECT_TRUE(m_recorder->events.empty());
}

TEST_F(ImageViewerControllerTest, FailedDownloadWithoutPlaceholderDismissesAtTheEndOfThePresentation)
{
    auto info = ImageViewerInfo::create();
    info->imageURL = "ftp://127.0.0.1/no-request-for-this.png";
    info->referenceRect = m_grid->frame();
    info->referenceView = m_screen->view();
    auto viewer = makeViewer(info);
    EXPECT_FALSE(viewer->imageDownloadDataTask());
    viewer->showFromViewController(m_screen, 0);
    turn();
    EXPECT_TRUE(viewer->flags().imageDownloadFailed);
    // Aimed at the reference rectangle's size while there is no image, with the spinner showing.
    runFor(0.15);
    EXPECT_GT(shownAlpha(*viewer->progressContainer()), 0);
    runFor(0.2);
    EXPECT_FALSE(viewer->flags().isPresented);
    EXPECT_TRUE(viewer->flags().isDismissing);
    runFor(0.4);
    EXPECT_EQ(m_recorder->events.back(), "didDismiss");
    EXPECT_FALSE(m_screen->presentedViewController());
}

TEST_F(ImageViewerControllerTest, FailedDownloadKeepsThePlaceholder)
{
    auto info = photoInfo();
    info->placeholderImage = info->image;
    info->image = nullptr;
    info->imageURL = "ftp://127.0.0.1/x.png";
    auto viewer = makeViewer(info);
    EXPECT_EQ(viewer->image(), info->placeholderImage);
    present(viewer);
    EXPECT_FALSE(viewer->flags().imageDownloadFailed);
    EXPECT_TRUE(viewer->flags().isPresented);
    EXPECT_EQ(viewer->imageView()->image(), info->placeholderImage);
}

TEST_F(ImageViewerControllerTest, ArrivingImageIsLaidOutInPlaceOfTheReferenceSize)
{
    auto info = photoInfo();
    auto image = info->image;
    info->image = nullptr;
    auto viewer = makeViewer(info);
    present(viewer);
    expectRect(viewer->imageView()->frame(), {0, 0, 320, 228.57142857142858});
    viewer->updateInterfaceWithImage(image);
    EXPECT_EQ(viewer->image(), image);
    expectRect(viewer->imageView()->frame(), {0, 0, 320, 160});
    EXPECT_EQ(viewer->progressContainer()->alpha(), 0);
    EXPECT_EQ(viewer->imageView()->backgroundColor(), graphics::Color::clear());
}
