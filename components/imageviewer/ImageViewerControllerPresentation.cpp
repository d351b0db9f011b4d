#include "components/imageviewer/ImageViewerController.h"

#include "components/imageviewer/ImageViewerLayout.h"
#include "components/imageviewer/ImageViewerStatusBarAppearance.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TextView.h"

// The three ways in which the viewer comes on screen.

void ImageViewerController::showFromViewController(
    const std::shared_ptr<ui::ViewController>& viewController, int64_t transition)
{
    if (!viewController)
        return;
    m_transition = transition;
    auto& app = ui::Application::shared();
    m_startingInfo.statusBarHiddenPriorToPresentation = app.isStatusBarHidden();
    m_startingInfo.statusBarStylePriorToPresentation = app.statusBarStyle();
    if (m_mode == Image && transition == FromOffscreen)
        showImageViewerByScalingDownFromOffscreenPositionWithViewController(viewController);
    else if (m_mode == Image)
        showImageViewerByExpandingFromOriginalPositionFromViewController(viewController);
    else if (m_mode == AltText)
        showAltTextFromViewController(viewController);
}

void ImageViewerController::updateStatusBar(bool hidden)
{
    if (ImageViewerStatusBarAppearance::iv_usesViewControllerBasedStatusBarAppearance())
        setNeedsStatusBarAppearanceUpdate();
    else
        ui::Application::shared().setStatusBarHidden(hidden, ui::StatusBarAnimation::Fade);
}

void ImageViewerController::beginPresentation(const std::shared_ptr<ui::ViewController>& viewController)
{
    m_flags.isAnimatingAPresentationOrDismissal = true;
    view()->setUserInteractionEnabled(false);
    m_snapshotView = snapshotFromParentmostViewController(viewController);
    if (m_backgroundOptions & Blurred) {
        m_blurredSnapshotView = blurredSnapshotFromParentmostViewController(viewController);
        m_blurredSnapshotView->setAlpha(0);
        m_snapshotView->addSubview(m_blurredSnapshotView);
    }
    view()->insertSubview(m_snapshotView, 0);
    auto orientation = ui::Application::shared().statusBarOrientation();
    m_startingInfo.startingInterfaceOrientation = orientation;
    m_lastUsedOrientation = orientation;
    const auto& info = *m_imageInfo;
    m_referenceRectInWindow = info.referenceView
        ? info.referenceView->convertRectToView(info.referenceRect, nullptr)
        : info.referenceRect;
    m_startingInfo.startingReferenceFrameForThumbnailInPresentingViewControllersOriginalOrientation
        = view()->convertRectFromView(m_referenceRectInWindow, nullptr);
}

void ImageViewerController::markPresentationUnsupportedOrientation()
{
    if (ui::Application::shared().statusBarOrientation() != m_startingInfo.startingInterfaceOrientation)
        m_startingInfo.presentingViewControllerPresentedFromItsUnsupportedOrientation = true;
}

// What every presentation's main animation does to the backdrop and the status bar.
void ImageViewerController::presentationCommonChanges()
{
    if (auto delegate = animationDelegate())
        delegate->imageViewerWillAnimatePresentation(*this, *view(), kAnimationDuration);
    m_flags.isTransitioningFromInitialModalToInteractiveState = true;
    updateStatusBar(true);
    double scale = ImageViewerLayout::snapshotScale(m_backgroundOptions);
    m_snapshotView->setTransform(
        m_snapshotView->transform().concatenated(graphics::AffineTransform::makeScale(scale, scale)));
    if (m_backgroundOptions & Blurred)
        m_blurredSnapshotView->setAlpha(1);
    if (m_backgroundOptions & Scaled)
        addMotionEffectsToSnapshotView();
    m_blackBackdrop->setAlpha(alphaForBackgroundDimmingOverlay());
}

