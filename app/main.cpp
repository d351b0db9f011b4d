#include "app/AppDelegate.h"
#include "app/Walkthrough.h"
#include "core/net/GetBaseUrlAndPortModel.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/host/Host.h"
#include "platform/host/HostOptions.h"
#include "platform/ui/Camera.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

// The app's own options; everything else is the host's.
struct AppOptions {
    std::optional<std::string> server;
    std::optional<std::string> port;
    std::optional<std::filesystem::path> camera; // the folder of sample media the camera shoots
    bool walkthrough = false;
    std::vector<std::string> hostArguments;
};

bool isPort(const std::string& text)
{
    int port = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), port);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && port > 0 && port < 65536;
}

std::optional<AppOptions> parse(int argc, char** argv, std::string& error)
{
    AppOptions options;
    options.hostArguments.push_back(argc > 0 ? argv[0] : "mivo-inspector");
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--server" || arg == "--port") {
            if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            std::string value = argv[++i];
            if (arg == "--port" && !isPort(value)) {
                error = "--port takes a number from 1 to 65535";
                return std::nullopt;
            }
            (arg == "--server" ? options.server : options.port) = value;
        } else if (arg == "--camera") {
            std::error_code code;
            if (i + 1 >= argc || !std::filesystem::is_directory(argv[i + 1], code)) {
                error = "--camera needs a folder of photos (.jpg) and movies (.mp4, .mov)";
                return std::nullopt;
            }
            options.camera = std::filesystem::absolute(argv[++i], code);
        } else if (arg == "--walkthrough") {
            options.walkthrough = true;
        } else {
            options.hostArguments.push_back(arg);
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    auto options = parse(argc, argv, error);
    if (!options) {
        std::cerr << argv[0] << ": " << error << '\n';
        return 2;
    }
    std::vector<const char*> hostArgv;
    for (const auto& arg : options->hostArguments)
        hostArgv.push_back(arg.c_str());
    auto hostOptions = host::HostOptions::parse(int(hostArgv.size()), hostArgv.data(), &error);
    if (!hostOptions) {
        std::cerr << argv[0] << ": " << error << '\n'
                  << host::HostOptions::usage(argv[0])
                  << "       [--server URL] [--port N] [--camera DIR] [--walkthrough]\n";
        return 2;
    }

    // The server address goes where the address popup keeps it; the walkthrough types it there.
    if (hostOptions->home)
        foundation::Paths::setHome(*hostOptions->home);
    if (std::string reason; !foundation::Paths::checkHomeIsWritable(&reason)) {
        std::cerr << argv[0] << ": " << reason << '\n';
        return 1;
    }
    auto& defaults = foundation::UserDefaults::standard();
    defaults.reload();
    if (options->camera)
        ui::Camera::shared().setFolder(*options->camera);
    AppDelegate delegate;
    if (options->walkthrough) {
        hostOptions->headless = true;
        Walkthrough::Account account;
        account.server = options->server.value_or("");
        account.port = options->port.value_or("");
        return Walkthrough::run(delegate, *hostOptions, foundation::Paths::home() / "walkthrough", account);
    }
    if (options->server)
        defaults.set(GetBaseUrlAndPortModel::kBaseUrlKey, *options->server);
    if (options->port)
        defaults.set(GetBaseUrlAndPortModel::kBasePortKey, *options->port);
    if (options->server || options->port)
        defaults.synchronize();
    return host::runApp(delegate, int(hostArgv.size()), hostArgv.data());
}
