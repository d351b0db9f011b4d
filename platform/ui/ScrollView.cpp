#include "platform/ui/ScrollView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/PanGestureRecognizer.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace ui {

using graphics::Point;
using graphics::Rect;

namespace {

// A spring this close to its target and this slow is at rest.
constexpr double kRestingDistance = 0.5;

// How far content dragged `overshoot` points past an edge shows past it: ever less per point,
// never more than the view's own size.
double rubberBand(double overshoot, double dimension)
{
    if (dimension <= 0)
        return 0;
    return (1 - 1 / (overshoot * ScrollView::kRubberBandCoefficient / dimension + 1)) * dimension;
}

double unRubberBand(double shown, double dimension)
{
    if (dimension <= 0)
        return 0;
    double fraction = std::min(shown / dimension, 0.99);
    return dimension / ScrollView::kRubberBandCoefficient * (1 / (1 - fraction) - 1);
}

// The offset shown for a drag to `raw`.
double banded(double raw, double minimum, double maximum, double dimension, bool bounces)
{
    if (raw < minimum)
        return bounces ? minimum - rubberBand(minimum - raw, dimension) : minimum;
    if (raw > maximum)
        return bounces ? maximum + rubberBand(raw - maximum, dimension) : maximum;
    return raw;
}

// The drag position that shows `offset` (the inverse of banded), so that a drag starting past an
// edge does not jump.
double unbanded(double offset, double minimum, double maximum, double dimension)
{
    if (offset < minimum)
        return minimum - unRubberBand(minimum - offset, dimension);
    if (offset > maximum)
        return maximum + unRubberBand(offset - maximum, dimension);
    return offset;
}

// Seconds until content decaying from velocity v (x(t) = v (e^{kt} - 1) / k) has moved
// `distance`; nullopt when it never gets that far.
std::optional<double> timeToTravel(double distance, double velocity, double k)
{
    if (distance == 0)
        return 0.0;
    if (velocity == 0 || (distance > 0) != (velocity > 0))
        return std::nullopt;
    double remaining = 1 + distance * k / velocity;
    if (remaining <= 0)
        return std::nullopt;
    return std::log(remaining) / k;
}

} // namespace

// The scroll view's pan: it lets a screen-edge pan around it (the navigation's swipe back) decide
// first, and leaves touches to the content when there is nothing to scroll.
class ScrollViewPanGestureRecognizer final : public PanGestureRecognizer {
public:
    using PanGestureRecognizer::PanGestureRecognizer;

    const char* className() const override { return "ScrollViewPanGestureRecognizer"; }

    void touchesBegan(const TouchSet& touches, const Event& event) override
    {
        requireEdgePansToFail();
        PanGestureRecognizer::touchesBegan(touches, event);
    }

    void touchesMoved(const TouchSet& touches, const Event& event) override
    {
        auto scrollView = std::dynamic_pointer_cast<ScrollView>(view());
        if (!isActive() && scrollView && !scrollView->canScroll()) {
            setState(GestureState::Failed);
            return;
        }
        PanGestureRecognizer::touchesMoved(touches, event);
    }

private:
    void requireEdgePansToFail()
    {
        auto owner = view();
        if (!owner)
            return;
        for (auto ancestor = owner->superview(); ancestor; ancestor = ancestor->superview()) {
            for (const auto& recognizer : ancestor->gestureRecognizers()) {
                auto pan = std::dynamic_pointer_cast<PanGestureRecognizer>(recognizer);
                if (!pan || pan->edge() == Edge::None)
                    continue;
                const auto& required = failureRequirements();
                bool known = std::any_of(required.begin(), required.end(),
                    [&](const auto& weak) { return weak.lock() == recognizer; });
                if (!known)
                    requireGestureRecognizerToFail(recognizer);
            }
        }
    }
};

std::shared_ptr<ScrollView> ScrollView::create(Rect frame)
{
    auto view = std::make_shared<ScrollView>(frame);
    view->attachPanGestureRecognizer();
    return view;
}

