#include "app/AppDelegate.h"
#include "app/Walkthrough.h"
#include "core/net/GetBaseUrlAndPortModel.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/host/Host.h"
#include "platform/host/HostOptions.h"
#include "platform/ui/Camera.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <optional>
#include <string>

namespace {

// The app's own options, beside the host's.
struct AppOptions {
    std::string server;
    int port = 0;
    std::optional<std::filesystem::path> camera; // the folder of sample media the camera shoots
    bool walkthrough = false;
};

// Every option of the app, in one place.
void addAppOptions(CLI::App& cli, AppOptions& options)
{
    cli.add_option(
           "--server", options.server, "server address, stored as the address popup keeps it (staticBaseUrl)")
        ->check([](const std::string& text) { return text.empty() ? "needs a value" : std::string(); })
        ->type_name("URL");
    cli.add_option("--port", options.port,
           "server port, 1 to 65535 (staticBasePort); the walkthrough types both into the popup")
        ->check(CLI::Range(1, 65535).description(""))
        ->type_name("N");
    cli.add_option_function<std::string>(
           "--camera",
           [&options](const std::string& folder) { options.camera = std::filesystem::absolute(folder); },
           "the folder of photos (.jpg) and movies (.mp4, .mov) that the camera shoots")
        ->check([](const std::string& folder) {
            std::error_code code;
            return std::filesystem::is_directory(folder, code)
                ? std::string()
                : std::string("needs a folder of photos (.jpg) and movies (.mp4, .mov)");
        })
        ->type_name("DIR");
    cli.add_flag("--walkthrough", options.walkthrough, "walk the demo road headless, a screenshot per step");
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App cli(
        "Mivo Inspector: shoot a car for appraisal and upload the photos and video", "mivo-inspector");
    host::HostOptions hostOptions;
    hostOptions.addTo(cli);
    AppOptions options;
    addAppOptions(cli, options);
    if (auto exitCode = host::parseCommandLine(cli, argc, argv))
        return *exitCode;

    // The server address goes where the address popup keeps it; the walkthrough types it there.
    if (hostOptions.home)
        foundation::Paths::setHome(*hostOptions.home);
    if (std::string reason; !foundation::Paths::checkHomeIsWritable(&reason)) {
        std::cerr << argv[0] << ": " << reason << '\n';
        return 1;
    }
    auto& defaults = foundation::UserDefaults::standard();
    defaults.reload();
    bool hasServer = cli.count("--server") > 0, hasPort = cli.count("--port") > 0;
    std::string port = hasPort ? std::to_string(options.port) : std::string();
    if (options.camera)
        ui::Camera::shared().setFolder(*options.camera);
    AppDelegate delegate;
    if (options.walkthrough) {
        hostOptions.headless = true;
        Walkthrough::Account account;
        account.server = hasServer ? options.server : std::string();
        account.port = port;
        return Walkthrough::run(delegate, hostOptions, foundation::Paths::home() / "walkthrough", account);
    }
    if (hasServer)
        defaults.set(GetBaseUrlAndPortModel::kBaseUrlKey, options.server);
    if (hasPort)
        defaults.set(GetBaseUrlAndPortModel::kBasePortKey, port);
    if (hasServer || hasPort)
        defaults.synchronize();
    return host::runApp(delegate, hostOptions);
}
