#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"
#include "platform/ui/GestureRecognizer.h"

#include <memory>
#include <vector>

namespace ui {

// Delivers touches to hit views and their recognisers and arbitrates between recognisers:
// failure requirements (explicit and from delegates), exclusivity (one recognises, the others
// that cannot run simultaneously fail), cancelling touches in views, and resets once a finished
// recogniser's touches have all ended.
class TouchDispatcher final {
public:
    std::shared_ptr<Touch> touchDown(graphics::Point screenPoint);
    void touchMoved(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint);
    void touchUp(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint);
    void touchCancelled(const std::shared_ptr<Touch>& touch);

    // A recogniser asks for a new state.
    void requestState(GestureRecognizer& recognizer, GestureState state);
    void reset();

    static constexpr double kMultiTapInterval = 0.35;
    static constexpr double kMultiTapDistance = 45;

private:
    enum class Phase { Began, Moved, Ended, Cancelled };
    void dispatch(const std::shared_ptr<Touch>& touch, Phase phase);
    void recognize(GestureRecognizer& recognizer, GestureState state);
    void fail(GestureRecognizer& recognizer);
    void reevaluateWaiting();
    std::vector<std::shared_ptr<GestureRecognizer>> requirementsOf(GestureRecognizer& recognizer) const;
    // Where a recogniser stands with the recognisers it requires to fail.
    enum class Requirement { Met, Wait, Fail };
    Requirement requirementState(GestureRecognizer& recognizer) const;
    bool canRunTogether(GestureRecognizer& a, GestureRecognizer& b) const;
    bool shareTouches(const GestureRecognizer& a, const GestureRecognizer& b) const;
    bool isInvolved(const GestureRecognizer& recognizer) const;
    void cleanup();
    void deliverToView(const std::shared_ptr<Touch>& touch, Phase phase);
    bool isHeldBack(const Touch& touch) const;
    void releaseHeldTouches();

    std::vector<std::shared_ptr<GestureRecognizer>> m_active;
    std::vector<std::shared_ptr<Touch>> m_live;
    std::shared_ptr<Touch> m_current;
    std::vector<std::shared_ptr<Touch>> m_held;
    double m_lastTapTime {-1e9};
    graphics::Point m_lastTapLocation;
    int m_lastTapCount {0};
    int m_depth {0};
};

} // namespace ui
