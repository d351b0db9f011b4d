#pragma once

#include "platform/ui/View.h"

#include <cstdint>
#include <memory>

namespace ui {

class ScrollView;

// Told about a scroll view's movement; every operation is optional.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;
    // After every change of the content offset (by a drag, a deceleration step or a setter).
    virtual void scrollViewDidScroll(ScrollView& scrollView) { (void)scrollView; }
    virtual void scrollViewWillBeginDragging(ScrollView& scrollView) { (void)scrollView; }
    // The finger lifted; willDecelerate when the content keeps moving (a flick or a bounce back).
    virtual void scrollViewDidEndDragging(ScrollView& scrollView, bool willDecelerate)
    {
        (void)scrollView, (void)willDecelerate;
    }
    // The content came to rest after a drag. Not called when a touch stops it.
    virtual void scrollViewDidEndDecelerating(ScrollView& scrollView) { (void)scrollView; }
    // An animated setContentOffset or scrollRectToVisible reached its target.
    virtual void scrollViewDidEndScrollingAnimation(ScrollView& scrollView) { (void)scrollView; }

    // Zooming: the view that zooms (nullptr: the scroll view does not zoom), and the zoom's life.
    virtual std::shared_ptr<View> viewForZoomingInScrollView(ScrollView& scrollView)
    {
        (void)scrollView;
        return nullptr;
    }
    virtual void scrollViewWillBeginZooming(ScrollView& scrollView, View* view)
    {
        (void)scrollView, (void)view;
    }
    // After every change of the zoom scale (a pinch step, a setter, the start of an animated zoom).
    virtual void scrollViewDidZoom(ScrollView& scrollView) { (void)scrollView; }
    // A pinch, a bounce back into the limits or an animated zoom ended at `scale`.
    virtual void scrollViewDidEndZooming(ScrollView& scrollView, View* view, double scale)
    {
        (void)scrollView, (void)view, (void)scale;
    }
};

// A view that shows a movable window onto content larger than itself: the content offset is the
// bounds' origin, so the subviews (the content) move under it. Its own pan recogniser drags the
// content, rubber-banding past the edges; a flick decelerates on the run loop's clock and springs
// back from past an edge. A drag that starts on a control scrolls and cancels the control's
// tracking; a tap still reaches the control. Clips its content by default.
class ScrollView : public View {
public:
    // How much of its velocity a flick keeps per millisecond.
    static constexpr double kDecelerationRateNormal = 0.998;
    static constexpr double kDecelerationRateFast = 0.99;
    // Below this speed (points per second) moving content comes to rest.
    static constexpr double kRestingVelocity = 5;
    // How stiff the rubber band is past an edge (0.55 as on the phone) and how fast the content
    // springs back (a critically damped spring with this angular frequency, per second).
    static constexpr double kRubberBandCoefficient = 0.55;
    static constexpr double kBounceFrequency = 14;
    static constexpr double kScrollAnimationDuration = 0.3;

    static std::shared_ptr<ScrollView> create(graphics::Rect frame = {});
    explicit ScrollView(graphics::Rect frame = {});
    ~ScrollView() override;

    const char* className() const override { return "ScrollView"; }

    graphics::Size contentSize() const { return m_contentSize; }
    void setContentSize(graphics::Size size);
    graphics::EdgeInsets contentInset() const { return m_contentInset; }
    void setContentInset(graphics::EdgeInsets inset);
    // The bounds' origin (model value). Setting it stops a deceleration; animated, it moves
    // through a view animation on the run loop's clock, leaving touches enabled.
    graphics::Point contentOffset() const { return bounds().origin; }
    void setContentOffset(graphics::Point offset, bool animated = false);
    // Scrolls as little as needed to show `rect` (content coordinates) in the part of the bounds
    // the content inset leaves, within the content.
    void scrollRectToVisible(graphics::Rect rect, bool animated);

    // The offsets the content rests between (insets included).
    graphics::Point minimumContentOffset() const;
    graphics::Point maximumContentOffset() const;

    bool isScrollEnabled() const;
    void setScrollEnabled(bool enabled);
    bool bounces() const { return m_bounces; }
    void setBounces(bool bounces) { m_bounces = bounces; }
    bool alwaysBounceVertical() const { return m_alwaysBounceVertical; }
    void setAlwaysBounceVertical(bool bounces) { m_alwaysBounceVertical = bounces; }
    bool alwaysBounceHorizontal() const { return m_alwaysBounceHorizontal; }
    void setAlwaysBounceHorizontal(bool bounces) { m_alwaysBounceHorizontal = bounces; }
    double decelerationRate() const { return m_decelerationRate; }
    void setDecelerationRate(double rate);

