#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <vector>

namespace ui {

class View;
class DynamicAnimator;

// A rule for the dynamic animator: what it does to its items at each step, plus an optional action
// run after every step. Behaviours may be composed of child behaviours.
class DynamicBehavior : public std::enable_shared_from_this<DynamicBehavior> {
public:
    virtual ~DynamicBehavior() = default;
    DynamicBehavior(const DynamicBehavior&) = delete;
    DynamicBehavior& operator=(const DynamicBehavior&) = delete;

    const std::vector<std::shared_ptr<DynamicBehavior>>& childBehaviors() const { return m_children; }
    void addChildBehavior(std::shared_ptr<DynamicBehavior> behavior);
    void removeChildBehavior(const std::shared_ptr<DynamicBehavior>& behavior);

    // Runs on the main thread after each step of the animator that holds this behaviour.
    const std::function<void()>& action() const { return m_action; }
    void setAction(std::function<void()> action) { m_action = std::move(action); }

    DynamicAnimator* dynamicAnimator() const { return m_animator; }

    // The views this behaviour moves (its own, not its children's).
    virtual std::vector<std::shared_ptr<View>> items() const { return {}; }

protected:
    DynamicBehavior() = default;

private:
    friend class DynamicAnimator;
    std::vector<std::shared_ptr<DynamicBehavior>> m_children;
    std::function<void()> m_action;
    DynamicAnimator* m_animator {nullptr};
};

// A vector in the animator's units: a magnitude of 1 accelerates a 100 x 100 point item of density 1
// by 100 points per second squared (or, as an impulse, changes its speed by 100 points per second).
struct Vector {
    double dx = 0;
    double dy = 0;
    constexpr bool operator==(const Vector&) const = default;
};

} // namespace ui
