#include "platform/ui/LayerAnimations.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/AnimationGroup.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace ui {

namespace {
// Clock readings and summed durations differ in the last bits; an end this close counts as reached.
constexpr double kTimeEpsilon = 1e-9;

double endOf(const LayerAnimations::Entry& e)
{
    return e.begin + e.animation->duration();
}
} // namespace

LayerAnimations::LayerAnimations(Layer& layer)
    : m_layer(layer)
{ }

LayerAnimations::~LayerAnimations()
{
    AnimationEngine::shared().deactivate(this);
    std::vector<std::function<void()>> stops;
    for (auto& entry : m_entries)
        if (!entry.done)
            stops.push_back(stopCall(entry, false));
    postStops(std::move(stops));
}

std::function<void()> LayerAnimations::stopCall(
    Entry& entry, bool finished, const std::vector<std::shared_ptr<AnimationGroup>>& carriedOn)
{
    entry.done = true;
    return [animation = entry.animation, groups = entry.groups, finished, carriedOn] {
        if (animation->didStop())
            animation->didStop()(finished);
        // A block that sets a property twice replaces its own animation: that group is not
        // interrupted, the replacement finishes for it.
        for (const auto& group : groups)
            group->leave(finished || std::find(carriedOn.begin(), carriedOn.end(), group) != carriedOn.end());
    };
}

void LayerAnimations::postStops(std::vector<std::function<void()>> stops)
{
    // Stops caused by a change (replace, remove) run at the next turn, never inside the setter.
    for (auto& stop : stops)
        foundation::RunLoop::main().post(std::move(stop));
}

void LayerAnimations::add(Entry entry)
{
    std::vector<std::function<void()>> stops;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->key == entry.key) {
            if (!it->done)
                stops.push_back(stopCall(*it, false, entry.groups));
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& group : entry.groups)
        group->join();
    double end = endOf(entry);
    m_entries.push_back(std::move(entry));
    postStops(std::move(stops));
    AnimationEngine::shared().activate(this, end);
    View::markDisplayChanged();
}

void LayerAnimations::remove(const std::string& key)
{
    std::vector<std::function<void()>> stops;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->key == key) {
            if (!it->done)
                stops.push_back(stopCall(*it, false));
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    postStops(std::move(stops));
    View::markDisplayChanged();
}

void LayerAnimations::removeAll()
{
    std::vector<std::function<void()>> stops;
    for (auto& entry : m_entries)
        if (!entry.done)
            stops.push_back(stopCall(entry, false));
    m_entries.clear();
    postStops(std::move(stops));
    View::markDisplayChanged();
}

std::shared_ptr<BasicAnimation> LayerAnimations::find(const std::string& key) const
{
    for (const auto& entry : m_entries)
        if (entry.key == key)
            return entry.animation;
    return nullptr;
}

std::vector<std::string> LayerAnimations::keys() const
{
    std::vector<std::string> result;
    for (const auto& entry : m_entries)
        result.push_back(entry.key);
    return result;
}

bool LayerAnimations::hasRunning() const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return !e.done; });
}

bool LayerAnimations::blocksInteraction(double now) const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
        [now](const Entry& e) { return !e.done && e.blocksInteraction && now < endOf(e) - kTimeEpsilon; });
}

void LayerAnimations::apply(LayerState& state, double now) const
{
    for (const auto& entry : m_entries) {
        const BasicAnimation& animation = *entry.animation;
        auto model = Layer::valueForKeyPath(state, animation.keyPath());
        if (!model)
            continue;
        AnimationValue to = animation.toValue() ? *animation.toValue() : *model;
        double local = now - entry.begin;
        double duration = animation.duration();
        FillMode fill = animation.fillMode();
        double mix;
        if (local < 0) {
            if (fill != FillMode::Backwards && fill != FillMode::Both)
                continue;
            mix = animation.mixAt(0);
        } else if (entry.done || local >= duration - kTimeEpsilon) {
            if (fill != FillMode::Forwards && fill != FillMode::Both)
                continue;
            mix = 1;
        } else {
            mix = animation.mixAt(duration > 0 ? local / duration : 1);
        }
        Layer::setValueForKeyPath(state, animation.keyPath(), interpolate(entry.from, to, mix));
    }
}

void LayerAnimations::collectEnded(double now, std::vector<std::function<void()>>& stops)
{
    bool changed = false;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (!it->done && now >= endOf(*it) - kTimeEpsilon) {
            stops.push_back(stopCall(*it, true));
            changed = true;
            if (it->animation->isRemovedOnCompletion()) {
                it = m_entries.erase(it);
                continue;
            }
        }
        ++it;
    }
    if (changed)
        View::markDisplayChanged();
}

AnimationEngine& AnimationEngine::shared()
{
    // Never destroyed: layers released during exit still deregister.
    static auto* engine = new AnimationEngine;
    return *engine;
}

void AnimationEngine::activate(LayerAnimations* animations, double endTime)
{
    if (std::find(m_active.begin(), m_active.end(), animations) == m_active.end())
        m_active.push_back(animations);
    ensureFrameCallback();
    auto& loop = foundation::RunLoop::main();
    // Wake exactly at the end so completions run on time, not up to a frame late.
    loop.performAfter(std::max(0.0, endTime - loop.now()),
        [] { AnimationEngine::shared().step(foundation::RunLoop::main().now()); });
}

void AnimationEngine::deactivate(LayerAnimations* animations)
{
    m_active.erase(std::remove(m_active.begin(), m_active.end(), animations), m_active.end());
}

void AnimationEngine::ensureFrameCallback()
{
    auto& loop = foundation::RunLoop::main();
    // A reset run loop forgets its callbacks; register again then.
    if (m_frameCallback != 0 && loop.hasFrameCallbacks())
        return;
    if (m_frameCallback != 0)
        loop.removeFrameCallback(m_frameCallback);
    m_frameCallback = loop.addFrameCallback([](double now) { AnimationEngine::shared().step(now); });
}

void AnimationEngine::step(double now)
{
    std::vector<std::function<void()>> stops;
    auto active = m_active;
    for (LayerAnimations* animations : active) {
        animations->collectEnded(now, stops);
        if (!animations->hasRunning())
            deactivate(animations);
    }
    if (!m_active.empty())
        View::markDisplayChanged();
    if (m_active.empty() && m_frameCallback != 0) {
        foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
        m_frameCallback = 0;
    }
    for (auto& stop : stops)
        stop();
}

void AnimationEngine::resetForTesting()
{
    // Take everything first: dropping completions can release views, whose layers deregister.
    auto active = std::exchange(m_active, {});
    std::vector<std::vector<LayerAnimations::Entry>> dropped;
    for (LayerAnimations* animations : active)
        dropped.push_back(animations->takeForTesting());
    if (m_frameCallback != 0)
        foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
    m_frameCallback = 0;
    dropped.clear();
}

} // namespace ui
