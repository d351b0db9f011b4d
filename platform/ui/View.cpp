#include "platform/ui/View.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/MotionEffect.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <atomic>

namespace ui {

namespace {
std::atomic<uint64_t> g_displayGeneration {1};
} // namespace

std::shared_ptr<View> View::create(graphics::Rect frame)
{
    return std::make_shared<View>(frame);
}

View::View(graphics::Rect frame)
    : m_layer(std::make_unique<Layer>(*this))
{
    if (frame != graphics::Rect {})
        performWithoutAnimation([&] { m_layer->setFrame(frame); });
}

View::View(graphics::Rect frame, const LayerFactory& makeLayer)
    : m_layer(makeLayer ? makeLayer(*this) : nullptr)
{
    if (!m_layer)
        m_layer = std::make_unique<Layer>(*this);
    if (frame != graphics::Rect {})
        performWithoutAnimation([&] { m_layer->setFrame(frame); });
}

View::~View()
{
    for (const auto& recognizer : m_recognizers)
        recognizer->setView(nullptr);
    if (!m_motionEffects.empty())
        MotionEffect::viewDestroyed(*this);
}

void View::addMotionEffect(std::shared_ptr<MotionEffect> effect)
{
    if (!effect || std::find(m_motionEffects.begin(), m_motionEffects.end(), effect) != m_motionEffects.end())
        return;
    m_motionEffects.push_back(std::move(effect));
    MotionEffect::viewEffectsChanged(*this);
}

void View::removeMotionEffect(const std::shared_ptr<MotionEffect>& effect)
{
    auto it = std::find(m_motionEffects.begin(), m_motionEffects.end(), effect);
    if (it == m_motionEffects.end())
        return;
    m_motionEffects.erase(it);
    MotionEffect::viewEffectsChanged(*this);
}

uint64_t View::displayGeneration()
{
    return g_displayGeneration.load();
}
void View::markDisplayChanged()
{
    ++g_displayGeneration;
}

graphics::Rect View::frame() const
{
    return m_layer->frame();
}
void View::setFrame(graphics::Rect frame)
{
    m_layer->setFrame(frame);
}
graphics::Rect View::bounds() const
{
    return m_layer->bounds();
}
void View::setBounds(graphics::Rect bounds)
{
    m_layer->setBounds(bounds);
}
graphics::Point View::center() const
{
    return m_layer->position();
}
void View::setCenter(graphics::Point center)
{
    m_layer->setPosition(center);
}
graphics::AffineTransform View::transform() const
{
    return m_layer->affineTransform();
}
void View::setTransform(const graphics::AffineTransform& transform)
{
    m_layer->setAffineTransform(transform);
}
double View::alpha() const
{
    return m_layer->opacity();
}
void View::setAlpha(double alpha)
{
    m_layer->setOpacity(alpha);
}
std::optional<graphics::Color> View::backgroundColor() const
{
    return m_layer->backgroundColor();
}
void View::setBackgroundColor(std::optional<graphics::Color> color)
{
    m_layer->setBackgroundColor(color);
}
bool View::clipsToBounds() const
{
    return m_layer->masksToBounds();
}
void View::setClipsToBounds(bool clips)
{
    m_layer->setMasksToBounds(clips);
}

void View::setHidden(bool hidden)
{
    if (m_hidden == hidden)
        return;
    m_hidden = hidden;
    markDisplayChanged();
}

void View::setTintColor(std::optional<graphics::Color> color)
{
    m_tintColor = color;
    setNeedsDisplay();
}

graphics::Color View::effectiveTintColor() const
{
    for (const View* view = this; view; view = view->superview().get()) {
        if (view->tintColor())
            return *view->tintColor();
    }
    return graphics::Color::rgba(0, 122.0 / 255, 1);
}

void View::setContentMode(ContentMode mode)
{
    m_contentMode = mode;
    setNeedsDisplay();
}

std::shared_ptr<View> View::viewWithTag(int64_t tag)
{
    if (m_tag == tag)
        return sharedAs<View>();
    for (const auto& subview : m_subviews)
        if (auto found = subview->viewWithTag(tag))
            return found;
    return nullptr;
}

// Hierarchy

std::shared_ptr<Window> View::window() const
{
    const View* view = this;
    while (auto superview = view->m_superview.lock())
        view = superview.get();
    if (auto window = dynamic_cast<const Window*>(view))
        return const_cast<Window*>(window)->sharedAs<Window>();
    return nullptr;
}

void View::addSubview(std::shared_ptr<View> view)
{
    if (!view)
        return;
    if (view->superview().get() == this) {
        bringSubviewToFront(view);
        return;
    }
    attachSubview(std::move(view), m_subviews.size());
}

void View::insertSubview(std::shared_ptr<View> view, size_t index)
{
    if (!view)
        return;
    if (view->superview().get() == this) {
        auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
        m_subviews.erase(it);
        m_subviews.insert(m_subviews.begin() + std::min(index, m_subviews.size()), view);
        markDisplayChanged();
        return;
    }
    attachSubview(std::move(view), index);
}

void View::insertSubviewAbove(std::shared_ptr<View> view, const std::shared_ptr<View>& sibling)
{
    auto it = std::find(m_subviews.begin(), m_subviews.end(), sibling);
    if (it == m_subviews.end())
        return addSubview(std::move(view));
    size_t index = static_cast<size_t>(it - m_subviews.begin()) + 1;
    if (view && view->superview().get() == this) {
        auto current = std::find(m_subviews.begin(), m_subviews.end(), view);
        if (current - m_subviews.begin() < it - m_subviews.begin())
            --index;
    }
    insertSubview(std::move(view), index);
}

void View::insertSubviewBelow(std::shared_ptr<View> view, const std::shared_ptr<View>& sibling)
{
    auto it = std::find(m_subviews.begin(), m_subviews.end(), sibling);
    if (it == m_subviews.end())
        return insertSubview(std::move(view), 0);
    size_t index = static_cast<size_t>(it - m_subviews.begin());
    if (view && view->superview().get() == this) {
        auto current = std::find(m_subviews.begin(), m_subviews.end(), view);
        if (current - m_subviews.begin() < it - m_subviews.begin())
            --index;
    }
    insertSubview(std::move(view), index);
}

void View::bringSubviewToFront(const std::shared_ptr<View>& view)
{
    auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
    if (it == m_subviews.end())
        return;
    std::rotate(it, it + 1, m_subviews.end());
    markDisplayChanged();
}

void View::sendSubviewToBack(const std::shared_ptr<View>& view)
{
    auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
    if (it == m_subviews.end())
        return;
    std::rotate(m_subviews.begin(), it, it + 1);
    markDisplayChanged();
}

void View::exchangeSubviews(size_t index1, size_t index2)
{
    if (index1 >= m_subviews.size() || index2 >= m_subviews.size())
        return;
    std::swap(m_subviews[index1], m_subviews[index2]);
    markDisplayChanged();
}

bool View::isDescendantOfView(const View* view) const
{
    for (const View* v = this; v; v = v->m_superview.lock().get())
        if (v == view)
            return true;
    return false;
}

bool View::endEditing(bool force)
{
    (void)force;
    auto responder = Responder::firstResponder();
    auto* view = dynamic_cast<View*>(responder.get());
    if (!view || !view->isDescendantOfView(this))
        return true;
    return responder->resignFirstResponder();
}

void View::attachSubview(std::shared_ptr<View> view, size_t index)
{
    if (view.get() == this || isDescendantOfView(view.get()))
        return;
    auto oldSuperview = view->superview();
    auto oldWindow = view->window();
    auto newWindow = window();
    view->willMoveToSuperview(this);
    if (oldWindow != newWindow) {
        if (oldWindow && !newWindow)
            view->resignFirstResponderInSubtree();
        view->notifyWillMoveToWindow(newWindow.get());
    }
    if (oldSuperview) {
        oldSuperview->willRemoveSubview(view.get());
        auto& siblings = oldSuperview->m_subviews;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), view), siblings.end());
        oldSuperview->setNeedsLayout();
    }
    m_subviews.insert(m_subviews.begin() + std::min(index, m_subviews.size()), view);
    view->m_superview = sharedAs<View>();
    if (oldWindow != newWindow)
        view->notifyDidMoveToWindow();
    view->didMoveToSuperview();
    didAddSubview(view.get());
    view->setNeedsLayout();
    setNeedsLayout();
    markDisplayChanged();
}

