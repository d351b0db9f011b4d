#include "components/imageviewer/ImageViewerController.h"

#include "components/imageviewer/ImageViewerEffects.h"
#include "components/imageviewer/ImageViewerStatusBarAppearance.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/MotionEffect.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"

#include <cmath>

// The four ways in which the viewer leaves the screen, and the backdrop they take down.

using graphics::Rect;

namespace {

constexpr double kBlurOutset = 20;
constexpr double kBlurDrawingScale = 0.25;

std::shared_ptr<ui::ViewController> parentmostViewController(
    const std::shared_ptr<ui::ViewController>& controller)
{
    auto window = controller->isViewLoaded() ? controller->view()->window() : nullptr;
    auto current = window && window->rootViewController() ? window->rootViewController() : controller;
    while (current->presentedViewController())
        current = current->presentedViewController();
    return current;
}

} // namespace

void ImageViewerController::dismiss(bool)
{
    if (!m_flags.isPresented)
        return;
    m_flags.isPresented = false;
    if (m_mode == AltText) {
        dismissByExpandingAltTextToOffscreenPosition();
    } else if (m_mode == Image) {
        if (m_flags.imageIsFlickingAwayForDismissal)
            dismissByCleaningUpAfterImageWasFlickedOffscreen();
        else if (m_transition != FromOffscreen && m_startingInfo.startingReferenceFrameForThumbnail != Rect {}
            && m_image)
            dismissByCollapsingImageBackToOriginalPosition();
        else
            dismissByExpandingImageToOffscreenPosition();
    }
}

void ImageViewerController::beginDismissal()
{
    view()->setUserInteractionEnabled(false);
    m_flags.isAnimatingAPresentationOrDismissal = true;
    m_flags.isDismissing = true;
}

// The animation that every dismissal runs: the backdrop goes in 0.3 s with the kind's own
// changes, then the viewer leaves the presenting screen.
void ImageViewerController::runDismissalAnimation(
    std::function<void()> changes, bool restoresStatusBar, std::function<void()> beforeFinishing)
{
    auto self = sharedAs<ImageViewerController>();
    ui::View::animate(
        kAnimationDuration, 0, ui::AnimationOptions::BeginFromCurrentState,
        [&] {
            if (auto delegate = animationDelegate())
                delegate->imageViewerWillAnimateDismissal(*this, *view(), kAnimationDuration);
            m_snapshotView->setTransform(m_currentSnapshotRotationTransform);
            removeMotionEffectsFromSnapshotView();
            m_blackBackdrop->setAlpha(0);
            if (m_backgroundOptions & Blurred)
                m_blurredSnapshotView->setAlpha(0);
            changes();
            if (restoresStatusBar)
                updateStatusBar(m_startingInfo.statusBarHiddenPriorToPresentation);
        },
        [self, beforeFinishing = std::move(beforeFinishing)](bool) {
            if (beforeFinishing)
                beforeFinishing();
            self->finishDismissal();
        });
}

void ImageViewerController::finishDismissal()
{
    // Nothing is left to show progress on; a timer running on would hold the viewer for good when
    // no download will ever end it.
    cancelProgressTimer();
    auto self = sharedAs<ImageViewerController>();
    auto presenting = presentingViewController();
    auto tellDelegate = [self] {
        if (auto delegate = self->dismissalDelegate())
            delegate->imageViewerDidDismiss(*self);
    };
    if (presenting)
        presenting->dismissViewController(false, tellDelegate);
    else
        tellDelegate();
}

