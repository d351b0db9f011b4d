#pragma once

#include "platform/host/HostOptions.h"

namespace host {

class App;

// Runs the app with no window: automation on stdin, a script, or a plain timed run.
class HeadlessHost final {
public:
    explicit HeadlessHost(HostOptions options);
    int run(App& app);

private:
    HostOptions m_options;
};

} // namespace host
