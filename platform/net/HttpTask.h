#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace net {

// A started request. cancel() may be called from any thread; the request then ends with
// HttpErrorKind::Cancelled unless it had already ended.
class HttpTask final {
public:
    HttpTask(uint64_t identifier, std::function<void()> wake)
        : m_identifier(identifier)
        , m_wake(std::move(wake))
    { }

    uint64_t identifier() const { return m_identifier; }
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }

private:
    uint64_t m_identifier;
    std::function<void()> m_wake;
    std::atomic<bool> m_cancelled {false};
};

} // namespace net
