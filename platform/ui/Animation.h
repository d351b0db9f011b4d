#pragma once

#include "platform/ui/AnimationValue.h"
#include "platform/ui/TimingFunction.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

enum class FillMode { Removed, Forwards, Backwards, Both };

// An animation added to a layer under a key. It never changes the layer's model value: the
// presentation shows it while it runs. Like the platform, a layer keeps its own copy, so changing
// this object after addAnimation() does not affect the running one.
class Animation {
public:
    virtual ~Animation() = default;

    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }
    // Absolute clock time of the start; 0 means "when added".
    double beginTime() const { return m_beginTime; }
    void setBeginTime(double time) { m_beginTime = time; }
    const TimingFunction& timingFunction() const { return m_timing; }
    void setTimingFunction(const TimingFunction& f) { m_timing = f; }
    FillMode fillMode() const { return m_fillMode; }
    void setFillMode(FillMode mode) { m_fillMode = mode; }
    bool isRemovedOnCompletion() const { return m_removedOnCompletion; }
    void setRemovedOnCompletion(bool removed) { m_removedOnCompletion = removed; }

    // Called once when the animation ends (finished) or is removed or replaced early (not finished).
    using StopHandler = std::function<void(bool finished)>;
    const StopHandler& didStop() const { return m_didStop; }
    void setDidStop(StopHandler handler) { m_didStop = std::move(handler); }

    virtual std::shared_ptr<Animation> clone() const = 0;

private:
    double m_duration {0.25};
    double m_beginTime {0};
    TimingFunction m_timing {TimingFunction::defaultCurve()};
    FillMode m_fillMode {FillMode::Removed};
    bool m_removedOnCompletion {true};
    StopHandler m_didStop;
};

// From-to animation of one key path ("cornerRadius", "opacity", "position", "bounds",
// "transform", "transform.scale", "backgroundColor", ...). A missing from value starts from the
// presentation value; a missing to value ends on the model value.
class BasicAnimation : public Animation {
public:
    static std::shared_ptr<BasicAnimation> create(std::string keyPath);
    explicit BasicAnimation(std::string keyPath)
        : m_keyPath(std::move(keyPath))
    { }

    const std::string& keyPath() const { return m_keyPath; }
    const std::optional<AnimationValue>& fromValue() const { return m_from; }
    void setFromValue(std::optional<AnimationValue> v) { m_from = std::move(v); }
    const std::optional<AnimationValue>& toValue() const { return m_to; }
    void setToValue(std::optional<AnimationValue> v) { m_to = std::move(v); }

    // Progress (0..1 of the duration) to the mixing factor; springs override it.
    virtual double mixAt(double progress) const;
    std::shared_ptr<Animation> clone() const override;

private:
    std::string m_keyPath;
    std::optional<AnimationValue> m_from;
    std::optional<AnimationValue> m_to;
};

// A BasicAnimation that follows a damped spring settling within its duration.
class SpringAnimation final : public BasicAnimation {
public:
    static std::shared_ptr<SpringAnimation> create(std::string keyPath);
    explicit SpringAnimation(std::string keyPath)
        : BasicAnimation(std::move(keyPath))
    { }

    double dampingRatio() const { return m_damping; }
    void setDampingRatio(double ratio) { m_damping = ratio; }
    double initialVelocity() const { return m_velocity; }
    void setInitialVelocity(double velocity) { m_velocity = velocity; }

    double mixAt(double progress) const override;
    std::shared_ptr<Animation> clone() const override;

private:
    double m_damping {1};
    double m_velocity {0};
};

} // namespace ui