void View::removeFromSuperview()
{
    auto superview = this->superview();
    if (!superview)
        return;
    auto protector = sharedAs<View>();
    auto oldWindow = window();
    willMoveToSuperview(nullptr);
    if (oldWindow) {
        resignFirstResponderInSubtree();
        notifyWillMoveToWindow(nullptr);
    }
    superview->willRemoveSubview(this);
    auto& siblings = superview->m_subviews;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), protector), siblings.end());
    m_superview.reset();
    if (oldWindow)
        notifyDidMoveToWindow();
    didMoveToSuperview();
    superview->setNeedsLayout();
    markDisplayChanged();
}

void View::resignFirstResponderInSubtree()
{
    auto first = Responder::firstResponder();
    if (!first)
        return;
    if (auto view = std::dynamic_pointer_cast<View>(first); view && view->isDescendantOfView(this))
        view->resignFirstResponder();
}

void View::willMoveToWindow(Window* newWindow)
{
    (void)newWindow;
}
void View::didMoveToWindow()
{ }

void View::notifyWillMoveToWindow(Window* newWindow)
{
    auto protector = sharedAs<View>();
    willMoveToWindow(newWindow);
    if (auto controller = m_controller.lock())
        controller->viewWillMoveToWindow(newWindow != nullptr);
    auto subviews = m_subviews;
    for (const auto& subview : subviews)
        subview->notifyWillMoveToWindow(newWindow);
}

