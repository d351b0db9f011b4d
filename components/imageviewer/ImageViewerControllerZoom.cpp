#include "components/imageviewer/ImageViewerController.h"

#include "platform/ui/ImageView.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Transaction.h"

#include <cmath>

// How the image zooms: the scroll view's callbacks that keep it centred and the backdrop dimmed in
// step, the double tap in and out, the taps that close the viewer, and the gesture delegate.

using graphics::Point;
using graphics::Rect;
using graphics::Size;

std::shared_ptr<ui::View> ImageViewerController::viewForZoomingInScrollView(ui::ScrollView&)
{
    return m_imageView;
}

void ImageViewerController::scrollViewDidZoom(ui::ScrollView& scrollView)
{
    if (m_flags.imageIsFlickingAwayForDismissal)
        return;
    setScrollViewContentInset(contentInsetForScrollView(scrollView.zoomScale()));
    if (!scrollView.isScrollEnabled())
        scrollView.setScrollEnabled(true);
    if (!m_flags.isAnimatingAPresentationOrDismissal && !m_flags.isManuallyResizingTheScrollViewFrame)
        updateDimmingViewForCurrentZoomScale(true);
}

void ImageViewerController::scrollViewDidEndZooming(ui::ScrollView& scrollView, ui::View*, double scale)
{
    if (m_flags.imageIsFlickingAwayForDismissal)
        return;
    scrollView.setScrollEnabled(scale > 1.0);
    setScrollViewContentInset(contentInsetForScrollView(scale));
}

// A fast swipe of the scroll view's own pan at the resting zoom closes the viewer.
void ImageViewerController::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool)
{
    if (m_flags.imageIsFlickingAwayForDismissal)
        return;
    auto& pan = *scrollView.panGestureRecognizer();
    Point velocity = pan.velocityInView(pan.view().get());
    if (scrollView.zoomScale() == 1.0
        && (std::abs(float(velocity.x)) > kScrollDismissalSpeed
            || std::abs(float(velocity.y)) > kScrollDismissalSpeed))
        dismiss(true);
}

void ImageViewerController::updateDimmingViewForCurrentZoomScale(bool animated)
{
    if (!m_blackBackdrop)
        return;
    double zoomScale = m_scrollView ? m_scrollView->zoomScale() : 1.0;
    double target = zoomScale > 1.0 ? 1.0 : alphaForBackgroundDimmingOverlay();
    double duration = animated ? kDimmingAdjustmentDuration : 0;
    ui::View::animate(duration, 0,
        ui::AnimationOptions::BeginFromCurrentState | ui::AnimationOptions::CurveLinear,
        [&] {
            if (auto delegate = animationDelegate())
                delegate->imageViewerWillAdjustInterfaceForZoomScale(*this, zoomScale, *view(), duration);
            m_blackBackdrop->setAlpha(target);
        },
        {});
}

void ImageViewerController::imageDoubleTapped(ui::GestureRecognizer& recognizer)
{
    if (m_flags.scrollViewIsAnimatingAZoom || !m_scrollView)
        return;
    Point point = recognizer.locationInView(m_scrollView.get());
    Size bounds = view()->bounds().size;
    Size size;
    graphics::EdgeInsets targetInset;
    if (m_scrollView->zoomScale() == 1.0) {
        m_scrollView->setAccessibilityHint(accessibilityHintZoomedIn());
        size = {bounds.width / kDoubleTapZoomFactor, bounds.height / kDoubleTapZoomFactor};
        targetInset = contentInsetForScrollView(kDoubleTapZoomFactor);
    } else {
        m_scrollView->setAccessibilityHint(accessibilityHintZoomedOut());
        double zoomScale = m_scrollView->zoomScale();
        size = {bounds.width * zoomScale, bounds.height * zoomScale};
        targetInset = contentInsetForScrollView(1.0);
    }
    view()->setUserInteractionEnabled(false);
    m_flags.scrollViewIsAnimatingAZoom = true;

    auto self = sharedAs<ImageViewerController>();
    ui::Transaction::begin();
    ui::Transaction::setCompletionBlock([self, targetInset] {
        if (self->m_scrollView)
            self->setScrollViewContentInset(targetInset);
        self->view()->setUserInteractionEnabled(true);
        self->m_flags.scrollViewIsAnimatingAZoom = false;
    });
    m_scrollView->zoomToRect(
        Rect {point.x - size.width / 2, point.y - size.height / 2, size.width, size.height}, true);
    ui::Transaction::commit();
}

void ImageViewerController::imageSingleTapped(ui::GestureRecognizer&)
{
    if (m_flags.scrollViewIsAnimatingAZoom)
        return;
    dismiss(true);
}

void ImageViewerController::textViewSingleTapped(ui::GestureRecognizer&)
{
    dismiss(true);
}

std::optional<bool> ImageViewerController::gestureRecognizerShouldReceiveTouch(
    ui::GestureRecognizer& recognizer, ui::Touch&)
{
    if (auto delegate = interactionsDelegate();
        delegate && delegate->imageViewerShouldTemporarilyIgnoreTouches(*this).value_or(false))
        return false;
    if (&recognizer != m_panRecognizer.get())
        return true;
    // A zoomed image is panned by the scroll view itself.
    return m_scrollView && m_scrollView->zoomScale() == 1.0 && !m_flags.scrollViewIsAnimatingAZoom;
}

// A tap on the text waits for the text view's own recognisers to fail.
std::optional<bool> ImageViewerController::gestureRecognizerShouldRequireFailureOf(
    ui::GestureRecognizer& recognizer, ui::GestureRecognizer&)
{
    return &recognizer == m_singleTapperText.get();
}
