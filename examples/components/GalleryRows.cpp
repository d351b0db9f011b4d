#include "examples/components/ActionSheetDemoViewController.h"
#include "examples/components/GalleryRow.h"
#include "examples/components/PopoverDemoViewController.h"
#include "examples/components/SwitchDemoViewController.h"

namespace examples {

std::vector<GalleryRow> galleryRows()
{
    // One line per component demo; keep them in the order of the gallery.
    return {
        {"Action sheet", [] { return ActionSheetDemoViewController::create(); }},
        {"Popover", [] { return PopoverDemoViewController::create(); }},
        {"Switch", [] { return SwitchDemoViewController::create(); }},
    };
}

} // namespace examples
