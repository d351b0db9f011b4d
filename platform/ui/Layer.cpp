#include "platform/ui/Layer.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/AnimationGroup.h"
#include "platform/ui/LayerAnimations.h"
#include "platform/ui/View.h"

#include <cmath>

namespace ui {

namespace {

// The block whose change is being turned into an animation right now (see Layer::change).
const AnimationContext::Block* g_changingBlock = nullptr;

graphics::Color colorOrClear(const std::optional<graphics::Color>& c)
{
    return c ? *c : graphics::Color::clear();
}

} // namespace

Layer::Layer(View& owner)
    : m_view(owner)
    , m_animations(std::make_unique<LayerAnimations>(*this))
{ }

Layer::~Layer() = default;

std::optional<AnimationValue> Layer::valueForKeyPath(const LayerState& s, const std::string& k)
{
    if (k == "bounds")
        return s.bounds;
    if (k == "bounds.size")
        return s.bounds.size;
    if (k == "bounds.origin")
        return s.bounds.origin;
    if (k == "position")
        return s.position;
    if (k == "position.x")
        return s.position.x;
    if (k == "position.y")
        return s.position.y;
    if (k == "transform")
        return s.transform;
    if (k == "transform.scale")
        return std::hypot(s.transform.a, s.transform.b);
    if (k == "transform.rotation" || k == "transform.rotation.z")
        return std::atan2(s.transform.b, s.transform.a);
    if (k == "transform.translation.x")
        return s.transform.tx;
    if (k == "transform.translation.y")
        return s.transform.ty;
    if (k == "opacity")
        return s.opacity;
    if (k == "backgroundColor")
        return colorOrClear(s.backgroundColor);
    if (k == "cornerRadius")
        return s.cornerRadius;
    if (k == "borderWidth")
        return s.borderWidth;
    if (k == "borderColor")
        return s.borderColor;
    if (k == "shadowColor")
        return colorOrClear(s.shadowColor);
    if (k == "shadowOpacity")
        return s.shadowOpacity;
    if (k == "shadowOffset")
        return s.shadowOffset;
    if (k == "shadowRadius")
        return s.shadowRadius;
    return std::nullopt;
}

bool Layer::setValueForKeyPath(LayerState& s, const std::string& k, const AnimationValue& v)
{
    auto number = [&](double& target) {
        if (auto d = std::get_if<double>(&v)) {
            target = *d;
            return true;
        }
        return false;
    };
    if (k == "bounds") {
        if (auto r = std::get_if<graphics::Rect>(&v))
            return s.bounds = *r, true;
    } else if (k == "bounds.size") {
        if (auto z = std::get_if<graphics::Size>(&v))
            return s.bounds.size = *z, true;
    } else if (k == "bounds.origin") {
        if (auto p = std::get_if<graphics::Point>(&v))
            return s.bounds.origin = *p, true;
    } else if (k == "position") {
        if (auto p = std::get_if<graphics::Point>(&v))
            return s.position = *p, true;
    } else if (k == "position.x") {
        return number(s.position.x);
    } else if (k == "position.y") {
        return number(s.position.y);
    } else if (k == "transform") {
        if (auto t = std::get_if<graphics::AffineTransform>(&v))
            return s.transform = *t, true;
        if (auto t = std::get_if<Transform3D>(&v))
            return s.transform = t->affine(), true;
    } else if (k == "transform.scale") {
        double scale = 1;
        if (!number(scale))
            return false;
        double rotation = std::atan2(s.transform.b, s.transform.a);
        s.transform
            = graphics::AffineTransform::makeScale(scale, scale)
                  .concatenated(graphics::AffineTransform::makeRotation(rotation))
                  .concatenated(graphics::AffineTransform::makeTranslation(s.transform.tx, s.transform.ty));
        return true;
    } else if (k == "transform.rotation" || k == "transform.rotation.z") {
        double rotation = 0;
        if (!number(rotation))
            return false;
        double scale = std::hypot(s.transform.a, s.transform.b);
        s.transform
            = graphics::AffineTransform::makeScale(scale, scale)
                  .concatenated(graphics::AffineTransform::makeRotation(rotation))
                  .concatenated(graphics::AffineTransform::makeTranslation(s.transform.tx, s.transform.ty));
        return true;
    } else if (k == "transform.translation.x") {
        return number(s.transform.tx);
    } else if (k == "transform.translation.y") {
        return number(s.transform.ty);
    } else if (k == "opacity") {
        return number(s.opacity);
    } else if (k == "backgroundColor") {
        if (auto c = std::get_if<graphics::Color>(&v))
            return s.backgroundColor = *c, true;
    } else if (k == "cornerRadius") {
        return number(s.cornerRadius);
    } else if (k == "borderWidth") {
        return number(s.borderWidth);
    } else if (k == "borderColor") {
        if (auto c = std::get_if<graphics::Color>(&v))
            return s.borderColor = *c, true;
    } else if (k == "shadowColor") {
        if (auto c = std::get_if<graphics::Color>(&v))
            return s.shadowColor = *c, true;
    } else if (k == "shadowOpacity") {
        return number(s.shadowOpacity);
    } else if (k == "shadowOffset") {
        if (auto z = std::get_if<graphics::Size>(&v))
            return s.shadowOffset = *z, true;
    } else if (k == "shadowRadius") {
        return number(s.shadowRadius);
    }
    return false;
}

bool Layer::isAnimatableKeyPath(const std::string& keyPath)
{
    return valueForKeyPath(LayerState {}, keyPath).has_value();
}

void Layer::change(const char* keyPath, const AnimationValue& newValue)
{
    auto old = valueForKeyPath(m_model, keyPath);
    if (!old || *old == newValue)
        return;
    const AnimationContext::Block* block = AnimationContext::shared().currentBlock();
    std::optional<AnimationValue> from;
    if (block) {
        from = hasOption(block->options, AnimationOptions::BeginFromCurrentState)
            ? valueForKeyPath(presentation(), keyPath)
            : old;
    }
    graphics::Size oldSize = m_model.bounds.size;
    setValueForKeyPath(m_model, keyPath, newValue);
    if (block) {
        auto animation = AnimationContext::shared().makeAnimation(keyPath, foundation::RunLoop::main().now());
        animation->setFromValue(from);
        g_changingBlock = block;
        addAnimation(animation, keyPath);
        g_changingBlock = nullptr;
    }
    modelChanged();
    if (m_model.bounds.size != oldSize)
        m_view.layerBoundsSizeChanged(oldSize);
}

void Layer::modelChanged()
{
    View::markDisplayChanged();
}

void Layer::setBounds(graphics::Rect bounds)
{
    change("bounds", bounds);
}
void Layer::setPosition(graphics::Point position)
{
    change("position", position);
}

void Layer::setFrame(graphics::Rect frame)
{
    frame = frame.standardized();
    const graphics::AffineTransform& t = m_model.transform;
    graphics::Size size = m_model.bounds.size;
    if (t.isIdentity()) {
        size = frame.size;
    } else if (t.b == 0 && t.c == 0 && t.a != 0 && t.d != 0) {
        size = {frame.size.width / std::abs(t.a), frame.size.height / std::abs(t.d)};
    }
    // The bounds change first so that a frame animation of both keys starts from one state.
    change("bounds", graphics::Rect {m_model.bounds.origin, size});
    change("position", graphics::Point {frame.midX() - t.tx, frame.midY() - t.ty});
}

void Layer::setAffineTransform(const graphics::AffineTransform& transform)
{
    change("transform", transform);
}
void Layer::setOpacity(double opacity)
{
    change("opacity", opacity);
}

void Layer::setBackgroundColor(std::optional<graphics::Color> color)
{
    if (color == m_model.backgroundColor)
        return;
    if (!color || !m_model.backgroundColor) {
        // A nil colour is drawn as nothing; animate through clear and store nil at the end.
        change("backgroundColor", colorOrClear(color));
        m_model.backgroundColor = color;
        modelChanged();
        return;
    }
    change("backgroundColor", *color);
}

void Layer::setCornerRadius(double radius)
{
    change("cornerRadius", radius);
}
void Layer::setBorderWidth(double width)
{
    change("borderWidth", width);
}
void Layer::setBorderColor(graphics::Color color)
{
    change("borderColor", color);
}

void Layer::setShadowColor(std::optional<graphics::Color> color)
{
    if (color == m_model.shadowColor)
        return;
    change("shadowColor", colorOrClear(color));
    m_model.shadowColor = color;
    modelChanged();
}

void Layer::setShadowOpacity(double opacity)
{
    change("shadowOpacity", opacity);
}
void Layer::setShadowOffset(graphics::Size offset)
{
    change("shadowOffset", offset);
}
void Layer::setShadowRadius(double radius)
{
    change("shadowRadius", radius);
}

void Layer::setShadowPath(std::optional<graphics::BezierPath> path)
{
    m_shadowPath = std::move(path);
    modelChanged();
}

void Layer::setMasksToBounds(bool masks)
{
    m_masksToBounds = masks;
    modelChanged();
}

void Layer::setMask(std::shared_ptr<View> mask)
{
    m_mask = std::move(mask);
    modelChanged();
}

const LayerState& Layer::presentation() const
{
    bool moved = m_motionOffset.x != 0 || m_motionOffset.y != 0;
    if (m_animations->isEmpty() && !moved)
        return m_model;
    m_presentation = m_model;
    if (!m_animations->isEmpty())
        m_animations->apply(m_presentation, foundation::RunLoop::main().now());
    m_presentation.position = m_presentation.position + m_motionOffset;
    return m_presentation;
}

void Layer::setMotionOffset(graphics::Point offset)
{
    if (offset.x == m_motionOffset.x && offset.y == m_motionOffset.y)
        return;
    m_motionOffset = offset;
    modelChanged();
}

void Layer::addAnimation(const std::shared_ptr<Animation>& animation, const std::string& key)
{
    auto basic = std::dynamic_pointer_cast<BasicAnimation>(animation ? animation->clone() : nullptr);
    if (!basic || !isAnimatableKeyPath(basic->keyPath())) {
        foundation::logf("Layer: ignoring an animation of an unknown key path");
        return;
    }
    double now = foundation::RunLoop::main().now();
    if (basic->duration() <= 0)
        basic->setDuration(0.25);
    LayerAnimations::Entry entry;
    entry.key = key.empty() ? basic->keyPath() : key;
    entry.begin = basic->beginTime() > 0 ? basic->beginTime() : now;
    entry.from
        = basic->fromValue() ? *basic->fromValue() : *valueForKeyPath(presentation(), basic->keyPath());
    entry.animation = basic;
    if (g_changingBlock) {
        entry.groups.push_back(g_changingBlock->group);
        entry.blocksInteraction
            = !hasOption(g_changingBlock->options, AnimationOptions::AllowUserInteraction);
    }
    for (const auto& transaction : AnimationContext::shared().transactions())
        entry.groups.push_back(transaction.group);
    m_animations->add(std::move(entry));
}

void Layer::removeAnimation(const std::string& key)
{
    m_animations->remove(key);
}
void Layer::removeAllAnimations()
{
    m_animations->removeAll();
}
std::shared_ptr<Animation> Layer::animationForKey(const std::string& key) const
{
    return m_animations->find(key);
}
std::vector<std::string> Layer::animationKeys() const
{
    return m_animations->keys();
}
bool Layer::hasAnimations() const
{
    return !m_animations->isEmpty();
}

bool Layer::blocksUserInteraction() const
{
    return !m_animations->isEmpty() && m_animations->blocksInteraction(foundation::RunLoop::main().now());
}

} // namespace ui
