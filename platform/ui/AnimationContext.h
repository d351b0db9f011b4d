#pragma once

#include "platform/ui/AnimationOptions.h"
#include "platform/ui/TimingFunction.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

class AnimationGroup;
class BasicAnimation;

// The open animation blocks and transactions of the main thread, innermost last. Layers ask it
// whether a property change should animate and with what.
class AnimationContext final {
public:
    struct Block {
        bool enabled {true};
        double duration {0};
        double delay {0};
        AnimationOptions options {AnimationOptions::None};
        std::optional<double> springDamping;
        double springVelocity {0};
        std::shared_ptr<AnimationGroup> group;
    };
    struct TransactionEntry {
        std::shared_ptr<AnimationGroup> group;
        std::shared_ptr<std::function<void()>> completion;
        bool disableActions {false};
    };

    static AnimationContext& shared();

    void pushBlock(Block block) { m_blocks.push_back(std::move(block)); }
    void popBlock() { m_blocks.pop_back(); }
    // The block that animates a change made now, if any.
    const Block* currentBlock() const;
    // A new animation of `keyPath` as the current block makes it (nullptr outside blocks).
    std::shared_ptr<BasicAnimation> makeAnimation(const char* keyPath, double now) const;

    std::vector<TransactionEntry>& transactions() { return m_transactions; }
    bool actionsDisabled() const;

    bool animationsEnabled() const { return m_enabled; }
    void setAnimationsEnabled(bool enabled) { m_enabled = enabled; }

    void reset();

private:
    std::vector<Block> m_blocks;
    std::vector<TransactionEntry> m_transactions;
    bool m_enabled {true};
};

TimingFunction timingForOptions(AnimationOptions options);

} // namespace ui
