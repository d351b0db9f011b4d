#include "components/imageviewer/ImageViewerController.h"

#include "components/imageviewer/ImageViewerLayout.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TextView.h"

#include <algorithm>

// How the viewer lays itself out for the current size and orientation.

void ImageViewerController::updateInterfaceWithImage(const std::shared_ptr<graphics::Image>& image)
{
    if (!image)
        return;
    m_image = image;
    m_imageView->setImage(image);
    ui::View::performWithoutAnimation([&] { m_progressContainer->setAlpha(0); });
    m_imageView->setBackgroundColor(backgroundColorForImageView());
    if (!m_flags.isDraggingImage)
        updateLayoutsForCurrentOrientation();
}

void ImageViewerController::updateLayoutsForCurrentOrientation()
{
    graphics::Size size = view()->bounds().size;
    if (m_mode == Image) {
        updateScrollViewAndImageViewForCurrentMetrics();
        m_progressContainer->setCenter({size.width / 2, size.height / 2});
    } else if (m_mode == AltText) {
        if (!m_flags.isTransitioningFromInitialModalToInteractiveState)
            verticallyCenterTextInTextView();
    }
    auto rotation = ImageViewerLayout::snapshotRotation(
        m_startingInfo.startingInterfaceOrientation, ui::Application::shared().statusBarOrientation());
    if (!m_snapshotView)
        return;
    m_snapshotView->setCenter({size.width / 2, size.height / 2});
    if (!m_flags.rotationTransformIsDirty)
        return;
    m_flags.rotationTransformIsDirty = false;
    m_currentSnapshotRotationTransform = rotation;
    if (m_flags.isPresented) {
        if (m_mode == Image)
            m_scrollView->setFrame(view()->bounds());
        double scale = ImageViewerLayout::snapshotScale(m_backgroundOptions);
        m_snapshotView->setTransform(rotation.scaled(scale, scale));
    } else {
        m_snapshotView->setTransform(rotation);
    }
}

void ImageViewerController::updateScrollViewAndImageViewForCurrentMetrics()
{
    if (!m_scrollView)
        return;
    if (!m_flags.isAnimatingAPresentationOrDismissal) {
        m_flags.isManuallyResizingTheScrollViewFrame = true;
        m_scrollView->setFrame(view()->bounds());
        m_flags.isManuallyResizingTheScrollViewFrame = false;
    }
    // Every transition but the one from offscreen grows out of the thumbnail: its image view is
    // placed by the presentation until then.
    if (m_transition != FromOffscreen && m_flags.isAnimatingAPresentationOrDismissal)
        return;
    graphics::Size imageSize = m_image ? m_image->size() : m_imageInfo->referenceRect.size;
    m_imageView->setFrame(resizedFrameForAutorotatingImageView(imageSize));
    m_scrollView->setContentSize(m_imageView->frame().size);
    setScrollViewContentInset(contentInsetForScrollView(m_scrollView->zoomScale()));
}

// The phone's scroll view keeps its offset within the inset range when the inset changes: that is
// what puts a small image in the middle, after a layout and after every zoom.
void ImageViewerController::setScrollViewContentInset(graphics::EdgeInsets inset)
{
    if (!m_scrollView)
        return;
    m_scrollView->setContentInset(inset);
    graphics::Point low = m_scrollView->minimumContentOffset(), high = m_scrollView->maximumContentOffset();
    graphics::Point offset = m_scrollView->contentOffset();
    m_scrollView->setContentOffset(
        {std::clamp(offset.x, low.x, high.x), std::clamp(offset.y, low.y, high.y)});
}

graphics::Rect ImageViewerController::resizedFrameForAutorotatingImageView(graphics::Size imageSize)
{
    double zoom = m_scrollView ? m_scrollView->zoomScale() : 1.0;
    return ImageViewerLayout::resizedFrame(imageSize, view()->bounds().size, zoom);
}

graphics::EdgeInsets ImageViewerController::contentInsetForScrollView(double targetZoomScale)
{
    std::optional<graphics::Size> imageSize;
    if (m_image)
        imageSize = m_image->size();
    return ImageViewerLayout::contentInset(
        m_scrollView->bounds().size, imageSize, view()->bounds().size, targetZoomScale);
}

void ImageViewerController::verticallyCenterTextInTextView()
{
    if (!m_textView)
        return;
    double textHeight = m_textView->textHeight();
    graphics::EdgeInsets insets = m_textView->contentInset();
    insets.top = ImageViewerLayout::textTopInset(m_textView->bounds().height(), textHeight);
    m_textView->setContentInset(insets);
    m_textView->setContentOffset({0, -insets.top});
}
