#pragma once

#include "components/imageviewer/ImageViewerController.h"
#include "components/imageviewer/ImageViewerStatusBarAppearance.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"

// Reaches what the viewer keeps to itself: its recognisers and the end of a pan.
class ImageViewerControllerTestApi {
public:
    explicit ImageViewerControllerTestApi(ImageViewerController& viewer)
        : m_viewer(viewer)
    { }
    ui::GestureRecognizer& panRecognizer() { return *m_viewer.m_panRecognizer; }
    ui::GestureRecognizer& singleTapperPhoto() { return *m_viewer.m_singleTapperPhoto; }
    ui::GestureRecognizer& doubleTapperPhoto() { return *m_viewer.m_doubleTapperPhoto; }
    ui::GestureRecognizer& longPresserPhoto() { return *m_viewer.m_longPresserPhoto; }
    void panEnded(graphics::Point velocity) { m_viewer.panEnded(velocity); }
    void startImageDragging(graphics::Point location) { m_viewer.startImageDragging(location, {}); }
    void setDragging(bool dragging) { m_viewer.m_flags.isDraggingImage = dragging; }

private:
    ImageViewerController& m_viewer;
};

namespace mivo::test {

// Records what the viewer tells its delegates and answers the interaction questions.
class InteractionRecorder final : public ImageViewerControllerDismissalDelegate,
                                  public ImageViewerControllerInteractionsDelegate,
                                  public ImageViewerControllerAnimationDelegate,
                                  public ImageViewerControllerAccessibilityDelegate {
public:
    int dismissals = 0;
    std::vector<graphics::Rect> longPresses;
    std::vector<double> zoomAdjustments;
    std::optional<bool> allowCopy;
    std::optional<bool> ignoreTouches;
    std::optional<std::string> zoomedInHint;

    void imageViewerDidDismiss(ImageViewerController&) override { ++dismissals; }
    bool imageViewerDidLongPress(ImageViewerController&, graphics::Rect rect) override
    {
        longPresses.push_back(rect);
        return true;
    }
    std::optional<bool> imageViewerShouldTemporarilyIgnoreTouches(ImageViewerController&) override
    {
        return ignoreTouches;
    }
    std::optional<bool> imageViewerAllowCopyToPasteboard(ImageViewerController&) override
    {
        return allowCopy;
    }
    void imageViewerWillAdjustInterfaceForZoomScale(
        ImageViewerController&, double zoomScale, ui::View&, double) override
    {
        zoomAdjustments.push_back(zoomScale);
    }
    std::optional<std::string> accessibilityHintZoomedInForImageViewer(ImageViewerController&) override
    {
        return zoomedInHint;
    }
};

// A phone screen with a 1000 x 500 photo open in the viewer: at rest it is laid out at
// (0, 0, 320, 160) in the scroll view with 204 points above and below.
class ImageViewerInteractionTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ImageViewerStatusBarAppearance::overrideForTesting(false);
        ui::MenuController::sharedMenuController().resetForTesting();
        ui::Pasteboard::generalPasteboard().resetForTesting();
        m_window = keyWindow();
        m_screen = ui::ViewController::create();
        m_window->setRootViewController(m_screen);
        m_recorder = std::make_shared<InteractionRecorder>();
    }
    void TearDown() override
    {
        ui::MenuController::sharedMenuController().resetForTesting();
        ui::Pasteboard::generalPasteboard().resetForTesting();
        ImageViewerStatusBarAppearance::overrideForTesting(std::nullopt);
        ui::Device::currentDevice().reset();
        UiTest::TearDown();
    }

    std::shared_ptr<ImageViewerInfo> photoInfo()
    {
        auto info = ImageViewerInfo::create();
        info->image = graphics::Image::create(1000, 500);
        info->referenceRect = {20, 100, 280, 200};
        info->referenceView = m_screen->view();
        return info;
    }

    std::shared_ptr<ImageViewerController> open(std::shared_ptr<ImageViewerInfo> info = nullptr)
    {
        auto viewer = ImageViewerController::create(info ? std::move(info) : photoInfo(), 0, 1);
        viewer->setDismissalDelegate(m_recorder);
        viewer->setInteractionsDelegate(m_recorder);
        viewer->setAnimationDelegate(m_recorder);
        viewer->setAccessibilityDelegate(m_recorder);
        viewer->showFromViewController(m_screen, 0);
        runFor(0.4);
        return viewer;
    }

    // One finger from `from` to `to` in `steps` moves of 1/60 s, then lifted there.
    void drag(graphics::Point from, graphics::Point to, int steps, bool lift = true)
    {
        auto touch = app().touchDown(from);
        for (int i = 1; i <= steps; ++i) {
            runFor(1.0 / 60);
            app().touchMoved(touch, graphics::lerp(from, to, double(i) / steps));
        }
        m_heldTouch = touch;
        if (lift)
            app().touchUp(touch, to);
    }
    void doubleTapAt(graphics::Point p)
    {
        tapAt(p);
        runFor(0.1);
        tapAt(p);
        turn();
    }

    static double shownAlpha(const ui::View& view) { return view.layer().presentation().opacity; }

    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<ui::ViewController> m_screen;
    std::shared_ptr<InteractionRecorder> m_recorder;
    std::shared_ptr<ui::Touch> m_heldTouch;
};

} // namespace mivo::test