ScrollView::ScrollView(Rect frame)
    : View(frame)
{
    setClipsToBounds(true);
    m_pan = std::make_shared<ScrollViewPanGestureRecognizer>([](GestureRecognizer& recognizer) {
        if (auto self = std::dynamic_pointer_cast<ScrollView>(recognizer.view()))
            self->handlePan(static_cast<PanGestureRecognizer&>(recognizer));
    });
}

ScrollView::~ScrollView()
{
    if (m_frameCallback)
        foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
}

void ScrollView::attachPanGestureRecognizer()
{
    // Views made with make_shared by a subclass get it once they are placed.
    if (m_pan->view().get() != this && !weak_from_this().expired())
        addGestureRecognizer(m_pan);
}

void ScrollView::didMoveToSuperview()
{
    View::didMoveToSuperview();
    attachPanGestureRecognizer();
}

void ScrollView::setContentSize(graphics::Size size)
{
    m_contentSize = size;
}

void ScrollView::setContentInset(graphics::EdgeInsets inset)
{
    m_contentInset = inset;
}

void ScrollView::setDecelerationRate(double rate)
{
    m_decelerationRate = std::clamp(rate, 0.5, 0.9999);
}

bool ScrollView::isScrollEnabled() const
{
    return m_pan->isEnabled();
}

void ScrollView::setScrollEnabled(bool enabled)
{
    m_pan->setEnabled(enabled);
}

Point ScrollView::minimumContentOffset() const
{
    return {-m_contentInset.left, -m_contentInset.top};
}

Point ScrollView::maximumContentOffset() const
{
    Point minimum = minimumContentOffset();
    graphics::Size size = bounds().size;
    return {std::max(minimum.x, m_contentSize.width + m_contentInset.right - size.width),
        std::max(minimum.y, m_contentSize.height + m_contentInset.bottom - size.height)};
}

bool ScrollView::canScrollHorizontally() const
{
    return maximumContentOffset().x > minimumContentOffset().x || (m_bounces && m_alwaysBounceHorizontal);
}

bool ScrollView::canScrollVertically() const
{
    return maximumContentOffset().y > minimumContentOffset().y || (m_bounces && m_alwaysBounceVertical);
}

void ScrollView::moveContent(Point offset)
{
    if (offset == contentOffset())
        return;
    setBounds({offset, bounds().size});
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidScroll(*this);
}

void ScrollView::setContentOffset(Point offset, bool animated)
{
    auto protector = sharedAs<ScrollView>();
    stopDecelerating();
    if (!animated) {
        stopScrollAnimation();
        moveContent(offset);
        return;
    }
    if (offset == contentOffset())
        return;
    uint64_t animation = ++m_scrollAnimation;
    m_scrollAnimating = true;
    std::weak_ptr<ScrollView> weakSelf = protector;
    animate(
        kScrollAnimationDuration, 0,
        AnimationOptions::AllowUserInteraction | AnimationOptions::BeginFromCurrentState
            | AnimationOptions::CurveEaseInOut,
        [&] {
            setBounds({offset, bounds().size});
        },
        [weakSelf, animation](bool finished) {
            auto self = weakSelf.lock();
            if (!self || self->m_scrollAnimation != animation || !self->m_scrollAnimating)
                return;
            self->m_scrollAnimating = false;
            if (finished)
                if (auto delegate = self->m_delegate.lock())
                    delegate->scrollViewDidEndScrollingAnimation(*self);
        });
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidScroll(*this);
}

void ScrollView::stopScrollAnimation()
{
    if (!m_scrollAnimating)
        return;
    m_scrollAnimating = false;
    Point shown = layer().presentation().bounds.origin;
    layer().removeAnimation("bounds");
    performWithoutAnimation([&] { setBounds({shown, bounds().size}); });
}

