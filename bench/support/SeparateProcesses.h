#pragma once

// Helpers for benches that measure peak memory: peak resident memory only grows, so each case runs
// in a process of its own, and the server runs in a child forked before the bench starts a
// thread, so that neither its replies nor its threads count.

#include <csignal>
#include <httplib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace benchsupport {

// Starts a loopback HTTP server in a forked child with the routes `define` adds; its port in `port`.
inline pid_t forkServer(const std::function<void(httplib::Server&)>& define, int& port)
{
    int ports[2];
    if (pipe(ports) != 0)
        std::abort();
    pid_t child = fork();
    if (child == 0) {
        close(ports[0]);
        httplib::Server server;
        define(server);
        int bound = server.bind_to_any_port("127.0.0.1");
        if (write(ports[1], &bound, sizeof bound) != sizeof bound)
            _exit(1);
        close(ports[1]);
        server.listen_after_bind();
        _exit(0);
    }
    close(ports[1]);
    if (read(ports[0], &port, sizeof port) != sizeof port || port <= 0)
        std::abort();
    close(ports[0]);
    return child;
}

inline void stopServer(pid_t server)
{
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
}

inline double peakResidentMb()
{
    struct rusage usage { };
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

// Whether the command line picks benchmarks itself; otherwise runEachCaseAlone runs them.
inline bool filtered(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).starts_with("--benchmark_filter"))
            return true;
    }
    return false;
}

// Runs this program once per case (a benchmark name with its argument, "BM_X/1"), each in a process
// of its own, passing the other arguments on; 1 when any failed.
inline int runEachCaseAlone(int argc, char** argv, std::initializer_list<const char*> cases)
{
    int failures = 0;
    for (const char* name : cases) {
        std::vector<std::string> args {argv[0], std::string("--benchmark_filter=^") + name + "/"};
        for (int i = 1; i < argc; ++i)
            args.emplace_back(argv[i]);
        std::vector<char*> pointers;
        for (auto& arg : args)
            pointers.push_back(arg.data());
        pointers.push_back(nullptr);
        pid_t child = fork();
        if (child == 0) {
            execv("/proc/self/exe", pointers.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        failures += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return failures ? 1 : 0;
}

} // namespace benchsupport
