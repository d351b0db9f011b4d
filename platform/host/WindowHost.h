#pragma once

#include "platform/graphics/Forward.h"
#include "platform/host/HostOptions.h"

#include <string>

namespace host {

class App;

// Runs the app in an SDL window sized to the screen as its user sees it (turned with the
// interface, as screenshots are): the mouse as touches, text input
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
    bool fitTo(const graphics::Image& picture);
    struct Sdl;
    HostOptions m_options;
    Sdl* m_sdl {nullptr};
};

} // namespace host
