#pragma once

#include <functional>
#include <mutex>

namespace foundation {

// A one-time initialiser's token; keep it static.
class OnceFlag {
public:
    OnceFlag() = default;
    OnceFlag(const OnceFlag&) = delete;
    OnceFlag& operator=(const OnceFlag&) = delete;

private:
    friend void dispatchOnce(OnceFlag&, const std::function<void()>&);
    std::once_flag m_flag;
};

// Runs work exactly once per flag, even with racing callers; later callers wait for it.
void dispatchOnce(OnceFlag& flag, const std::function<void()>& work);

} // namespace foundation
