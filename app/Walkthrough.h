#pragma once

#include "platform/host/HostOptions.h"

#include <filesystem>
#include <string>

namespace host {
class App;
}

// The headless demo of the road as far as it goes: set the server address in the login screen's
// popup, log in, create a task, open its shot grid.
// Each step goes through the automation protocol, is printed, and leaves a screenshot in `outputDir`.
class Walkthrough final {
public:
    struct Account {
        std::string userName = "arvel";
        std::string password = "123456";
        // Typed into the server address popup; empty keeps what the popup shows.
        std::string server;
        std::string port;
    };

    // 0 when every step passed; the first failing step ends the run.
    static int run(host::App& app, const host::HostOptions& options, const std::filesystem::path& outputDir,
        const Account& account);
};
