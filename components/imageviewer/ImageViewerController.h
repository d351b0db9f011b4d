#pragma once

#include "components/imageviewer/ImageViewerControllerDelegates.h"
#include "components/imageviewer/ImageViewerInfo.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace foundation {
class Timer;
}
namespace graphics {
class Image;
}
namespace net {
class UrlSessionDataTask;
}
namespace ui {
class ActivityIndicatorView;
class AttachmentBehavior;
class DynamicAnimator;
class GestureRecognizer;
class ImageView;
class ProgressView;
} // namespace ui

// The full-screen image viewer. It presents itself over a screen without the platform's
// animation, over a dimmed (optionally shrunken, tilting and blurred) snapshot of that screen,
// and animates its own way in: the image grows out of the thumbnail's rectangle (transition 0),
// shrinks in from beyond the screen (transition 1), or the alt text shrinks into place (mode 1).
// It leaves by collapsing back into the thumbnail, by growing and fading away, or after the
// image was flung off screen. One viewer shows once: make a new one for every showing.
class ImageViewerController final : public ui::ViewController,
                                    public ui::ScrollViewDelegate,
                                    public ui::TextViewDelegate,
                                    public ui::GestureRecognizerDelegate {
public:
    enum Mode : int64_t { Image = 0, AltText = 1 };
    // Bits of the background options.
    enum BackgroundOption : int64_t { None = 0, Scaled = 1, Blurred = 2 };
    enum Transition : int64_t { FromOriginalPosition = 0, FromOffscreen = 1 };

    static constexpr double kAnimationDuration = double(0.3f);
    static constexpr double kThumbnailFadeDuration = double(0.15f);
    static constexpr double kDefaultDimmingAlpha = 0.66;
    static constexpr double kDefaultBlurRadius = 2.0;
    static constexpr double kOffscreenScale = 1.25;
    static constexpr double kParallaxRelativeValue = 12;
    static constexpr double kHalfTurnRotationDuration = 0.6;
    static constexpr const char* kAccessibilityLabel = "图片";

    // Zoom and taps.
    static constexpr double kDoubleTapZoomFactor = 3.0;
    static constexpr float kScrollDismissalSpeed = 1600;
    static constexpr double kDimmingAdjustmentDuration = 0.35;
    // Drag and flick.
    static constexpr float kFlickSpeed = 800;
    static constexpr double kPushVelocityFactor = 0.1;
    static constexpr double kReferenceScreenArea = 320 * 480;
    static constexpr double kAngularResistanceFactor = 4.0;
    static constexpr double kDensityFactor = 0.5;
    static constexpr double kSpringBackDuration = 0.7;
    static constexpr double kSpringBackDamping = 0.7;
    // Download progress.
    static constexpr double kProgressTimerInterval = 0.05;
    static constexpr double kProgressFadeDuration = 0.25;

    // The view loads at the presentation; in image mode the image is chosen (and a download
    // started when the info has none) at once.
    static std::shared_ptr<ImageViewerController> create(
        std::shared_ptr<ImageViewerInfo> imageInfo, int64_t mode, int64_t backgroundStyle);
    ImageViewerController(std::shared_ptr<ImageViewerInfo> imageInfo, int64_t mode, int64_t backgroundStyle);
    ~ImageViewerController() override;

    const char* className() const override { return "ImageViewerController"; }

    void showFromViewController(
        const std::shared_ptr<ui::ViewController>& viewController, int64_t transition);
    // Every dismissal animates; `animated` is accepted for the callers' sake. Does nothing unless
    // presented, and only the first call counts.
    void dismiss(bool animated);

    const std::shared_ptr<ImageViewerInfo>& imageInfo() const { return m_imageInfo; }
    const std::shared_ptr<graphics::Image>& image() const { return m_image; }
    int64_t mode() const { return m_mode; }
    int64_t backgroundOptions() const { return m_backgroundOptions; }
    int64_t transition() const { return m_transition; }

    // The delegates, held weakly; none is set unless a caller sets it.
    std::shared_ptr<ImageViewerControllerDismissalDelegate> dismissalDelegate() const
    {
        return m_dismissalDelegate.lock();
    }
    void setDismissalDelegate(std::weak_ptr<ImageViewerControllerDismissalDelegate> delegate)
    {
        m_dismissalDelegate = std::move(delegate);
    }
    std::shared_ptr<ImageViewerControllerOptionsDelegate> optionsDelegate() const
    {
        return m_optionsDelegate.lock();
    }
    void setOptionsDelegate(std::weak_ptr<ImageViewerControllerOptionsDelegate> delegate)
    {
        m_optionsDelegate = std::move(delegate);
    }
    std::shared_ptr<ImageViewerControllerInteractionsDelegate> interactionsDelegate() const
    {
        return m_interactionsDelegate.lock();
    }
    void setInteractionsDelegate(std::weak_ptr<ImageViewerControllerInteractionsDelegate> delegate)
    {
        m_interactionsDelegate = std::move(delegate);
    }
    std::shared_ptr<ImageViewerControllerAccessibilityDelegate> accessibilityDelegate() const
    {
        return m_accessibilityDelegate.lock();
    }
    void setAccessibilityDelegate(std::weak_ptr<ImageViewerControllerAccessibilityDelegate> delegate)
    {
        m_accessibilityDelegate = std::move(delegate);
    }
    std::shared_ptr<ImageViewerControllerAnimationDelegate> animationDelegate() const
    {
        return m_animationDelegate.lock();
    }
    void setAnimationDelegate(std::weak_ptr<ImageViewerControllerAnimationDelegate> delegate)
    {
        m_animationDelegate = std::move(delegate);
    }

    // The options with their defaults.
    double alphaForBackgroundDimmingOverlay();
    double backgroundBlurRadius();
    graphics::Color backgroundColorForImageView();

    struct StartingInfo {
        bool statusBarHiddenPriorToPresentation {false};
        ui::StatusBarStyle statusBarStylePriorToPresentation {ui::StatusBarStyle::Default};
        graphics::Rect startingReferenceFrameForThumbnail;
        graphics::Rect startingReferenceFrameForThumbnailInPresentingViewControllersOriginalOrientation;
        graphics::Point startingReferenceCenterForThumbnail;
        ui::InterfaceOrientation startingInterfaceOrientation {ui::InterfaceOrientation::Unknown};
        bool presentingViewControllerPresentedFromItsUnsupportedOrientation {false};
    };
    struct Flags {
        bool isAnimatingAPresentationOrDismissal {false};
        bool isDismissing {false};
        bool isTransitioningFromInitialModalToInteractiveState {false};
        bool viewHasAppeared {false};
        bool isRotating {false};
        bool isPresented {false};
        bool rotationTransformIsDirty {false};
        bool imageIsFlickingAwayForDismissal {false};
        bool isDraggingImage {false};
        bool scrollViewIsAnimatingAZoom {false};
        bool imageIsBeingReadFromDisk {false};
        bool isManuallyResizingTheScrollViewFrame {false};
        bool imageDownloadFailed {false};
    };
    const StartingInfo& startingInfo() const { return m_startingInfo; }
    const Flags& flags() const { return m_flags; }
    ui::InterfaceOrientation lastUsedOrientation() const { return m_lastUsedOrientation; }
    const graphics::AffineTransform& currentSnapshotRotationTransform() const
    {
        return m_currentSnapshotRotationTransform;
    }

    // Views, for the interaction code and tests; null where the mode or the moment has none.
    const std::shared_ptr<ui::View>& snapshotView() const { return m_snapshotView; }
    const std::shared_ptr<ui::View>& blurredSnapshotView() const { return m_blurredSnapshotView; }
    const std::shared_ptr<ui::View>& blackBackdrop() const { return m_blackBackdrop; }
    const std::shared_ptr<ui::ScrollView>& scrollView() const { return m_scrollView; }
    const std::shared_ptr<ui::ImageView>& imageView() const { return m_imageView; }
    const std::shared_ptr<ui::TextView>& textView() const { return m_textView; }
    const std::shared_ptr<ui::View>& progressContainer() const { return m_progressContainer; }
    const std::shared_ptr<net::UrlSessionDataTask>& imageDownloadDataTask() const
    {
        return m_imageDownloadDataTask;
    }

    const std::shared_ptr<ui::DynamicAnimator>& animator() const { return m_animator; }
    const std::shared_ptr<ui::AttachmentBehavior>& attachmentBehavior() const { return m_attachmentBehavior; }
    const std::shared_ptr<ui::ProgressView>& progressView() const { return m_progressView; }
    const std::shared_ptr<ui::ActivityIndicatorView>& spinner() const { return m_spinner; }
    const std::shared_ptr<foundation::Timer>& downloadProgressTimer() const
    {
        return m_downloadProgressTimer;
    }

    // Layout.
    void updateInterfaceWithImage(const std::shared_ptr<graphics::Image>& image);
    void updateLayoutsForCurrentOrientation();
    void updateScrollViewAndImageViewForCurrentMetrics();
    void verticallyCenterTextInTextView();
    // Sets the scroll view's inset and brings its offset back within the new range.
    void setScrollViewContentInset(graphics::EdgeInsets inset);
    graphics::EdgeInsets contentInsetForScrollView(double targetZoomScale);
    graphics::Rect resizedFrameForAutorotatingImageView(graphics::Size imageSize);

    // Platform overrides.
    void loadView() override;
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    uint32_t supportedInterfaceOrientations() const override;
    bool shouldAutorotate() const override;
    bool prefersStatusBarHidden() const override;
    ui::StatusBarStyle preferredStatusBarStyle() const override;
    ui::StatusBarAnimation preferredStatusBarUpdateAnimation() const override;
    void willRotateToInterfaceOrientation(ui::InterfaceOrientation orientation, double duration) override;
    void willAnimateRotationToInterfaceOrientation(
        ui::InterfaceOrientation orientation, double duration) override;
    void viewWillTransitionToSize(graphics::Size size, ui::TransitionCoordinator& coordinator) override;

    // Zoom (ImageViewerControllerZoom.cpp).
    std::shared_ptr<ui::View> viewForZoomingInScrollView(ui::ScrollView& scrollView) override;
    void scrollViewDidZoom(ui::ScrollView& scrollView) override;
    void scrollViewDidEndZooming(ui::ScrollView& scrollView, ui::View* view, double scale) override;
    void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
    void updateDimmingViewForCurrentZoomScale(bool animated);
    std::optional<bool> gestureRecognizerShouldReceiveTouch(ui::GestureRecognizer&, ui::Touch&) override;
    std::optional<bool> gestureRecognizerShouldRequireFailureOf(
        ui::GestureRecognizer& recognizer, ui::GestureRecognizer& other) override;

    // Drag and flick (ImageViewerControllerDrag.cpp).
    void startImageDragging(graphics::Point location, graphics::Offset translationOffset);
    void cancelCurrentImageDrag(bool animated);
    void dismissImageWithFlick(graphics::Point velocity);
    double appropriateAngularResistanceForView(const ui::View& view);
    double appropriateDensityForView(const ui::View& view);
    bool imageViewIsOffscreen();
    static graphics::Point targetDismissalPoint(graphics::Point start, graphics::Point velocity);
    // Whether a release at this velocity (points per second) flings: its length, in single
    // precision, above kFlickSpeed.
    static bool isFlickVelocity(graphics::Point velocity);

    // Download progress, copy menu and accessibility (ImageViewerControllerProgress.cpp).
    void startProgressTimer();
    void cancelProgressTimer();
    void progressTimerFired(foundation::Timer& timer);
    // The bar's value for a download: nullopt while the length is unknown or the file is read from
    // disk (the spinner stays and the bar is empty).
    static std::optional<float> downloadProgress(int64_t received, int64_t expected, bool readingFromDisk);
    bool canBecomeFirstResponder() const override;
    bool canPerformAction(ui::EditAction action, const ui::Responder* sender) const override;
    void copy(const ui::Responder* sender) override;
    std::string accessibilityHintZoomedOut();
    std::string accessibilityHintZoomedIn();
    static std::string defaultAccessibilityHintForScrollView(bool zoomedIn);
    static std::string defaultAccessibilityLabelForScrollView();

private:
    friend class ImageViewerControllerTestApi;

    void setupImageModeGestureRecognizers();
    void setupTextViewTapGestureRecognizer();
    void imageSingleTapped(ui::GestureRecognizer& recognizer);
    void imageDoubleTapped(ui::GestureRecognizer& recognizer);
    void imageLongPressed(ui::GestureRecognizer& recognizer);
    void textViewSingleTapped(ui::GestureRecognizer& recognizer);
    void dismissingPanGestureRecognizerPanned(ui::GestureRecognizer& recognizer);
    // The end of a pan: flick, dismiss or spring back by the release velocity.
    void panEnded(graphics::Point velocity);

    void setupImageAndDownloadIfNecessary(const std::shared_ptr<ImageViewerInfo>& info);
    void setupContainerAndBackdrop();
    void viewDidLoadForImageMode();
    void viewDidLoadForAltTextMode();
    void deviceOrientationDidChange();
    graphics::Rect referenceRectInView();
    std::shared_ptr<ImageViewerControllerOptionsDelegate> options() const { return m_optionsDelegate.lock(); }
    bool shouldFadeThumbnails();
    // The status bar goes or comes back inside a presentation or dismissal animation.
    void updateStatusBar(bool hidden);

    // Presentation.
    void showImageViewerByExpandingFromOriginalPositionFromViewController(
        const std::shared_ptr<ui::ViewController>& viewController);
    void showImageViewerByScalingDownFromOffscreenPositionWithViewController(
        const std::shared_ptr<ui::ViewController>& viewController);
    void showAltTextFromViewController(const std::shared_ptr<ui::ViewController>& viewController);
    void beginPresentation(const std::shared_ptr<ui::ViewController>& viewController);
    void presentationCommonChanges();
    void markPresentationUnsupportedOrientation();

    // Dismissal.
    void dismissByCollapsingImageBackToOriginalPosition();
    void dismissByCleaningUpAfterImageWasFlickedOffscreen();
    void dismissByExpandingImageToOffscreenPosition();
    void dismissByExpandingAltTextToOffscreenPosition();
    void beginDismissal();
    void runDismissalAnimation(
        std::function<void()> changes, bool restoresStatusBar, std::function<void()> beforeFinishing);
    void finishDismissal();

    // The screen behind.
    std::shared_ptr<ui::View> snapshotFromParentmostViewController(
        const std::shared_ptr<ui::ViewController>&);
    std::shared_ptr<ui::View> blurredSnapshotFromParentmostViewController(
        const std::shared_ptr<ui::ViewController>&);
    void addMotionEffectsToSnapshotView();
    void removeMotionEffectsFromSnapshotView();

    std::shared_ptr<ImageViewerInfo> m_imageInfo;
    std::weak_ptr<ImageViewerControllerDismissalDelegate> m_dismissalDelegate;
    std::weak_ptr<ImageViewerControllerOptionsDelegate> m_optionsDelegate;
    std::weak_ptr<ImageViewerControllerInteractionsDelegate> m_interactionsDelegate;
    std::weak_ptr<ImageViewerControllerAccessibilityDelegate> m_accessibilityDelegate;
    std::weak_ptr<ImageViewerControllerAnimationDelegate> m_animationDelegate;
    std::shared_ptr<graphics::Image> m_image;
    int64_t m_mode {Image};
    int64_t m_backgroundOptions {None};
    int64_t m_transition {FromOriginalPosition};
    StartingInfo m_startingInfo;
    Flags m_flags;
    ui::InterfaceOrientation m_lastUsedOrientation {ui::InterfaceOrientation::Unknown};
    graphics::AffineTransform m_currentSnapshotRotationTransform;
    graphics::Rect m_referenceRectInWindow;

    std::shared_ptr<ui::View> m_snapshotView;
    std::shared_ptr<ui::View> m_blurredSnapshotView;
    std::shared_ptr<ui::View> m_blackBackdrop;
    std::shared_ptr<ui::ScrollView> m_scrollView;
    std::shared_ptr<ui::ImageView> m_imageView;
    std::shared_ptr<ui::TextView> m_textView;
    std::shared_ptr<ui::View> m_progressContainer;
    std::shared_ptr<ui::ProgressView> m_progressView;
    std::shared_ptr<ui::ActivityIndicatorView> m_spinner;

    std::shared_ptr<ui::GestureRecognizer> m_singleTapperPhoto;
    std::shared_ptr<ui::GestureRecognizer> m_doubleTapperPhoto;
    std::shared_ptr<ui::GestureRecognizer> m_longPresserPhoto;
    std::shared_ptr<ui::GestureRecognizer> m_panRecognizer;
    std::shared_ptr<ui::GestureRecognizer> m_singleTapperText;

    std::shared_ptr<ui::DynamicAnimator> m_animator;
    std::shared_ptr<ui::AttachmentBehavior> m_attachmentBehavior;
    graphics::Point m_imageDragStartingPoint;
    graphics::Offset m_imageDragOffsetFromActualTranslation;
    graphics::Offset m_imageDragOffsetFromImageCenter;

    std::shared_ptr<net::UrlSessionDataTask> m_imageDownloadDataTask;
    std::shared_ptr<foundation::Timer> m_downloadProgressTimer;
    uint64_t m_orientationObserver {0};
};
