#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// Writes "yyyy-MM-dd HH:mm:ss.SSS MivoInspector[pid] <line>" to stderr and hands the bare line to
// every installed LogCapture.
void log(std::string_view line);
void logf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Collects log lines (without the time stamp prefix) while alive, from any thread. Captures nest:
// every live capture sees every line. With Echo::No, stderr stays quiet while this capture lives.
class LogCapture final {
public:
    enum class Echo { Yes, No };
    explicit LogCapture(Echo echo = Echo::Yes);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    // True when some line contains `text`.
    bool contains(std::string_view text) const;
    void clear();

private:
    friend void log(std::string_view);
    void append(std::string_view line);

    Echo m_echo;
    std::vector<std::string> m_lines;
};

} // namespace foundation
