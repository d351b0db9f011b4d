#include "platform/host/HostOptions.h"

#include <CLI/CLI.hpp>

#include <climits>
#include <cmath>
#include <iostream>

namespace host {

namespace {

// "inf" would run for ever and NaN passes every range check.
const CLI::Validator kFiniteNonNegative(
    [](std::string& text) -> std::string {
        double value = 0;
        if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value < 0 || value > INT_MAX)
            return "needs a non-negative number, not " + text;
        return {};
    },
    "");

const CLI::Validator kNonEmpty(
    [](std::string& text) -> std::string { return text.empty() ? "needs a path" : std::string(); }, "");

// Dotted whole numbers, as the device reports them ("6.1", "8.0").
const CLI::Validator kVersion(
    [](std::string& text) -> std::string {
        bool digit = false;
        for (char c : text) {
            if (c == '.' && digit)
                digit = false;
            else if (c >= '0' && c <= '9')
                digit = true;
            else
                return "needs a version such as 6.1, not " + text;
        }
        return digit ? std::string() : "needs a version such as 6.1, not " + text;
    },
    "");

void addPath(CLI::App& cli, const char* name, const char* typeName,
    std::optional<std::filesystem::path>& target, const char* description)
{
    cli.add_option_function<std::string>(
           name, [&target](const std::string& text) { target = std::filesystem::path(text); }, description)
        ->check(kNonEmpty)
        ->type_name(typeName);
}

} // namespace

void HostOptions::addTo(CLI::App& cli)
{
    cli.add_flag("--headless", headless, "run without a window");
    auto* automationFlag
        = cli.add_flag("--automation", automation, "read JSON commands on stdin, answer one line each");
    addPath(cli, "--script", "FILE", script, "run the JSON commands of FILE, one a line, then exit");
    cli.get_option("--script")->excludes(automationFlag);
    cli.add_flag("--tablet", tablet, "the tablet screen profile (768 x 1024)");
    cli.add_option("--system-version", systemVersion, "the system version the device reports (default 7.1)")
        ->check(kVersion)
        ->type_name("VERSION");
    cli.add_option(
           "--window-scale", windowScale, "window pixels per point, 1 to 4 (default: fit the display)")
        ->check(CLI::Range(1.0, 4.0).description(""))
        ->type_name("N");
    cli.add_option("--frames", frames, "window: quit after N presented frames")
        ->check(CLI::Range(0, INT_MAX).description(""))
        ->type_name("N");
    cli.add_option("--run-for", runFor, "without commands: run this many seconds, then quit")
        ->check(kFiniteNonNegative)
        ->type_name("SECONDS");
    addPath(
        cli, "--screenshot", "FILE", screenshot, "without commands: write a PNG of the screen when quitting");
    addPath(cli, "--home", "DIR", home, "the app's home folder (Documents, Library, Caches)");
}

std::optional<HostOptions> HostOptions::parse(int argc, const char* const* argv, std::string* error)
{
    HostOptions options;
    CLI::App cli;
    options.addTo(cli);
    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        options.help = true;
    } catch (const CLI::ParseError& failure) {
        if (error)
            *error = failure.what();
        return std::nullopt;
    }
    return options;
}

std::string HostOptions::usage(const std::string& program)
{
    HostOptions options;
    CLI::App cli;
    cli.name(program);
    options.addTo(cli);
    return cli.help();
}

std::optional<int> parseCommandLine(CLI::App& cli, int argc, const char* const* argv)
{
    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << cli.help();
        return 0;
    } catch (const CLI::ParseError& failure) {
        std::cerr << cli.get_name() << ": " << failure.what() << "\nRun with --help for the options.\n";
        return 2;
    }
    return std::nullopt;
}

} // namespace host
