#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace mivo::test {

struct CommandResult {
    int exitCode = -1; // -1: it did not start or did not exit normally
    std::string output; // what it wrote to stdout (add "2>&1" for stderr too)
};

// Runs a shell command to its end.
inline CommandResult runCommand(const std::string& command)
{
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char chunk[512];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe))
        result.output.append(chunk, n);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace mivo::test
