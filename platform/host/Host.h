#pragma once

#include "platform/host/HostOptions.h"

#include <iosfwd>
#include <memory>

namespace ui {
class Window;
}

namespace host {

class App;

// Sets the platform up for a hosted run (screen profile, home folder, clock), makes the main
// window and hands it to the app.
std::shared_ptr<ui::Window> launch(App& app, const HostOptions& options);

// Reads commands line by line from `in`, answers each on `out`, stops at "quit" or the end of
// the input. Returns the number of commands that failed.
int runCommands(std::istream& in, std::ostream& out);

// The program's main for a program with the host's options only: parses them and runs the app.
int runApp(App& app, int argc, const char* const* argv);
// Runs the window host, or the headless host with --headless or when no display can be opened.
int runApp(App& app, const HostOptions& options);

} // namespace host
