#pragma once

#include <functional>
#include <vector>

namespace ui {

// Handed to controllers when the interface changes size (a rotation): blocks to run inside the
// transition's animation and after it.
class TransitionCoordinator final {
public:
    explicit TransitionCoordinator(double duration)
        : m_duration(duration)
    { }
    using Block = std::function<void()>;
    void animateAlongsideTransition(Block alongside, Block completion)
    {
        if (alongside)
            m_alongside.push_back(std::move(alongside));
        if (completion)
            m_completions.push_back(std::move(completion));
    }
    double transitionDuration() const { return m_duration; }

    // The rotation driver runs them.
    void runAlongside()
    {
        for (auto& block : m_alongside)
            block();
    }
    void runCompletions()
    {
        for (auto& block : m_completions)
            block();
    }

private:
    double m_duration;
    std::vector<Block> m_alongside;
    std::vector<Block> m_completions;
};

} // namespace ui
