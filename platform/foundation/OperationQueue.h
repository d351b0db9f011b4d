#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

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
    // An invocation operation: calls target->selector(argument) on a worker. The operation holds
    // its target until it has run or been cancelled, and lets go of it on the main thread, so the
    // last reference to a screen never dies on a worker.
    template<class Target, class Argument>
    void addInvocationOperation(
        std::shared_ptr<Target> target, void (Target::*selector)(const Argument&), Argument argument)
    {
        addOperation([target = std::move(target), selector, argument = std::move(argument)]() mutable {
            ((*target).*selector)(argument);
            releaseOnMainThread(std::move(target));
        });
    }
    // Drops operations that have not started; running ones finish normally.
    void cancelAllOperations();
    // Operations queued or running.
    size_t operationCount() const;
    // Blocks the caller; never call it from one of this queue's own operations.
    void waitUntilAllOperationsAreFinished();

private:
    static void releaseOnMainThread(std::shared_ptr<void> object);

    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace foundation
