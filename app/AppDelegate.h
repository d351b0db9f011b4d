#pragma once

#include "platform/host/App.h"

// The application delegate: it does no work at launch or at any later life-cycle event; the
// platform shows the storyboard's first screen in the main window.
class AppDelegate final : public host::App {
public:
    std::string name() const override;
    void didFinishLaunching(const std::shared_ptr<ui::Window>& window) override;
};
