#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/ui/Animation.h"
#include "platform/ui/LayerState.h"
#include "platform/ui/Transform3D.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class View;
class LayerAnimations;

// The drawing state behind a view: geometry, opacity, colours, corners, border, shadow, and the
// animations running on them. Every view owns exactly one; the view's frame, centre, alpha and
// background colour are the layer's. Changing an animatable property inside a view animation
// block stores the new model value at once and adds an animation (through the virtual
// addAnimation, so a subclass can adjust every animation added to it).
class Layer {
public:
    explicit Layer(View& owner);
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    View& view() const { return m_view; }

    // Model values.
    graphics::Rect bounds() const { return m_model.bounds; }
    void setBounds(graphics::Rect bounds);
    graphics::Point position() const { return m_model.position; }
    void setPosition(graphics::Point position);
    graphics::Rect frame() const { return m_model.frame(); }
    void setFrame(graphics::Rect frame);
    graphics::AffineTransform affineTransform() const { return m_model.transform; }
    void setAffineTransform(const graphics::AffineTransform& transform);
    // The 3D view of the same transform (z parts beyond an affine map are not kept).
    Transform3D transform() const { return Transform3D::fromAffine(m_model.transform); }
    void setTransform(const Transform3D& transform) { setAffineTransform(transform.affine()); }
    double opacity() const { return m_model.opacity; }
    void setOpacity(double opacity);
    std::optional<graphics::Color> backgroundColor() const { return m_model.backgroundColor; }
    void setBackgroundColor(std::optional<graphics::Color> color);
    double cornerRadius() const { return m_model.cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return m_model.borderWidth; }
    void setBorderWidth(double width);
    graphics::Color borderColor() const { return m_model.borderColor; }
    void setBorderColor(graphics::Color color);
    std::optional<graphics::Color> shadowColor() const { return m_model.shadowColor; }
    void setShadowColor(std::optional<graphics::Color> color);
    double shadowOpacity() const { return m_model.shadowOpacity; }
    void setShadowOpacity(double opacity);
    graphics::Size shadowOffset() const { return m_model.shadowOffset; }
    void setShadowOffset(graphics::Size offset);
    double shadowRadius() const { return m_model.shadowRadius; }
    void setShadowRadius(double radius);

    // Not animatable.
    const std::optional<graphics::BezierPath>& shadowPath() const { return m_shadowPath; }
    void setShadowPath(std::optional<graphics::BezierPath> path);
    bool masksToBounds() const { return m_masksToBounds; }
    void setMasksToBounds(bool masks);
    bool shouldRasterize() const { return m_shouldRasterize; }
    void setShouldRasterize(bool rasterize) { m_shouldRasterize = rasterize; }
    double rasterizationScale() const { return m_rasterizationScale; }
    void setRasterizationScale(double scale) { m_rasterizationScale = scale; }
    // The renderer's picture of a rasterized layer, kept with the layer and reused while the
    // layer's content stays the same.
    const std::shared_ptr<void>& rasterCache() const { return m_rasterCache; }
    void setRasterCache(std::shared_ptr<void> cache) const { m_rasterCache = std::move(cache); }
    double contentsScale() const { return m_contentsScale; }
    void setContentsScale(double scale) { m_contentsScale = scale; }
    // A view whose alpha masks this layer's content (in this layer's bounds coordinates).
    const std::shared_ptr<View>& mask() const { return m_mask; }
    void setMask(std::shared_ptr<View> mask);

    // Moves what is on screen without changing the model (the view's motion effects).
    graphics::Point motionOffset() const { return m_motionOffset; }
    void setMotionOffset(graphics::Point offset);

    const LayerState& modelState() const { return m_model; }
    // What is on screen at the run loop's current time.
    const LayerState& presentation() const;

    // Explicit animations. Adding under a key that is in use replaces (stops, not finished) the
    // old one. The animation is copied.
    virtual void addAnimation(const std::shared_ptr<Animation>& animation, const std::string& key);
    void removeAnimation(const std::string& key);
    void removeAllAnimations();
    std::shared_ptr<Animation> animationForKey(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    bool hasAnimations() const;
    // True while a block animation without AllowUserInteraction runs on this layer.
    bool blocksUserInteraction() const;

    // Key-path access used by animations: "bounds", "bounds.size", "position", "position.x",
    // "position.y", "transform", "transform.scale", "transform.rotation.z", "opacity",
    // "backgroundColor", "cornerRadius", "borderWidth", "borderColor", "shadowColor",
    // "shadowOpacity", "shadowOffset", "shadowRadius".
    static bool isAnimatableKeyPath(const std::string& keyPath);
    static std::optional<AnimationValue> valueForKeyPath(const LayerState& state, const std::string& keyPath);
    static bool setValueForKeyPath(
        LayerState& state, const std::string& keyPath, const AnimationValue& value);

private:
    friend class LayerAnimations;
    // Sets a model property, animating it when inside an animation block.
    void change(const char* keyPath, const AnimationValue& newValue);
    void modelChanged();

    View& m_view;
    LayerState m_model;
    mutable LayerState m_presentation;
    std::unique_ptr<LayerAnimations> m_animations;
    std::optional<graphics::BezierPath> m_shadowPath;
    std::shared_ptr<View> m_mask;
    graphics::Point m_motionOffset;
    bool m_masksToBounds {false};
    bool m_shouldRasterize {false};
    double m_rasterizationScale {1};
    double m_contentsScale {1};
    mutable std::shared_ptr<void> m_rasterCache;
};

} // namespace ui
