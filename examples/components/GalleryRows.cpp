#include "examples/components/GalleryRow.h"

#include "examples/components/ImageViewerDemoViewController.h"

namespace examples {

std::vector<GalleryRow> galleryRows()
{
    // One line per component demo; keep them in the order of the gallery.
    return {
        {"Image viewer", [] { return ImageViewerDemoViewController::create(); }},
    };
}

} // namespace examples
