#pragma once

#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <string>

namespace foundation {

struct Notification {
    std::string name;
    std::shared_ptr<void> object;
    Value userInfo;
};

// Delivers named notifications on the main thread: synchronously when posted there, otherwise
// through the main queue. Observers are held weakly; a destroyed observer stops receiving.
class NotificationCenter final {
public:
    using Block = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Observes `name` from any sender; the block runs only while `observer` lives.
    void addObserver(std::weak_ptr<void> observer, std::string name, Block block);
    void removeObserver(const void* observer);
    void removeObserver(const void* observer, const std::string& name);
    void post(std::string name, std::shared_ptr<void> object = nullptr, Value userInfo = {});

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace foundation