    bool isDragging() const { return m_dragging; }
    bool isDecelerating() const { return m_decelerating; }

    const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return m_pan; }

    // Zooming (ScrollViewZoom.cpp). The delegate's view for zooming is scaled by a transform about
    // the content's top left corner and the content size follows it. Pinching works once the
    // maximum zoom scale is above the minimum; past the limits a pinch stretches and bounces back.
    static constexpr double kZoomAnimationDuration = 0.3;
    double zoomScale() const { return m_zoomScale; }
    void setZoomScale(double scale, bool animated = false);
    double minimumZoomScale() const { return m_minimumZoomScale; }
    void setMinimumZoomScale(double scale);
    double maximumZoomScale() const { return m_maximumZoomScale; }
    void setMaximumZoomScale(double scale);
    bool bouncesZoom() const { return m_bouncesZoom; }
    void setBouncesZoom(bool bounces) { m_bouncesZoom = bounces; }
    bool isZooming() const { return m_zooming; }
    bool isZoomBouncing() const { return m_zoomBouncing; }
    // Zooms so that `rect` (in the zooming view's own coordinates) fills the bounds as far as the
    // limits allow, centred.
    void zoomToRect(graphics::Rect rect, bool animated);
    // Made once zooming is possible.
    const std::shared_ptr<PinchGestureRecognizer>& pinchGestureRecognizer() const { return m_pinch; }

    std::weak_ptr<ScrollViewDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { m_delegate = std::move(delegate); }

    // While the content moves on its own a touch stops it instead of reaching the content.
    std::shared_ptr<View> hitTest(graphics::Point point, const Event* event) override;
    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void didMoveToSuperview() override;

private:
    friend class ScrollViewPanGestureRecognizer;
    // One axis of a deceleration: a decay, a spring back to an edge, or at rest.
    struct AxisMotion {
        enum class Kind { Rest, Decay, Spring };
        Kind kind {Kind::Rest};
        double start {0}; // clock time the segment began
        double position {0}; // at `start` (a spring's is its displacement from the target)
        double velocity {0}; // points per second at `start`
        double target {0}; // a spring's resting offset
    };

    void attachPanGestureRecognizer();
    void handlePan(PanGestureRecognizer& pan);
    void endDragging(graphics::Point velocity);
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;
    bool canScroll() const { return canScrollHorizontally() || canScrollVertically(); }
    // Sets the offset without animation and tells the delegate.
    void moveContent(graphics::Point offset);
    // Takes over from a running offset animation at what is on screen now.
    void stopScrollAnimation();
    void startDecelerating(graphics::Point velocity);
    void stopDecelerating();
    void stepDeceleration(double now);
    double advance(AxisMotion& motion, double now, double minimum, double maximum) const;

    std::shared_ptr<View> viewForZooming();
    void updatePinchGestureRecognizer();
    void handlePinch(PinchGestureRecognizer& pinch);
    // Scales the zooming view, sizes the content to it and moves to `offset` (kept within the
    // content), telling the delegate.
    void applyZoom(View& view, double scale, graphics::Point offset);
    graphics::Point clampedOffset(graphics::Point offset) const;
    void animateZoom(double scale, graphics::Point offset);

    std::shared_ptr<PanGestureRecognizer> m_pan;
    std::shared_ptr<PinchGestureRecognizer> m_pinch;
    double m_pinchStartScale {1};
    graphics::Point m_pinchAnchor; // the zooming view's point under the fingers
    uint64_t m_zoomAnimation {0};
    bool m_bouncesZoom {true};
    bool m_zooming {false};
    bool m_zoomBouncing {false};
    std::weak_ptr<ScrollViewDelegate> m_delegate;
    graphics::Size m_contentSize;
    double m_zoomScale {1};
    double m_minimumZoomScale {1};
    double m_maximumZoomScale {1};
    graphics::EdgeInsets m_contentInset;
    graphics::Point m_dragOrigin; // the offset a drag's translation is taken from, before banding
    AxisMotion m_horizontal;
    AxisMotion m_vertical;
    double m_decelerationRate {kDecelerationRateNormal};
    uint64_t m_frameCallback {0};
    uint64_t m_scrollAnimation {0}; // counts animated offsets; a completion of an old one is stale
    bool m_bounces {true};
    bool m_alwaysBounceVertical {false};
    bool m_alwaysBounceHorizontal {false};
    bool m_dragging {false};
    bool m_decelerating {false};
    bool m_scrollAnimating {false};
};

} // namespace ui
