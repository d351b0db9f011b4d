#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/DynamicBehavior.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace ui {

// Runs physics on views of a reference view: a fixed-step integrator (120 steps a second) driven by
// the run loop's frames and clock, so the motion under the manual clock is exact and repeatable.
// Items move in the reference view's coordinates; their centres and rotations are written back to
// the views after every step. Steps only while it holds behaviours.
class DynamicAnimator final {
public:
    static std::shared_ptr<DynamicAnimator> create(const std::shared_ptr<View>& referenceView);
    explicit DynamicAnimator(const std::shared_ptr<View>& referenceView);
    ~DynamicAnimator();
    DynamicAnimator(const DynamicAnimator&) = delete;
    DynamicAnimator& operator=(const DynamicAnimator&) = delete;

    std::shared_ptr<View> referenceView() const { return m_referenceView.lock(); }

    void addBehavior(const std::shared_ptr<DynamicBehavior>& behavior);
    void removeBehavior(const std::shared_ptr<DynamicBehavior>& behavior);
    void removeAllBehaviors();
    const std::vector<std::shared_ptr<DynamicBehavior>>& behaviors() const { return m_behaviors; }

    // The items whose frames meet the rectangle (reference view coordinates).
    std::vector<std::shared_ptr<View>> itemsInRect(graphics::Rect rect) const;
    bool isRunning() const { return m_frameCallback != 0; }
    // Time since the animator last started running, in seconds of the run loop's clock.
    double elapsedTime() const { return m_elapsed; }

    // Reads an item's centre and transform again after it was moved from outside.
    void updateItemUsingCurrentState(const View& item);

    // Advances by whole steps up to the given clock time; the run loop calls it on every frame.
    void stepTo(double now);

    static constexpr double kStep = 1.0 / 120.0;

    // For tests and callers: the item's velocity (points per second) and angular velocity (radians
    // per second), zero for a view the animator does not hold.
    graphics::Point linearVelocityForItem(const View& item) const;
    double angularVelocityForItem(const View& item) const;

private:
    struct Body;
    void rebuildBodies();
    void startRunning();
    void stopRunning();
    void step();
    void collect(const std::shared_ptr<DynamicBehavior>& behavior,
        std::vector<std::shared_ptr<DynamicBehavior>>& into) const;
    void detach(const std::shared_ptr<DynamicBehavior>& behavior);

    std::weak_ptr<View> m_referenceView;
    // Cleared on destruction: an action may release the animator in the middle of a step.
    std::shared_ptr<bool> m_alive;
    std::vector<std::shared_ptr<DynamicBehavior>> m_behaviors;
    std::map<const View*, std::unique_ptr<Body>> m_bodies;
    uint64_t m_frameCallback {0};
    double m_lastTime {0};
    double m_accumulator {0};
    double m_elapsed {0};
};

} // namespace ui
