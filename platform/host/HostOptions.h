#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace host {

// Command line of a hosted program:
//   --headless             no window
//   --automation           JSON commands on stdin, one answer line each on stdout
//   --script FILE          run the commands of FILE (one JSON object per line), then exit
//   --tablet               the tablet screen profile
//   --window-scale N       window pixels per point (default: the screen scale when it fits)
//   --frames N             window host: quit after N presented frames
//   --run-for SECONDS      headless host without commands: run the loop this long
//   --screenshot FILE      headless host without commands: write a PNG of the screen at the end
//   --home DIR             the app's home folder
struct HostOptions {
    bool headless = false;
    bool automation = false;
    std::optional<std::filesystem::path> script;
    bool tablet = false;
    double windowScale = 0;
    int frames = 0;
    double runFor = 0;
    std::optional<std::filesystem::path> screenshot;
    std::optional<std::filesystem::path> home;
    bool help = false;

    // nullopt with a message for unknown options and bad values.
    static std::optional<HostOptions> parse(int argc, const char* const* argv, std::string* error);
    static std::string usage(const std::string& program);
};

} // namespace host
