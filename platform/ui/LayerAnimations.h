#pragma once

#include "platform/ui/AnimationValue.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class AnimationGroup;
class BasicAnimation;
class Layer;
struct LayerState;

// The animations running on one layer, in the order they were added, each with its resolved
// start time and start value and the completion groups it reports to.
class LayerAnimations final {
public:
    explicit LayerAnimations(Layer& layer);
    ~LayerAnimations();
    LayerAnimations(const LayerAnimations&) = delete;
    LayerAnimations& operator=(const LayerAnimations&) = delete;

    struct Entry {
        std::string key;
        std::shared_ptr<BasicAnimation> animation;
        double begin {0};
        AnimationValue from;
        std::vector<std::shared_ptr<AnimationGroup>> groups;
        bool blocksInteraction {false};
        bool done {false};
    };

    // Replaces an entry with the same key (that one stops, not finished).
    void add(Entry entry);
    void remove(const std::string& key);
    void removeAll();
    std::shared_ptr<BasicAnimation> find(const std::string& key) const;
    std::vector<std::string> keys() const;
    bool isEmpty() const { return m_entries.empty(); }
    bool hasRunning() const;
    bool blocksInteraction(double now) const;

    // Writes the animated values at `now` over the model values in `state`.
    void apply(LayerState& state, double now) const;
    // Ends the animations due at `now`; their stop calls are appended for the caller to run.
    void collectEnded(double now, std::vector<std::function<void()>>& stops);

    // Hands the entries over without stopping them (tests); destroying them may release views.
    std::vector<Entry> takeForTesting() { return std::exchange(m_entries, {}); }

private:
    static std::function<void()> stopCall(
        Entry& entry, bool finished, const std::vector<std::shared_ptr<AnimationGroup>>& carriedOn = {});
    void postStops(std::vector<std::function<void()>> stops);

    Layer& m_layer;
    std::vector<Entry> m_entries;
};

// Steps every layer that has running animations from one run-loop frame callback, and wakes at
// each animation's exact end time with a timer.
class AnimationEngine final {
public:
    static AnimationEngine& shared();

    void activate(LayerAnimations* animations, double endTime);
    void deactivate(LayerAnimations* animations);
    void step(double now);
    bool isActive() const { return !m_active.empty(); }
    void resetForTesting();

private:
    void ensureFrameCallback();

    std::vector<LayerAnimations*> m_active;
    uint64_t m_frameCallback {0};
};

} // namespace ui
