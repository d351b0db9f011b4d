#include "examples/components/ActionSheetDemoViewController.h"
#include "examples/components/BannerDemoViewController.h"
#include "examples/components/GalleryRow.h"
#include "examples/components/ImageViewerDemoViewController.h"
#include "examples/components/InputBoxDemoViewController.h"
#include "examples/components/MoviePlayerDemoViewController.h"
#include "examples/components/PopoverDemoViewController.h"
#include "examples/components/PopupDemoViewController.h"
#include "examples/components/SwitchDemoViewController.h"

namespace examples {

std::vector<GalleryRow> galleryRows()
{
    // One line per component demo; keep them in the order of the gallery.
    return {
        {"Action sheet", [] { return ActionSheetDemoViewController::create(); }},
        {"Image viewer", [] { return ImageViewerDemoViewController::create(); }},
        {"Popover", [] { return PopoverDemoViewController::create(); }},
        {"Switch", [] { return SwitchDemoViewController::create(); }},
        {"Banner", [] { return BannerDemoViewController::create(); }},
        {"Popup", [] { return PopupDemoViewController::create(); }},
        {"Input box", [] { return InputBoxDemoViewController::create(); }},
        {"Movie player", [] { return MoviePlayerDemoViewController::create(); }},
    };
}

} // namespace examples
