#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// Ways the server can be told to fail, so that clients' failure paths run against a real socket.
enum class MisbehaviourMode {
    None, // answer normally (with the rule's delay, if any)
    Delay, // wait delayMs, then answer normally
    Drop, // close the connection without a reply
    Status500, // HTTP 500 with a plain-text body
    NonJson, // HTTP 200 with an HTML body that is not JSON
    ContentType, // the normal reply, with another content type ("application/json" on uploads)
    Refuse, // the envelope with "Success" false and a "Msg", nothing done (uploads: "text/html")
    Huge, // HTTP 200, a 30 MB envelope whose "Data" is [0,0,...], sent without a length; nothing done
};

struct MisbehaviourRule {
    MisbehaviourMode mode = MisbehaviourMode::None;
    int delayMs = 0;
    std::string pathPrefix; // empty: every path; matched against the path and its query
                            // ("/Services/CarTask.ashx?method=add")
    int count = -1; // requests left; -1: unlimited
};

// The active rules; the first rule whose prefix matches a request applies to it and uses up one count.
// Admin paths never misbehave.
class Misbehaviour {
public:
    void add(MisbehaviourRule rule);
    void clear();
    std::optional<MisbehaviourRule> take(std::string_view target);
    std::vector<MisbehaviourRule> rules() const;

    // Sleeps for a rule's delay; returns early when interrupt() is called (server stopping).
    void sleep(int delayMs);
    void interrupt();

    static std::optional<MisbehaviourMode> parseMode(std::string_view text);
    static const char* modeName(MisbehaviourMode);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_interrupted = false;
    std::vector<MisbehaviourRule> m_rules;
};

} // namespace server
