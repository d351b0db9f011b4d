#pragma once

#include <functional>

namespace ui {

// Groups the animations added between begin() and commit(): the completion block runs once all of
// them have ended (at the next run-loop turn when there were none). Transactions nest.
class Transaction final {
public:
    static void begin();
    static void commit();
    static void setCompletionBlock(std::function<void()> block);
    // While set, changing a layer property inside an animation block does not animate it.
    static void setDisableActions(bool disable);
    static bool disableActions();
    static int depth();
};

} // namespace ui