void ScrollView::scrollRectToVisible(Rect rect, bool animated)
{
    // What the insets cover (a keyboard, a bar) does not count as shown.
    Rect visible = bounds().insetBy(m_contentInset);
    Point offset = bounds().origin;
    if (rect.maxX() > visible.maxX())
        offset.x += rect.maxX() - visible.maxX();
    if (rect.minX() < visible.minX() + offset.x - bounds().minX())
        offset.x = rect.minX() - m_contentInset.left;
    if (rect.maxY() > visible.maxY())
        offset.y += rect.maxY() - visible.maxY();
    if (rect.minY() < visible.minY() + offset.y - bounds().minY())
        offset.y = rect.minY() - m_contentInset.top;
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    offset.x = std::clamp(offset.x, minimum.x, maximum.x);
    offset.y = std::clamp(offset.y, minimum.y, maximum.y);
    setContentOffset(offset, animated);
}

// Dragging

void ScrollView::handlePan(PanGestureRecognizer& pan)
{
    auto protector = sharedAs<ScrollView>();
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    graphics::Size size = bounds().size;
    switch (pan.state()) {
    case GestureState::Began: {
        stopScrollAnimation();
        stopDecelerating();
        Point offset = contentOffset();
        m_dragOrigin = {unbanded(offset.x, minimum.x, maximum.x, size.width),
            unbanded(offset.y, minimum.y, maximum.y, size.height)};
        m_dragging = true;
        if (auto delegate = m_delegate.lock())
            delegate->scrollViewWillBeginDragging(*this);
        [[fallthrough]];
    }
    case GestureState::Changed: {
        if (!m_dragging)
            break;
        Point translation = pan.translationInView(this);
        Point offset = contentOffset();
        if (canScrollHorizontally())
            offset.x = banded(m_dragOrigin.x - translation.x, minimum.x, maximum.x, size.width, m_bounces);
        if (canScrollVertically())
            offset.y = banded(m_dragOrigin.y - translation.y, minimum.y, maximum.y, size.height, m_bounces);
        moveContent(offset);
        break;
    }
    case GestureState::Ended: {
        Point velocity = pan.velocityInView(this);
        endDragging({-velocity.x, -velocity.y});
        break;
    }
    case GestureState::Cancelled:
        endDragging({});
        break;
    default:
        break;
    }
}

void ScrollView::endDragging(Point velocity)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    startDecelerating(velocity);
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidEndDragging(*this, m_decelerating);
}

// Decelerating

void ScrollView::startDecelerating(Point velocity)
{
    double now = foundation::RunLoop::main().now();
    Point offset = contentOffset();
    auto motion = [&](bool scrollable, double position, double speed) {
        AxisMotion m;
        m.kind = scrollable ? AxisMotion::Kind::Decay : AxisMotion::Kind::Rest;
        m.start = now;
        m.position = position;
        m.velocity = scrollable ? speed : 0;
        m.target = position;
        return m;
    };
    m_horizontal = motion(canScrollHorizontally(), offset.x, velocity.x);
    m_vertical = motion(canScrollVertically(), offset.y, velocity.y);
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    advance(m_horizontal, now, minimum.x, maximum.x);
    advance(m_vertical, now, minimum.y, maximum.y);
    if (m_horizontal.kind == AxisMotion::Kind::Rest && m_vertical.kind == AxisMotion::Kind::Rest)
        return;
    m_decelerating = true;
    std::weak_ptr<ScrollView> weakSelf = sharedAs<ScrollView>();
    m_frameCallback = foundation::RunLoop::main().addFrameCallback([weakSelf](double time) {
        if (auto self = weakSelf.lock())
            self->stepDeceleration(time);
    });
}

void ScrollView::stopDecelerating()
{
    m_decelerating = false;
    m_horizontal = {};
    m_vertical = {};
    if (m_frameCallback) {
        foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
        m_frameCallback = 0;
    }
}

