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
    // Sends one command; its parsed answer, or a map with "error" when the app died or said nothing.
    foundation::Value must(const foundation::Value& command, double timeoutSeconds = 30);
    // Everything the app wrote to stderr (its device log).
    std::string log() const;

    static std::filesystem::path binary();
    // A fresh folder for an app's home, and its removal unless MIVO_KEEP_TEST_DATA is set.
    static std::filesystem::path makeHome();
    static void removeHome(const std::filesystem::path& home);

private:
    std::optional<std::string> readLine(double timeoutSeconds);

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
    std::filesystem::path m_logFile;
};

} // namespace mivo::test
