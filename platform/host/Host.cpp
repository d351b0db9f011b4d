#include "platform/host/Host.h"

#include "platform/foundation/Paths.h"
#include "platform/host/App.h"
#include "platform/host/Automation.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/WindowHost.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

namespace host {

std::shared_ptr<ui::Window> launch(App& app, const HostOptions& options)
{
    if (options.home)
        foundation::Paths::setHome(*options.home);
    if (options.tablet) {
        ui::Screen::mainScreen().useTabletProfile();
        ui::Device::currentDevice().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
    }
    if (options.systemVersion)
        ui::Device::currentDevice().setSystemVersion(*options.systemVersion);
    auto window = ui::Window::create(ui::Screen::mainScreen().bounds());
    app.didFinishLaunching(window);
    if (!window->isKeyWindow())
        window->makeKeyAndVisible();
    return window;
}

int runCommands(std::istream& in, std::ostream& out)
{
    Automation automation;
    int failures = 0;
    std::string line;
    while (!automation.quitRequested() && std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        std::string answer = automation.handle(line);
        if (answer.find("\"ok\":true") == std::string::npos)
            ++failures;
        out << answer << '\n';
        out.flush();
    }
    return failures;
}

int runApp(App& app, int argc, const char* const* argv)
{
    CLI::App cli(app.name());
    cli.name(argc > 0 ? argv[0] : app.name());
    HostOptions options;
    options.addTo(cli);
    if (auto exitCode = parseCommandLine(cli, argc, argv))
        return *exitCode;
    return runApp(app, options);
}

int runApp(App& app, const HostOptions& options)
{
    if (!options.headless) {
        WindowHost windowHost(options);
        std::string error;
        if (windowHost.open(&error))
            return windowHost.run(app);
        std::cerr << app.name() << ": no window (" << error << "), running headless\n";
    }
    return HeadlessHost(options).run(app);
}

} // namespace host