void ImageViewerController::dismissByCollapsingImageBackToOriginalPosition()
{
    beginDismissal();
    if (shouldFadeThumbnails()) {
        auto imageView = m_imageView;
        ui::View::animate(
            0.15, 0.18, ui::AnimationOptions::None, [imageView] { imageView->setAlpha(0); }, {});
    }
    // Out of the scroll view without a visible jump.
    Rect frame = m_scrollView->convertRectToView(m_imageView->frame(), view().get());
    m_imageView->setAutoresizingMask(ui::Autoresizing::None);
    m_imageView->setTransform({});
    m_imageView->removeFromSuperview();
    m_imageView->setFrame(frame);
    view()->addSubview(m_imageView);
    m_scrollView->removeFromSuperview();
    m_scrollView.reset();

    if (auto delegate = animationDelegate())
        delegate->imageViewerWillBeginDismissal(*this, *view());
    auto self = sharedAs<ImageViewerController>();
    auto collapse = [self] {
        auto& layer = self->m_imageView->layer();
        auto corner = ui::BasicAnimation::create("cornerRadius");
        corner->setTimingFunction(ui::TimingFunction::easeInEaseOut());
        corner->setFromValue(ui::AnimationValue(0.0));
        corner->setToValue(ui::AnimationValue(self->m_imageInfo->referenceCornerRadius));
        corner->setDuration(kAnimationDuration);
        layer.addAnimation(corner, "cornerRadius");
        layer.setCornerRadius(self->m_imageInfo->referenceCornerRadius);

        bool sameOrientation = ui::Application::shared().statusBarOrientation()
            == self->m_startingInfo.startingInterfaceOrientation;
        const auto& starting = self->m_startingInfo;
        Rect target = starting.presentingViewControllerPresentedFromItsUnsupportedOrientation
            ? starting.startingReferenceFrameForThumbnailInPresentingViewControllersOriginalOrientation
            : starting.startingReferenceFrameForThumbnail;
        self->runDismissalAnimation(
            [self, target, sameOrientation] {
                if (sameOrientation) {
                    self->m_imageView->setFrame(target);
                    return;
                }
                // Onto the thumbnail as the unrotated snapshot shows it; the status bar waits.
                auto center = self->m_snapshotView->convertRectToView(target, self->view().get()).center();
                self->m_imageView->setFrame(target);
                self->m_imageView->setTransform(self->m_currentSnapshotRotationTransform);
                self->m_imageView->setCenter(center);
            },
            sameOrientation,
            [self] {
                if (!ImageViewerStatusBarAppearance::iv_usesViewControllerBasedStatusBarAppearance())
                    ui::Application::shared().setStatusBarHidden(
                        self->m_startingInfo.statusBarHiddenPriorToPresentation,
                        ui::StatusBarAnimation::None);
            });
    };
    // Two turns of the main queue later, as the presentation.
    foundation::RunLoop::main().post([collapse] { foundation::RunLoop::main().post(collapse); });
}

void ImageViewerController::dismissByCleaningUpAfterImageWasFlickedOffscreen()
{
    beginDismissal();
    auto scrollView = m_scrollView;
    if (auto delegate = animationDelegate())
        delegate->imageViewerWillBeginDismissal(*this, *view());
    runDismissalAnimation([scrollView] { scrollView->setAlpha(0); }, true, {});
}

void ImageViewerController::dismissByExpandingImageToOffscreenPosition()
{
    beginDismissal();
    auto scrollView = m_scrollView;
    if (auto delegate = animationDelegate())
        delegate->imageViewerWillBeginDismissal(*this, *view());
    runDismissalAnimation(
        [scrollView] {
            scrollView->setAlpha(0);
            scrollView->setTransform(graphics::AffineTransform::makeScale(kOffscreenScale, kOffscreenScale));
        },
        true, {});
}

void ImageViewerController::dismissByExpandingAltTextToOffscreenPosition()
{
    beginDismissal();
    auto textSnapshot = render::Renderer::snapshotViewAfterScreenUpdates(*m_textView, true);
    textSnapshot->setFrame(m_textView->frame());
    m_textView->superview()->insertSubviewAbove(textSnapshot, m_textView);
    m_textView->removeFromSuperview();
    m_textView.reset();
    if (auto delegate = animationDelegate())
        delegate->imageViewerWillBeginDismissal(*this, *view());
    runDismissalAnimation(
        [textSnapshot] {
            textSnapshot->setAlpha(0);
            textSnapshot->setTransform(
                graphics::AffineTransform::makeScale(kOffscreenScale, kOffscreenScale));
        },
        true, {});
}

