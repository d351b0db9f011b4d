#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Forward.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/AnimationOptions.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ViewTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// A rectangle on screen with a layer, subviews, touches and gesture recognisers. Getters return
// model values; the renderer draws layer().presentation(). Made with create() (held by
// shared_ptr); the superview and the window are weak.
class View : public Responder {
public:
    static std::shared_ptr<View> create(graphics::Rect frame = {});
    explicit View(graphics::Rect frame = {});
    ~View() override;

    virtual const char* className() const { return "View"; }

    // Geometry. The frame is the transformed bounds' bounding box; setting it with a transform
    // moves the centre and, for a scale-only transform, sizes the bounds to match.
    graphics::Rect frame() const;
    virtual void setFrame(graphics::Rect frame);
    graphics::Rect bounds() const;
    virtual void setBounds(graphics::Rect bounds);
    graphics::Point center() const;
    void setCenter(graphics::Point center);
    graphics::AffineTransform transform() const;
    void setTransform(const graphics::AffineTransform& transform);

    double alpha() const;
    void setAlpha(double alpha);
    bool isHidden() const { return m_hidden; }
    virtual void setHidden(bool hidden);
    std::optional<graphics::Color> backgroundColor() const;
    virtual void setBackgroundColor(std::optional<graphics::Color> color);
    bool clipsToBounds() const;
    void setClipsToBounds(bool clips);
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    std::optional<graphics::Color> tintColor() const { return m_tintColor; }
    void setTintColor(std::optional<graphics::Color> color);
    // The view's tint, else the nearest ancestor's, else the platform's blue.
    graphics::Color effectiveTintColor() const;

    int64_t tag() const { return m_tag; }
    void setTag(int64_t tag) { m_tag = tag; }
    // This view or the first descendant (depth first, in subview order) with the tag.
    std::shared_ptr<View> viewWithTag(int64_t tag);

