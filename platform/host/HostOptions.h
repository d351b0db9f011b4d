#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace host {

// Command line of a hosted program (CLI11). A program adds its own options beside these with
// addTo() on one CLI::App, so one help text lists them all:
//   --headless             no window
//   --automation           JSON commands on stdin, one answer line each on stdout
//   --script FILE          run the commands of FILE (one JSON object per line), then exit
//   --tablet               the tablet screen profile
//   --system-version V     the system version the device reports (default 7.1)
//   --window-scale N       window pixels per point (default: the screen scale when it fits)
//   --frames N             window host: quit after N presented frames
//   --run-for SECONDS      without commands: run the loop this long, then quit
//   --screenshot FILE      without commands: write a PNG of the screen when quitting
//   --home DIR             the app's home folder
struct HostOptions {
    bool headless = false;
    bool automation = false;
    std::optional<std::filesystem::path> script;
    bool tablet = false;
    std::optional<std::string> systemVersion;
    double windowScale = 0;
    int frames = 0;
    double runFor = 0;
    std::optional<std::filesystem::path> screenshot;
    std::optional<std::filesystem::path> home;
    bool help = false;

    // Registers the host's options on `cli`, writing into this object when it parses.
    void addTo(CLI::App& cli);

    // The host's options alone. nullopt with a message for unknown options and bad values;
    // `help` set for --help.
    static std::optional<HostOptions> parse(int argc, const char* const* argv, std::string* error);
    static std::string usage(const std::string& program);
};

// Parses a command line made with HostOptions::addTo() and the program's own options. nullopt:
// carry on; otherwise the program's exit code, after printing the help (0) or the error (2).
std::optional<int> parseCommandLine(CLI::App& cli, int argc, const char* const* argv);

} // namespace host
