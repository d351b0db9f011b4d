#include "platform/graphics/AffineTransform.h"
#include "platform/ui/AnimationOptions.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/ScrollView.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Point;
using graphics::Rect;

namespace {

// How far past a zoom limit a pinch may stretch: the overshoot grows with the cube root of the
// fingers' scale, so it resists more the further it goes.
double banded(double scale, double minimum, double maximum)
{
    if (scale > maximum)
        return maximum * std::cbrt(scale / maximum);
    if (scale < minimum)
        return minimum * std::cbrt(scale / minimum);
    return scale;
}

} // namespace

std::shared_ptr<View> ScrollView::viewForZooming()
{
    auto delegate = m_delegate.lock();
    auto view = delegate ? delegate->viewForZoomingInScrollView(*this) : nullptr;
    return view && view->superview().get() == this ? view : nullptr;
}

void ScrollView::setMinimumZoomScale(double scale)
{
    m_minimumZoomScale = scale > 0 ? scale : m_minimumZoomScale;
    updatePinchGestureRecognizer();
}

void ScrollView::setMaximumZoomScale(double scale)
{
    m_maximumZoomScale = scale > 0 ? scale : m_maximumZoomScale;
    updatePinchGestureRecognizer();
}

void ScrollView::updatePinchGestureRecognizer()
{
    if (m_pinch || m_maximumZoomScale <= m_minimumZoomScale)
        return;
    std::weak_ptr<ScrollView> weak = sharedAs<ScrollView>();
    m_pinch = PinchGestureRecognizer::create([weak](GestureRecognizer& recognizer) {
        if (auto self = weak.lock())
            self->handlePinch(static_cast<PinchGestureRecognizer&>(recognizer));
    });
    addGestureRecognizer(m_pinch);
}

Point ScrollView::clampedOffset(Point offset) const
{
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    return {std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y)};
}

void ScrollView::applyZoom(View& view, double scale, Point offset)
{
    graphics::Size size = view.bounds().size;
    m_zoomScale = scale;
    view.setTransform(graphics::AffineTransform::makeScale(scale, scale));
    view.setCenter({size.width * scale / 2, size.height * scale / 2});
    m_contentSize = {size.width * scale, size.height * scale};
    setBounds({clampedOffset(offset), bounds().size});
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidZoom(*this);
}

void ScrollView::setZoomScale(double scale, bool animated)
{
    auto view = viewForZooming();
    if (!view || !(scale > 0))
        return;
    scale = std::clamp(scale, m_minimumZoomScale, m_maximumZoomScale);
    // The point at the middle of the bounds stays there.
    Rect visible = bounds();
    Point middle {visible.midX() / m_zoomScale, visible.midY() / m_zoomScale};
    Point offset {middle.x * scale - visible.width() / 2, middle.y * scale - visible.height() / 2};
    if (animated) {
        animateZoom(scale, offset);
        return;
    }
    auto protector = sharedAs<ScrollView>();
    applyZoom(*view, scale, offset);
}

void ScrollView::zoomToRect(Rect rect, bool animated)
{
    auto view = viewForZooming();
    if (!view || rect.width() <= 0 || rect.height() <= 0)
        return;
    graphics::Size size = bounds().size;
    double scale = std::clamp(std::min(size.width / rect.width(), size.height / rect.height()),
        m_minimumZoomScale, m_maximumZoomScale);
    Point offset {rect.midX() * scale - size.width / 2, rect.midY() * scale - size.height / 2};
    if (animated) {
        animateZoom(scale, offset);
        return;
    }
    auto protector = sharedAs<ScrollView>();
    applyZoom(*view, scale, offset);
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidEndZooming(*this, view.get(), scale);
}

// The zooming view's transform and the bounds move together in one view animation, so a transaction
// around the call sees its end; the model values are the final ones at once.
void ScrollView::animateZoom(double scale, Point offset)
{
    auto view = viewForZooming();
    if (!view)
        return;
    auto protector = sharedAs<ScrollView>();
    stopDecelerating();
    uint64_t animation = ++m_zoomAnimation;
    std::weak_ptr<ScrollView> weakSelf = protector;
    std::weak_ptr<View> weakView = view;
    animate(
        kZoomAnimationDuration, 0, AnimationOptions::BeginFromCurrentState | AnimationOptions::CurveEaseInOut,
        [&] { applyZoom(*view, scale, offset); },
        [weakSelf, weakView, animation, scale](bool) {
            auto self = weakSelf.lock();
            if (!self || self->m_zoomAnimation != animation)
                return;
            self->m_zoomBouncing = false;
            auto zoomed = weakView.lock();
            if (auto delegate = self->m_delegate.lock())
                delegate->scrollViewDidEndZooming(*self, zoomed.get(), scale);
        });
}

void ScrollView::handlePinch(PinchGestureRecognizer& pinch)
{
    auto protector = sharedAs<ScrollView>();
    auto view = viewForZooming();
    if (!view)
        return;
    Point fingers = pinch.locationInView(this); // content coordinates
    switch (pinch.state()) {
    case GestureState::Began:
        ++m_zoomAnimation; // a running animated zoom gives way
        stopDecelerating();
        m_zooming = true;
        m_pinchStartScale = m_zoomScale;
        m_pinchAnchor = {fingers.x / m_zoomScale, fingers.y / m_zoomScale};
        if (auto delegate = m_delegate.lock())
            delegate->scrollViewWillBeginZooming(*this, view.get());
        [[fallthrough]];
    case GestureState::Changed: {
        double scale = m_pinchStartScale * pinch.scale();
        scale = m_bouncesZoom ? banded(scale, m_minimumZoomScale, m_maximumZoomScale)
                              : std::clamp(scale, m_minimumZoomScale, m_maximumZoomScale);
        // The anchor stays under the fingers.
        Point local = fingers - contentOffset();
        applyZoom(*view, scale, {m_pinchAnchor.x * scale - local.x, m_pinchAnchor.y * scale - local.y});
        break;
    }
    case GestureState::Ended:
    case GestureState::Cancelled: {
        m_zooming = false;
        double limited = std::clamp(m_zoomScale, m_minimumZoomScale, m_maximumZoomScale);
        if (limited == m_zoomScale) {
            if (auto delegate = m_delegate.lock())
                delegate->scrollViewDidEndZooming(*this, view.get(), m_zoomScale);
            break;
        }
        m_zoomBouncing = true;
        Point local = fingers - contentOffset();
        animateZoom(limited, {m_pinchAnchor.x * limited - local.x, m_pinchAnchor.y * limited - local.y});
        break;
    }
    default:
        break;
    }
}

} // namespace ui
