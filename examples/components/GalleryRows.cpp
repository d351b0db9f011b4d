#include "examples/components/GalleryRow.h"
#include "examples/components/MoviePlayerDemoViewController.h"

namespace examples {

std::vector<GalleryRow> galleryRows()
{
    // One line per component demo; keep them in the order of the gallery.
    return {
        {"Movie player", [] { return MoviePlayerDemoViewController::create(); }},
    };
}

} // namespace examples
