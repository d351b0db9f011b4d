#include "server/Misbehaviour.h"

#include <chrono>

namespace server {

void Misbehaviour::add(MisbehaviourRule rule)
{
    std::lock_guard lock(m_mutex);
    m_rules.push_back(std::move(rule));
}

void Misbehaviour::clear()
{
    std::lock_guard lock(m_mutex);
    m_rules.clear();
}

std::optional<MisbehaviourRule> Misbehaviour::take(std::string_view target)
{
    // A prefix may name a method of an endpoint, so it is matched against the query as well.
    if (target.starts_with("/admin"))
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
        if (!target.starts_with(it->pathPrefix) || it->count == 0)
            continue;
        MisbehaviourRule rule = *it;
        if (it->count > 0 && --it->count == 0)
            m_rules.erase(it);
        return rule;
    }
    return std::nullopt;
}

std::vector<MisbehaviourRule> Misbehaviour::rules() const
{
    std::lock_guard lock(m_mutex);
    return m_rules;
}

void Misbehaviour::sleep(int delayMs)
{
    if (delayMs <= 0)
        return;
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return m_interrupted; });
}

void Misbehaviour::interrupt()
{
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
}

std::optional<MisbehaviourMode> Misbehaviour::parseMode(std::string_view text)
{
    if (text == "none" || text == "")
        return MisbehaviourMode::None;
    if (text == "delay")
        return MisbehaviourMode::Delay;
    if (text == "drop")
        return MisbehaviourMode::Drop;
    if (text == "500" || text == "error")
        return MisbehaviourMode::Status500;
    if (text == "nonjson")
        return MisbehaviourMode::NonJson;
    if (text == "contenttype")
        return MisbehaviourMode::ContentType;
    if (text == "refuse")
        return MisbehaviourMode::Refuse;
    if (text == "huge")
        return MisbehaviourMode::Huge;
    return std::nullopt;
}

const char* Misbehaviour::modeName(MisbehaviourMode mode)
{
    switch (mode) {
    case MisbehaviourMode::None:
        return "none";
    case MisbehaviourMode::Delay:
        return "delay";
    case MisbehaviourMode::Drop:
        return "drop";
    case MisbehaviourMode::Status500:
        return "500";
    case MisbehaviourMode::NonJson:
        return "nonjson";
    case MisbehaviourMode::ContentType:
        return "contenttype";
    case MisbehaviourMode::Refuse:
        return "refuse";
    case MisbehaviourMode::Huge:
        return "huge";
    }
    return "none";
}

} // namespace server
