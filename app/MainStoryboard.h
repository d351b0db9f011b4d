#pragma once

#include <memory>

namespace ui {
class Storyboard;
}

// The storyboard "Main": every scene of the app, its first scene (login) and the segues between them.
class MainStoryboard final {
public:
    static constexpr const char* kName = "Main";

    // The storyboard, its scenes and segues registered on first use.
    static std::shared_ptr<ui::Storyboard> storyboard();
    // Registers into `storyboard` (tests use a fresh one).
    static void registerScenes(const std::shared_ptr<ui::Storyboard>& storyboard);
};
