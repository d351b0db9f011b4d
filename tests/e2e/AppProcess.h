#pragma once

#include "platform/foundation/Value.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace mivo::test {

// The built app as a child process under --automation: one JSON command per line in, one answer
// line out. The app quits when this object goes.
class AppProcess {
public:
    AppProcess(const std::filesystem::path& home, const std::string& server, int port);
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    bool isRunning() const { return m_pid > 0; }
    // Sends one command and returns its parsed answer (nullopt when the app died or said nothing
    // within the timeout).
    std::optional<foundation::Value> send(const foundation::Value& command, double timeoutSeconds = 30);
    // send() that must succeed; the answer, or a map with "error".
    foundation::Value must(const foundation::Value& command);
    // Everything the app wrote to stderr (its device log).
    std::string log() const;

    static std::filesystem::path binary();

private:
    std::optional<std::string> readLine(double timeoutSeconds);

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
    std::filesystem::path m_logFile;
};

} // namespace mivo::test
