#include "tests/e2e/AppProcess.h"

#include "platform/foundation/FileSystem.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mivo::test {

std::filesystem::path AppProcess::binary()
{
    return std::filesystem::path(MIVO_BINARY_DIR) / "app" / "mivo-inspector";
}

std::filesystem::path AppProcess::makeHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "mivo-e2e-XXXXXX").string();
    return mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

void AppProcess::removeHome(const std::filesystem::path& home)
{
    std::error_code error;
    if (!home.empty() && !std::getenv("MIVO_KEEP_TEST_DATA"))
        std::filesystem::remove_all(home, error);
}

AppProcess::AppProcess(const std::filesystem::path& home, const std::string& server, int port)
{
    m_logFile = home / "app-stderr.log";
    int toApp[2], fromApp[2];
    if (pipe(toApp) != 0)
        return;
    if (pipe(fromApp) != 0) {
        close(toApp[0]);
        close(toApp[1]);
        return;
    }
    std::string binaryPath = binary().string();
    std::string homeText = home.string();
    std::string portText = std::to_string(port);
    std::string logPath = m_logFile.string();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(toApp[0], STDIN_FILENO);
        dup2(fromApp[1], STDOUT_FILENO);
        int err = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0)
            dup2(err, STDERR_FILENO);
        close(toApp[1]);
        close(fromApp[0]);
        execl(binaryPath.c_str(), binaryPath.c_str(), "--headless", "--automation", "--home",
            homeText.c_str(), "--server", server.c_str(), "--port", portText.c_str(),
            static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toApp[0]);
    close(fromApp[1]);
    if (pid < 0) {
        close(toApp[1]);
        close(fromApp[0]);
        return;
    }
    m_pid = pid;
    m_in = toApp[1];
    m_out = fromApp[0];
}

AppProcess::~AppProcess()
{
    if (m_pid <= 0)
        return;
    std::string quit = "{\"cmd\":\"quit\"}\n";
    [[maybe_unused]] auto written = write(m_in, quit.data(), quit.size());
    close(m_in);
    // A few seconds to leave on its own, then it is stopped.
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        usleep(30'000);
    }
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    close(m_out);
}

std::optional<std::string> AppProcess::readLine(double timeoutSeconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        if (auto newline = m_buffer.find('\n'); newline != std::string::npos) {
            std::string line = m_buffer.substr(0, newline);
            m_buffer.erase(0, newline + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd fd {m_out, POLLIN, 0};
        if (poll(&fd, 1, int(left.count())) <= 0)
            continue;
        char chunk[4096];
        ssize_t n = read(m_out, chunk, sizeof chunk);
        if (n <= 0)
            return std::nullopt;
        m_buffer.append(chunk, size_t(n));
    }
}

foundation::Value AppProcess::must(const foundation::Value& command, double timeoutSeconds)
{
    std::string line = command.toJson() + "\n";
    std::optional<std::string> answer;
    if (m_pid > 0 && write(m_in, line.data(), line.size()) == ssize_t(line.size()))
        answer = readLine(timeoutSeconds);
    auto parsed = answer ? foundation::Value::fromJson(*answer) : std::nullopt;
    if (!parsed)
        return foundation::Map {{"ok", false}, {"error", "no answer to " + command.toJson()}};
    return *parsed;
}

std::string AppProcess::log() const
{
    return foundation::readFile(m_logFile).value_or("");
}

} // namespace mivo::test
