#include "components/imageviewer/ImageViewerStatusBarAppearance.h"

#include "platform/foundation/BundleInfo.h"
#include "platform/foundation/Once.h"

#include <atomic>

namespace {

std::optional<bool> g_override;

} // namespace

bool ImageViewerStatusBarAppearance::iv_usesViewControllerBasedStatusBarAppearance()
{
    static foundation::OnceFlag once;
    static std::atomic<bool> value {false};
    foundation::dispatchOnce(
        once, [] { value = foundation::BundleInfo::viewControllerBasedStatusBarAppearance(); });
    return g_override ? *g_override : value.load();
}

void ImageViewerStatusBarAppearance::overrideForTesting(std::optional<bool> value)
{
    g_override = value;
}
