#include "platform/host/HostOptions.h"

#include "platform/foundation/Format.h"

#include <climits>
#include <cstdlib>

namespace host {

namespace {

std::optional<double> parseNumber(const std::string& text)
{
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    // "inf" would run for ever; anything past an int's range cannot be a frame count.
    if (text.empty() || end != text.c_str() + text.size() || !(value >= 0) || !(value <= INT_MAX))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<HostOptions> HostOptions::parse(int argc, const char* const* argv, std::string* error)
{
    HostOptions options;
    auto fail = [&](std::string why) -> std::optional<HostOptions> {
        if (error)
            *error = std::move(why);
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--automation") {
            options.automation = true;
        } else if (arg == "--tablet") {
            options.tablet = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--script" || arg == "--screenshot" || arg == "--home") {
            auto v = value();
            if (!v || v->empty())
                return fail(foundation::format("%s needs a path", arg.c_str()));
            if (arg == "--script")
                options.script = *v;
            else if (arg == "--screenshot")
                options.screenshot = *v;
            else
                options.home = *v;
        } else if (arg == "--window-scale" || arg == "--frames" || arg == "--run-for") {
            auto v = value();
            auto number = v ? parseNumber(*v) : std::nullopt;
            if (!number)
                return fail(foundation::format("%s needs a non-negative number", arg.c_str()));
            if (arg == "--window-scale") {
                if (*number < 1 || *number > 4)
                    return fail("--window-scale takes 1 to 4");
                options.windowScale = *number;
            } else if (arg == "--frames") {
                options.frames = int(*number);
            } else {
                options.runFor = *number;
            }
        } else {
            return fail(foundation::format("unknown option %s", arg.c_str()));
        }
    }
    if (options.automation && options.script)
        return fail("--automation and --script exclude each other");
    return options;
}

std::string HostOptions::usage(const std::string& program)
{
    return foundation::format("usage: %s [--headless] [--automation | --script FILE] [--tablet] "
                              "[--window-scale N] [--frames N] [--run-for SECONDS] [--screenshot FILE] "
                              "[--home DIR]\n",
        program.c_str());
}

} // namespace host
