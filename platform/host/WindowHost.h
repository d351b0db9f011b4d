#pragma once

#include "platform/host/HostOptions.h"

#include <string>

namespace host {

class App;

// Runs the app in an SDL window sized to the screen profile: the mouse as touches, text input
// and Backspace / Return into the first responder, a frame presented whenever the views changed,
// on the real clock. With --automation, commands are read from stdin on a reader thread and run
// on the main thread between frames.
class WindowHost final {
public:
    explicit WindowHost(HostOptions options);
    // False (with a reason) when no window can be opened, e.g. without a display.
    bool open(std::string* error);
    int run(App& app);
    ~WindowHost();

private:
    void mirrorPasteboardToDesktop();
    struct Sdl;
    HostOptions m_options;
    Sdl* m_sdl {nullptr};
};

} // namespace host
