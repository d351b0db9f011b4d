#include "examples/components/BannerDemoViewController.h"
#include "examples/components/GalleryRow.h"
#include "examples/components/InputBoxDemoViewController.h"
#include "examples/components/PopupDemoViewController.h"

namespace examples {

std::vector<GalleryRow> galleryRows()
{
    // One line per component demo; keep them in the order of the gallery.
    return {
        {"Banner", [] { return BannerDemoViewController::create(); }},
        {"Popup", [] { return PopupDemoViewController::create(); }},
        {"Input box", [] { return InputBoxDemoViewController::create(); }},
    };
}

} // namespace examples