void View::notifyDidMoveToWindow()
{
    auto protector = sharedAs<View>();
    didMoveToWindow();
    if (auto controller = m_controller.lock())
        controller->viewDidMoveToWindow(window() != nullptr);
    auto subviews = m_subviews;
    for (const auto& subview : subviews)
        subview->notifyDidMoveToWindow();
}

// Layout

void View::setNeedsLayout()
{
    m_needsLayout = true;
    Application::shared().scheduleLayout();
}

void View::layoutIfNeeded()
{
    layoutSubtree();
}

void View::layoutSubtree()
{
    auto protector = sharedAs<View>();
    if (m_needsLayout) {
        m_needsLayout = false;
        auto controller = m_controller.lock();
        if (controller)
            controller->viewLayoutWillRun();
        layoutSubviews();
        // What the view asks of itself while it lays out (resizing itself, say) this pass covers;
        // asking again would lay it out on every turn.
        m_needsLayout = false;
        if (controller)
            controller->viewLayoutDidRun();
    }
    auto subviews = m_subviews;
    for (const auto& subview : subviews)
        subview->layoutSubtree();
}

graphics::Size View::sizeThatFits(graphics::Size) const
{
    return bounds().size;
}

void View::sizeToFit()
{
    graphics::Size size = sizeThatFits(bounds().size);
    graphics::Rect f = frame();
    setFrame({f.origin, size});
}

void View::layerBoundsSizeChanged(graphics::Size oldSize)
{
    if (m_autoresizesSubviews)
        resizeSubviews(oldSize);
    setNeedsLayout();
}

void View::resizeSubviews(graphics::Size oldSize)
{
    graphics::Size newSize = bounds().size;
    auto subviews = m_subviews;
    for (const auto& subview : subviews)
        subview->applyAutoresizing(oldSize, newSize);
}

namespace {

// Spreads `delta` over the flexible parts in proportion to their sizes (evenly when all are 0).
void distribute(
    double delta, double& margin1, bool flex1, double& size, bool flexSize, double& margin2, bool flex2)
{
    int count = int(flex1) + int(flexSize) + int(flex2);
    if (count == 0 || delta == 0)
        return;
    double total = (flex1 ? margin1 : 0) + (flexSize ? size : 0) + (flex2 ? margin2 : 0);
    auto share = [&](bool flex, double value) {
        if (!flex)
            return 0.0;
        return total > 0 ? delta * value / total : delta / count;
    };
    double d1 = share(flex1, margin1), ds = share(flexSize, size), d2 = share(flex2, margin2);
    margin1 += d1;
    size += ds;
    margin2 += d2;
}

} // namespace