// The screen behind

std::shared_ptr<ui::View> ImageViewerController::snapshotFromParentmostViewController(
    const std::shared_ptr<ui::ViewController>& viewController)
{
    auto behind = parentmostViewController(viewController)->view();
    auto snapshot = render::Renderer::snapshotViewAfterScreenUpdates(*behind, true);
    // The picture is of the screen's own bounds, whatever turn its view has in the window.
    snapshot->setBounds({0, 0, behind->bounds().width(), behind->bounds().height()});
    snapshot->setClipsToBounds(false);
    return snapshot;
}

std::shared_ptr<ui::View> ImageViewerController::blurredSnapshotFromParentmostViewController(
    const std::shared_ptr<ui::ViewController>& viewController)
{
    auto behind = parentmostViewController(viewController)->view();
    behind->layoutIfNeeded();
    Rect bounds = behind->bounds();
    Rect outset = bounds.insetBy(-kBlurOutset, -kBlurOutset);
    double screenScale = ui::Screen::mainScreen().scale();
    // A quarter-size picture on an opaque canvas 20 pt larger each way: the blur then has
    // something to spread into at the edges, which the 0.94 scale would otherwise show.
    auto canvas = graphics::Image::create(int(std::ceil(outset.width() * kBlurDrawingScale * screenScale)),
        int(std::ceil(outset.height() * kBlurDrawingScale * screenScale)), screenScale);
    std::shared_ptr<graphics::Image> blurred;
    if (canvas) {
        canvas->fill(0xFF000000);
        canvas->setOpaque(true);
        auto picture = render::Renderer(screenScale * kBlurDrawingScale).renderView(*behind);
        graphics::GraphicsContext context(*canvas);
        context.translate(kBlurOutset * kBlurDrawingScale, kBlurOutset * kBlurDrawingScale);
        if (picture && picture->isBitmapBacked())
            context.drawImage(*picture,
                {bounds.minX(), bounds.minY(), bounds.width() * kBlurDrawingScale,
                    bounds.height() * kBlurDrawingScale});
        context.flush();
        blurred = ImageViewerEffects::IV_applyBlurWithRadius(
            *canvas, backgroundBlurRadius() * kBlurDrawingScale, std::nullopt, 1.0, nullptr);
    }
    auto imageView = ui::ImageView::create(outset);
    imageView->setImage(blurred);
    imageView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    imageView->setBackgroundColor(graphics::Color::black());
    return imageView;
}

void ImageViewerController::addMotionEffectsToSnapshotView()
{
    auto horizontal = ui::InterpolatingMotionEffect::create(
        "center.x", ui::InterpolatingMotionEffect::Type::TiltAlongHorizontalAxis);
    horizontal->setMinimumRelativeValue(kParallaxRelativeValue);
    horizontal->setMaximumRelativeValue(-kParallaxRelativeValue);
    auto vertical = ui::InterpolatingMotionEffect::create(
        "center.y", ui::InterpolatingMotionEffect::Type::TiltAlongVerticalAxis);
    vertical->setMinimumRelativeValue(kParallaxRelativeValue);
    vertical->setMaximumRelativeValue(-kParallaxRelativeValue);
    auto group = ui::MotionEffectGroup::create();
    group->setMotionEffects({horizontal, vertical});
    m_snapshotView->addMotionEffect(group);
}

void ImageViewerController::removeMotionEffectsFromSnapshotView()
{
    auto effects = m_snapshotView->motionEffects();
    for (const auto& effect : effects)
        m_snapshotView->removeMotionEffect(effect);
}
