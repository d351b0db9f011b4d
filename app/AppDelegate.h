#pragma once

#include "platform/host/App.h"

// The application delegate: at launch it clears the media files that an interrupted save left
// behind (MediaCleanup), and the platform shows the storyboard's first screen in the main window.
class AppDelegate final : public host::App {
public:
    std::string name() const override;
    void didFinishLaunching(const std::shared_ptr<ui::Window>& window) override;
};
