#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace mivo::test {

using foundation::Value;

// The example program as a child process, spoken to over its stdin and stdout.
class Child {
public:
    explicit Child(std::vector<std::string> args)
    {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_in = in[1];
        m_out = out[0];
        signal(SIGPIPE, SIG_IGN);
    }
    ~Child()
    {
        if (m_in >= 0)
            close(m_in);
        if (m_out >= 0)
            close(m_out);
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool started() const { return m_pid > 0; }

    // Sends one command and returns the answer line parsed (null on timeout or garbage).
    Value send(const std::string& line, double timeout = 20)
    {
        std::string text = line + "\n";
        if (write(m_in, text.data(), text.size()) != ssize_t(text.size()))
            return Value();
        return readLine(timeout);
    }
    Value readLine(double timeout)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
        for (;;) {
            auto newline = m_buffer.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                return Value::fromJson(line).value_or(Value(line));
            }
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now())
                               .count());
            if (left <= 0)
                return Value();
            pollfd fd {m_out, POLLIN, 0};
            if (poll(&fd, 1, left) <= 0)
                continue;
            char chunk[4096];
            ssize_t n = read(m_out, chunk, sizeof chunk);
            if (n <= 0)
                return Value();
            m_buffer.append(chunk, size_t(n));
        }
    }
    // Exit status once the child has ended, or -1 after the timeout.
    int wait(double timeout)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_reaped = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(10000);
        }
        return -1;
    }

private:
    pid_t m_pid {-1};
    int m_in {-1};
    int m_out {-1};
    bool m_reaped {false};
    std::string m_buffer;
};

inline std::filesystem::path tempDir(const char* name)
{
    auto dir = std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

// Takes a screenshot through automation and reads it back.
inline std::shared_ptr<graphics::Image> screenshot(Child& child, const std::filesystem::path& path)
{
    Value answer
        = child.send(Value(foundation::Map {{"cmd", "screenshot"}, {"path", path.string()}}).toJson());
    EXPECT_TRUE(answer["ok"].asBool()) << answer.toJson();
    return graphics::PngCodec::decodeFile(path);
}

} // namespace mivo::test