void ImageViewerController::showImageViewerByExpandingFromOriginalPositionFromViewController(
    const std::shared_ptr<ui::ViewController>& viewController)
{
    beginPresentation(viewController);
    if (m_imageInfo->referenceContentMode != 0)
        m_imageView->setContentMode(ui::ContentMode(m_imageInfo->referenceContentMode));
    view()->addSubview(m_imageView);

    auto self = sharedAs<ImageViewerController>();
    auto mainAnimation = [self](bool rotated) {
        auto& imageLayer = self->m_imageView->layer();
        auto corner = ui::BasicAnimation::create("cornerRadius");
        corner->setTimingFunction(ui::TimingFunction::easeInEaseOut());
        corner->setFromValue(ui::AnimationValue(imageLayer.cornerRadius()));
        corner->setToValue(ui::AnimationValue(0.0));
        corner->setDuration(kAnimationDuration);
        imageLayer.addAnimation(corner, "cornerRadius");
        imageLayer.setCornerRadius(0);

        ui::View::animate(
            kAnimationDuration, 0, ui::AnimationOptions::BeginFromCurrentState,
            [&] {
                self->presentationCommonChanges();
                if (rotated)
                    self->m_imageView->setTransform({});
                graphics::Size size
                    = self->m_image ? self->m_image->size() : self->m_imageInfo->referenceRect.size;
                self->m_imageView->setFrame(self->resizedFrameForAutorotatingImageView(size));
                graphics::Size bounds = self->view()->bounds().size;
                self->m_imageView->setCenter({bounds.width / 2, bounds.height / 2});
                if (!self->m_image)
                    self->m_progressContainer->setAlpha(1);
            },
            [self](bool) {
                self->m_flags.isManuallyResizingTheScrollViewFrame = true;
                self->m_scrollView->setFrame(self->view()->bounds());
                self->m_flags.isManuallyResizingTheScrollViewFrame = false;
                self->m_scrollView->addSubview(self->m_imageView);
                self->m_flags.isTransitioningFromInitialModalToInteractiveState = false;
                self->m_flags.isAnimatingAPresentationOrDismissal = false;
                self->m_flags.isPresented = true;
                self->updateScrollViewAndImageViewForCurrentMetrics();
                if (self->m_flags.imageDownloadFailed)
                    self->dismiss(true);
                else
                    self->view()->setUserInteractionEnabled(true);
            });
    };

    viewController->presentViewController(self, false, [self, mainAnimation] {
        self->markPresentationUnsupportedOrientation();
        bool rotated = ui::Application::shared().statusBarOrientation()
            != self->m_startingInfo.startingInterfaceOrientation;
        auto& imageView = *self->m_imageView;
        graphics::Rect thumbnail = self->view()->convertRectFromView(self->m_referenceRectInWindow, nullptr);
        self->m_startingInfo.startingReferenceFrameForThumbnail = thumbnail;
        imageView.setFrame(thumbnail);
        imageView.layer().setCornerRadius(self->m_imageInfo->referenceCornerRadius);
        self->updateScrollViewAndImageViewForCurrentMetrics();
        if (rotated) {
            imageView.setFrame(self->m_snapshotView->convertRectToView(thumbnail, self->view().get()));
            self->updateScrollViewAndImageViewForCurrentMetrics();
            imageView.setTransform(self->m_snapshotView->transform());
            imageView.setCenter(thumbnail.center());
        }
        if (self->shouldFadeThumbnails()) {
            imageView.setAlpha(0);
            ui::View::animate(kThumbnailFadeDuration, [self] { self->m_imageView->setAlpha(1); });
        }
        if (auto delegate = self->animationDelegate())
            delegate->imageViewerWillBeginPresentation(*self, *self->view());
        // Two turns of the main queue later, once the first frame of the viewer is on screen.
        foundation::RunLoop::main().post([mainAnimation, rotated] {
            foundation::RunLoop::main().post([mainAnimation, rotated] { mainAnimation(rotated); });
        });
    });
}

void ImageViewerController::showImageViewerByScalingDownFromOffscreenPositionWithViewController(
    const std::shared_ptr<ui::ViewController>& viewController)
{
    beginPresentation(viewController);
    m_scrollView->addSubview(m_imageView);

    auto self = sharedAs<ImageViewerController>();
    viewController->presentViewController(self, false, [self] {
        self->markPresentationUnsupportedOrientation();
        auto& scrollView = *self->m_scrollView;
        scrollView.setAlpha(0);
        scrollView.setFrame(self->view()->bounds());
        self->updateScrollViewAndImageViewForCurrentMetrics();
        scrollView.setTransform(graphics::AffineTransform::makeScale(kOffscreenScale, kOffscreenScale));
        if (auto delegate = self->animationDelegate())
            delegate->imageViewerWillBeginPresentation(*self, *self->view());
        foundation::RunLoop::main().post([self] {
            ui::View::animate(
                kAnimationDuration, 0, ui::AnimationOptions::BeginFromCurrentState,
                [&] {
                    self->presentationCommonChanges();
                    self->m_scrollView->setAlpha(1);
                    self->m_scrollView->setTransform({});
                    if (!self->m_image)
                        self->m_progressContainer->setAlpha(1);
                },
                [self](bool) {
                    self->m_flags.isTransitioningFromInitialModalToInteractiveState = false;
                    self->m_flags.isAnimatingAPresentationOrDismissal = false;
                    self->view()->setUserInteractionEnabled(true);
                    self->m_flags.isPresented = true;
                    if (self->m_flags.imageDownloadFailed)
                        self->dismiss(true);
                });
        });
    });
}

void ImageViewerController::showAltTextFromViewController(
    const std::shared_ptr<ui::ViewController>& viewController)
{
    beginPresentation(viewController);

    auto self = sharedAs<ImageViewerController>();
    viewController->presentViewController(self, false, [self] {
        self->markPresentationUnsupportedOrientation();
        self->verticallyCenterTextInTextView();
        auto& textView = *self->m_textView;
        auto textSnapshot = render::Renderer::snapshotViewAfterScreenUpdates(textView, true);
        textSnapshot->setFrame(textView.frame());
        textView.superview()->insertSubviewAbove(textSnapshot, self->m_textView);
        textView.setHidden(true);
        textSnapshot->setAlpha(0);
        textSnapshot->setTransform(graphics::AffineTransform::makeScale(kOffscreenScale, kOffscreenScale));
        if (auto delegate = self->animationDelegate())
            delegate->imageViewerWillBeginPresentation(*self, *self->view());
        foundation::RunLoop::main().post([self, textSnapshot] {
            ui::View::animate(
                kAnimationDuration, 0, ui::AnimationOptions::BeginFromCurrentState,
                [&] {
                    self->presentationCommonChanges();
                    textSnapshot->setAlpha(1);
                    textSnapshot->setTransform({});
                },
                [self, textSnapshot](bool) {
                    textSnapshot->removeFromSuperview();
                    self->m_textView->setHidden(false);
                    self->m_flags.isTransitioningFromInitialModalToInteractiveState = false;
                    self->m_flags.isAnimatingAPresentationOrDismissal = false;
                    self->view()->setUserInteractionEnabled(true);
                    self->m_flags.isPresented = true;
                });
        });
    });
}