    uint32_t autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(uint32_t mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool autoresizes) { m_autoresizesSubviews = autoresizes; }
    ContentMode contentMode() const { return m_contentMode; }
    virtual void setContentMode(ContentMode mode);

    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    virtual void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    bool isMultipleTouchEnabled() const { return m_multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { m_multipleTouchEnabled = enabled; }
    bool isExclusiveTouch() const { return m_exclusiveTouch; }
    void setExclusiveTouch(bool exclusive) { m_exclusiveTouch = exclusive; }

    Layer& layer() { return *m_layer; }
    const Layer& layer() const { return *m_layer; }

    // Hierarchy.
    std::shared_ptr<View> superview() const { return m_superview.lock(); }
    const std::vector<std::shared_ptr<View>>& subviews() const { return m_subviews; }
    std::shared_ptr<Window> window() const;
    void addSubview(std::shared_ptr<View> view);
    void insertSubview(std::shared_ptr<View> view, size_t index);
    void insertSubviewAbove(std::shared_ptr<View> view, const std::shared_ptr<View>& sibling);
    void insertSubviewBelow(std::shared_ptr<View> view, const std::shared_ptr<View>& sibling);
    void bringSubviewToFront(const std::shared_ptr<View>& view);
    void sendSubviewToBack(const std::shared_ptr<View>& view);
    void exchangeSubviews(size_t index1, size_t index2);
    void removeFromSuperview();
    bool isDescendantOfView(const View* view) const;
    // Resigns the first responder when it is this view or inside it; true when nothing in this
    // subtree is editing afterwards. `force` is accepted for the platform's signature; a
    // responder that refuses to resign keeps the focus.
    bool endEditing(bool force);

    virtual void willMoveToSuperview(View* newSuperview) { (void)newSuperview; }
    virtual void didMoveToSuperview() { }
    virtual void willMoveToWindow(Window* newWindow);
    virtual void didMoveToWindow();
    virtual void didAddSubview(View* subview) { (void)subview; }
    virtual void willRemoveSubview(View* subview) { (void)subview; }

    // Layout: setNeedsLayout marks the view for the layout pass that the run loop runs before the
    // next frame; layoutIfNeeded runs it now for this subtree.
    virtual void layoutSubviews() { }
    void setNeedsLayout();
    void layoutIfNeeded();
    bool needsLayout() const { return m_needsLayout; }
    virtual graphics::Size sizeThatFits(graphics::Size size) const;
    void sizeToFit();
    static constexpr double kNoIntrinsicMetric = -1;
    virtual graphics::Size intrinsicContentSize() const { return {kNoIntrinsicMetric, kNoIntrinsicMetric}; }

    // Drawing: the renderer calls draw() with the bounds' coordinates, after the background.
    virtual void draw(graphics::GraphicsContext& context, graphics::Rect rect);
    void setNeedsDisplay();
    bool needsDisplay() const { return m_needsDisplay; }
    // Moves on every setNeedsDisplay(), so caches of the view's drawing can tell they are stale.
    uint64_t displayVersion() const { return m_displayVersion; }
    void clearNeedsDisplay() { m_needsDisplay = false; }
    // A process-wide counter that moves whenever anything visible may have changed (a property,
    // the hierarchy, a running animation); hosts present a frame when it moved.
    static uint64_t displayGeneration();
    static void markDisplayChanged();

    // Coordinate conversion through transforms; a null view means the window's coordinates.
    graphics::Point convertPointToView(graphics::Point point, const View* view) const;
    graphics::Point convertPointFromView(graphics::Point point, const View* view) const;
    graphics::Rect convertRectToView(graphics::Rect rect, const View* view) const;
    graphics::Rect convertRectFromView(graphics::Rect rect, const View* view) const;
    // Model-value map from this view's bounds coordinates to its root's (window) coordinates.
    graphics::AffineTransform transformToRoot() const;

    // Hit testing: skips hidden views, alpha below 0.01, interaction off, views scaled to nothing
    // and views that are being animated without AllowUserInteraction.
    virtual std::shared_ptr<View> hitTest(graphics::Point point, const Event* event);
    virtual bool pointInside(graphics::Point point, const Event* event) const;

    // Gesture recognisers.
    void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const
    {
        return m_recognizers;
    }

    // Motion effects: offsets that follow the device's tilt, on screen only.
    void addMotionEffect(std::shared_ptr<MotionEffect> effect);
    void removeMotionEffect(const std::shared_ptr<MotionEffect>& effect);
    const std::vector<std::shared_ptr<MotionEffect>>& motionEffects() const { return m_motionEffects; }

    // Accessibility.
    const std::string& accessibilityLabel() const { return m_accessibilityLabel; }
    void setAccessibilityLabel(std::string label) { m_accessibilityLabel = std::move(label); }
    const std::string& accessibilityHint() const { return m_accessibilityHint; }
    void setAccessibilityHint(std::string hint) { m_accessibilityHint = std::move(hint); }
    AccessibilityTraits accessibilityTraits() const { return m_accessibilityTraits; }
    void setAccessibilityTraits(AccessibilityTraits traits) { m_accessibilityTraits = traits; }
    bool isAccessibilityElement() const { return m_isAccessibilityElement; }
    void setIsAccessibilityElement(bool element) { m_isAccessibilityElement = element; }
    // The text a view shows (labels, buttons, fields), for tree dumps and automation.
    virtual std::string automationText() const { return {}; }
    // Touchable parts that a view draws itself rather than as subviews (a bar's buttons), in its
    // bounds coordinates: automation lists and taps them as it does subviews.
    struct AutomationElement {
        std::string className;
        std::string text;
        graphics::Rect frame;
    };
    virtual std::vector<AutomationElement> automationElements() const { return {}; }

    // The controller whose root view this is.
    std::shared_ptr<ViewController> viewController() const { return m_controller.lock(); }
    void setViewController(const std::shared_ptr<ViewController>& controller) { m_controller = controller; }

    Responder* nextResponder() const override;

    // Block animations. Properties changed inside `animations` keep their new model value at once
    // and animate on screen from the old one (from the presentation with BeginFromCurrentState).
    // The completion runs once when all animations the block made have ended (finished) or
    // when one of them was replaced or removed (not finished); at the next turn of the run loop
    // when the block made none. A duration <= 0 changes the values at once.
    using Completion = std::function<void(bool finished)>;
    static void animate(double duration, const std::function<void()>& animations);
    static void animate(double duration, const std::function<void()>& animations, Completion completion);
    static void animate(double duration, double delay, AnimationOptions options,
        const std::function<void()>& animations, Completion completion);
    static void animateWithSpring(double duration, double delay, double dampingRatio, double initialVelocity,
        AnimationOptions options, const std::function<void()>& animations, Completion completion);
    static void performWithoutAnimation(const std::function<void()>& actions);
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();

    // Called by the layer when a model property changed (geometry changes lay out subviews).
    void layerBoundsSizeChanged(graphics::Size oldSize);

protected:
    // For views backed by a layer subclass (the platform's layer class override).
    using LayerFactory = std::function<std::unique_ptr<Layer>(View&)>;
    View(graphics::Rect frame, const LayerFactory& makeLayer);

    // Autoresizes the subviews for a bounds size change.
    virtual void resizeSubviews(graphics::Size oldSize);

private:
    void setSuperview(const std::shared_ptr<View>& superview) { m_superview = superview; }
    void attachSubview(std::shared_ptr<View> view, size_t index);
    void notifyWillMoveToWindow(Window* newWindow);
    void notifyDidMoveToWindow();
    void resignFirstResponderInSubtree();
    void applyAutoresizing(graphics::Size oldSuperSize, graphics::Size newSuperSize);
    void layoutSubtree();
    friend class Window;

    std::unique_ptr<Layer> m_layer;
    std::weak_ptr<View> m_superview;
    std::vector<std::shared_ptr<View>> m_subviews;
    std::weak_ptr<ViewController> m_controller;
    std::vector<std::shared_ptr<GestureRecognizer>> m_recognizers;
    std::vector<std::shared_ptr<MotionEffect>> m_motionEffects;
    std::optional<graphics::Color> m_tintColor;
    std::string m_accessibilityLabel;
    std::string m_accessibilityHint;
    AccessibilityTraits m_accessibilityTraits {AccessibilityTraits::None};
    int64_t m_tag {0};
    uint32_t m_autoresizingMask {Autoresizing::None};
    ContentMode m_contentMode {ContentMode::ScaleToFill};
    bool m_hidden {false};
    bool m_opaque {true};
    bool m_autoresizesSubviews {true};
    bool m_userInteractionEnabled {true};
    bool m_multipleTouchEnabled {false};
    bool m_exclusiveTouch {false};
    bool m_isAccessibilityElement {false};
    bool m_needsLayout {true};
    bool m_needsDisplay {true};
    uint64_t m_displayVersion {0};
};

} // namespace ui