void ScrollView::stepDeceleration(double now)
{
    if (!m_decelerating)
        return;
    auto protector = sharedAs<ScrollView>();
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    Point offset = contentOffset();
    if (m_horizontal.kind != AxisMotion::Kind::Rest)
        offset.x = advance(m_horizontal, now, minimum.x, maximum.x);
    if (m_vertical.kind != AxisMotion::Kind::Rest)
        offset.y = advance(m_vertical, now, minimum.y, maximum.y);
    bool resting = m_horizontal.kind == AxisMotion::Kind::Rest && m_vertical.kind == AxisMotion::Kind::Rest;
    moveContent(offset);
    // The delegate may have stopped it (or started another) meanwhile.
    if (!resting || !m_decelerating)
        return;
    stopDecelerating();
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidEndDecelerating(*this);
}

double ScrollView::advance(AxisMotion& m, double now, double minimum, double maximum) const
{
    using Kind = AxisMotion::Kind;
    // Decay: v(t) = v0 e^{kt} and x(t) = x0 + v0 (e^{kt} - 1) / k, with k from the rate per ms.
    const double k = std::log(m_decelerationRate) * 1000;
    auto springFrom = [&](double start, double position, double velocity, double edge) {
        m = {Kind::Spring, start, position - edge, velocity, edge};
    };
    // Each pass either answers or moves to the next segment (enter, leave, stop); a few suffice.
    for (int segment = 0; segment < 8; ++segment) {
        switch (m.kind) {
        case Kind::Rest:
            return m.position;
        case Kind::Spring: {
            // Critically damped: x(t) = (a + b t) e^{-wt} around the target.
            const double w = kBounceFrequency;
            double t = std::max(0.0, now - m.start);
            double a = m.position, b = m.velocity + w * a;
            double decay = std::exp(-w * t);
            double displacement = (a + b * t) * decay;
            double velocity = (b - w * (a + b * t)) * decay;
            if (std::abs(displacement) < kRestingDistance && std::abs(velocity) < kRestingVelocity) {
                m = {Kind::Rest, now, m.target, 0, m.target};
                return m.target;
            }
            return m.target + displacement;
        }
        case Kind::Decay: {
            bool outside = m.position < minimum || m.position > maximum;
            double edge;
            if (outside) {
                edge = m.position < minimum ? minimum : maximum;
                // Past an edge and not heading back: spring back.
                if ((edge - m.position) * m.velocity <= 0) {
                    springFrom(m.start, m.position, m.velocity, edge);
                    continue;
                }
            } else {
                edge = m.velocity < 0 ? minimum : maximum;
            }
            double speed = std::abs(m.velocity);
            double stopTime = speed > kRestingVelocity ? std::log(kRestingVelocity / speed) / k : 0;
            auto reach = timeToTravel(edge - m.position, m.velocity, k);
            if (reach && *reach < stopTime && m.start + *reach <= now) {
                double start = m.start + *reach;
                double velocity = m.velocity * std::exp(k * *reach);
                if (outside)
                    m = {Kind::Decay, start, edge, velocity, edge}; // back inside, decaying on
                else if (m_bounces)
                    springFrom(start, edge, velocity, edge);
                else
                    m = {Kind::Rest, start, edge, 0, edge};
                continue;
            }
            double t = std::min(std::max(0.0, now - m.start), stopTime);
            double position = m.position + m.velocity * std::expm1(k * t) / k;
            if (now - m.start < stopTime)
                return position;
            if (outside) {
                springFrom(m.start + stopTime, position, m.velocity * std::exp(k * stopTime), edge);
                continue;
            }
            m = {Kind::Rest, m.start + stopTime, position, 0, position};
            return position;
        }
        }
    }
    return m.kind == Kind::Spring ? m.target + m.position : m.position;
}

// Touches

std::shared_ptr<View> ScrollView::hitTest(Point point, const Event* event)
{
    auto hit = View::hitTest(point, event);
    if (hit && m_decelerating)
        return sharedAs<View>();
    return hit;
}

void ScrollView::touchesBegan(const TouchSet& touches, const Event* event)
{
    if (m_decelerating)
        stopDecelerating();
    View::touchesBegan(touches, event);
}

} // namespace ui
