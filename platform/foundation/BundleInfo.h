#pragma once

#include "platform/foundation/Value.h"

#include <string>

namespace foundation {

// The bundle's information values, read once from Info.json in the resource bundle.
class BundleInfo final {
public:
    static std::string bundleName();
    static std::string shortVersion();
    static bool viewControllerBasedStatusBarAppearance();
    static Value value(const std::string& key);
    // Re-reads Info.json (after Paths::setResources).
    static void reload();
};

} // namespace foundation
