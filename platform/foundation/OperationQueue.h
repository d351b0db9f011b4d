#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace foundation {

// Runs operations on worker threads, at most maxConcurrentOperationCount at a time (-1: one per
// hardware thread), in the order they were added.
class OperationQueue final {
public:
    static constexpr int kDefaultMaxConcurrentOperationCount = -1;

    static std::shared_ptr<OperationQueue> create();

    OperationQueue();
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    void setMaxConcurrentOperationCount(int count);
    int maxConcurrentOperationCount() const;
    void addOperation(std::function<void()> operation);
    // Drops operations that have not started; running ones finish normally.
    void cancelAllOperations();
    // Operations queued or running.
    size_t operationCount() const;
    // Blocks the caller; never call it from one of this queue's own operations.
    void waitUntilAllOperationsAreFinished();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace foundation