void View::applyAutoresizing(graphics::Size oldSuperSize, graphics::Size newSuperSize)
{
    uint32_t mask = m_autoresizingMask;
    if (mask == Autoresizing::None)
        return;
    graphics::Rect f = frame();
    double left = f.origin.x, width = f.size.width, right = oldSuperSize.width - f.origin.x - f.size.width;
    double top = f.origin.y, height = f.size.height,
           bottom = oldSuperSize.height - f.origin.y - f.size.height;
    distribute(newSuperSize.width - oldSuperSize.width, left, mask & Autoresizing::FlexibleLeftMargin, width,
        mask & Autoresizing::FlexibleWidth, right, mask & Autoresizing::FlexibleRightMargin);
    distribute(newSuperSize.height - oldSuperSize.height, top, mask & Autoresizing::FlexibleTopMargin, height,
        mask & Autoresizing::FlexibleHeight, bottom, mask & Autoresizing::FlexibleBottomMargin);
    graphics::Rect updated {left, top, width, height};
    if (updated != f)
        setFrame(updated);
}

// Drawing

void View::draw(graphics::GraphicsContext&, graphics::Rect)
{ }

void View::setNeedsDisplay()
{
    m_needsDisplay = true;
    ++m_displayVersion;
    markDisplayChanged();
}

// Coordinates

graphics::AffineTransform View::transformToRoot() const
{
    graphics::AffineTransform t;
    const View* view = this;
    while (auto superview = view->m_superview.lock()) {
        t = t.concatenated(view->m_layer->modelState().toSuperviewTransform());
        view = superview.get();
    }
    return t;
}

namespace {

const View* rootOf(const View* view)
{
    while (auto superview = view->superview())
        view = superview.get();
    return view;
}

// From a view's bounds coordinates to the screen's (through its window's frame).
graphics::AffineTransform transformToScreen(const View* view)
{
    graphics::AffineTransform t = view->transformToRoot();
    const View* root = rootOf(view);
    if (dynamic_cast<const Window*>(root))
        t = t.concatenated(root->layer().modelState().toSuperviewTransform());
    return t;
}

graphics::AffineTransform mapping(const View* from, const View* to)
{
    if (!to)
        return from->transformToRoot();
    if (rootOf(from) == rootOf(to))
        return from->transformToRoot().concatenated(to->transformToRoot().inverted());
    return transformToScreen(from).concatenated(transformToScreen(to).inverted());
}

} // namespace

graphics::Point View::convertPointToView(graphics::Point point, const View* view) const
{
    return mapping(this, view).apply(point);
}

graphics::Point View::convertPointFromView(graphics::Point point, const View* view) const
{
    if (!view)
        return transformToRoot().inverted().apply(point);
    return mapping(view, this).apply(point);
}

graphics::Rect View::convertRectToView(graphics::Rect rect, const View* view) const
{
    return mapping(this, view).apply(rect);
}

graphics::Rect View::convertRectFromView(graphics::Rect rect, const View* view) const
{
    if (!view)
        return transformToRoot().inverted().apply(rect);
    return mapping(view, this).apply(rect);
}

// Hit testing

std::shared_ptr<View> View::hitTest(graphics::Point point, const Event* event)
{
    if (m_hidden || !m_userInteractionEnabled || alpha() < 0.01 || m_layer->blocksUserInteraction())
        return nullptr;
    // Scaled to nothing, the view covers no point (a singular map cannot take one into it).
    if (!m_layer->modelState().transform.isInvertible())
        return nullptr;
    if (!pointInside(point, event))
        return nullptr;
    auto subviews = m_subviews;
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        graphics::Point local = (*it)->m_layer->modelState().fromSuperview(point);
        if (auto hit = (*it)->hitTest(local, event))
            return hit;
    }
    return sharedAs<View>();
}

bool View::pointInside(graphics::Point point, const Event*) const
{
    return bounds().contains(point);
}

// Gestures

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer)
{
    if (!recognizer)
        return;
    if (auto old = recognizer->view(); old && old.get() != this)
        old->removeGestureRecognizer(recognizer);
    if (std::find(m_recognizers.begin(), m_recognizers.end(), recognizer) == m_recognizers.end())
        m_recognizers.push_back(recognizer);
    recognizer->setView(sharedAs<View>());
}

void View::removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer)
{
    auto it = std::find(m_recognizers.begin(), m_recognizers.end(), recognizer);
    if (it == m_recognizers.end())
        return;
    m_recognizers.erase(it);
    recognizer->setView(nullptr);
}

Responder* View::nextResponder() const
{
    if (auto controller = m_controller.lock())
        return controller.get();
    return m_superview.lock().get();
}

} // namespace ui
