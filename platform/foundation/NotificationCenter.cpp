#include "platform/foundation/NotificationCenter.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace foundation {

struct NotificationCenter::State {
    struct Entry {
        uint64_t id;
        std::weak_ptr<void> observer;
        const void* key;
        std::string name;
        std::shared_ptr<Block> block;
    };

    std::mutex mutex;
    std::vector<Entry> entries;
    uint64_t nextId {1};

    // Blocks are destroyed outside the lock: their captures may call back into the centre.
    template<typename Predicate> void remove(Predicate predicate)
    {
        std::vector<Entry> removed;
        std::lock_guard lock(mutex);
        auto it = std::stable_partition(
            entries.begin(), entries.end(), [&](const Entry& e) { return !predicate(e); });
        removed.assign(std::make_move_iterator(it), std::make_move_iterator(entries.end()));
        entries.erase(it, entries.end());
    }

    bool isRegistered(uint64_t id)
    {
        return std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.id == id; });
    }

    // Blocks may add or remove observers while this runs: it works on a snapshot and skips entries
    // removed in the meantime.
    void deliver(const Notification& notification)
    {
        remove([](const Entry& e) { return e.observer.expired(); });
        std::vector<Entry> targets;
        {
            std::lock_guard lock(mutex);
            for (const Entry& entry : entries) {
                if (entry.name == notification.name)
                    targets.push_back(entry);
            }
        }
        for (const Entry& target : targets) {
            std::shared_ptr<void> observer = target.observer.lock();
            if (!observer)
                continue;
            {
                std::lock_guard lock(mutex);
                if (!isRegistered(target.id))
                    continue;
            }
            (*target.block)(notification);
        }
    }
};

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::NotificationCenter()
    : m_state(std::make_shared<State>())
{ }

NotificationCenter::~NotificationCenter() = default;

void NotificationCenter::addObserver(std::weak_ptr<void> observer, std::string name, Block block)
{
    std::shared_ptr<void> alive = observer.lock();
    if (!alive || !block)
        return;
    std::lock_guard lock(m_state->mutex);
    m_state->entries.push_back({m_state->nextId++, std::move(observer), alive.get(), std::move(name),
        std::make_shared<Block>(std::move(block))});
}

void NotificationCenter::removeObserver(const void* observer)
{
    m_state->remove([&](const State::Entry& e) { return e.key == observer; });
}

void NotificationCenter::removeObserver(const void* observer, const std::string& name)
{
    m_state->remove([&](const State::Entry& e) { return e.key == observer && e.name == name; });
}

void NotificationCenter::post(std::string name, std::shared_ptr<void> object, Value userInfo)
{
    Notification notification {std::move(name), std::move(object), std::move(userInfo)};
    RunLoop& mainLoop = RunLoop::main();
    if (mainLoop.isMainThread()) {
        m_state->deliver(notification);
        return;
    }
    mainLoop.post([weakState = std::weak_ptr<State>(m_state), notification = std::move(notification)] {
        if (auto state = weakState.lock())
            state->deliver(notification);
    });
}

} // namespace foundation
