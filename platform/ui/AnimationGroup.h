#pragma once

#include <functional>
#include <memory>

namespace ui {

// Completion bookkeeping for the animations of one block or transaction: the completion runs once,
// when the group is sealed and its last animation has stopped (finished only if all finished),
// or at the next run-loop turn when it is sealed with none.
class AnimationGroup final : public std::enable_shared_from_this<AnimationGroup> {
public:
    using Completion = std::function<void(bool finished)>;
    explicit AnimationGroup(Completion completion)
        : m_completion(std::move(completion))
    { }

    void join() { ++m_pending; }
    void leave(bool finished);
    void seal();
    bool allowsUserInteraction() const { return m_allowsInteraction; }
    void setAllowsUserInteraction(bool allows) { m_allowsInteraction = allows; }

private:
    void fire();

    Completion m_completion;
    int m_pending {0};
    bool m_sealed {false};
    bool m_finished {true};
    bool m_fired {false};
    bool m_allowsInteraction {true};
};

} // namespace ui
