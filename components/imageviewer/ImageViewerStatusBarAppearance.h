#pragma once

#include <optional>

// Whether the application lets each screen manage the status bar (the bundle's
// "UIViewControllerBasedStatusBarAppearance", false when missing), read at the first call and
// kept for the life of the process.
class ImageViewerStatusBarAppearance final {
public:
    static bool iv_usesViewControllerBasedStatusBarAppearance();
    // Tests: answer this instead of the bundle's value (nullopt goes back to it).
    static void overrideForTesting(std::optional<bool> value);
};
