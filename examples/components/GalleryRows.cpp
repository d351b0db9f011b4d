#include "examples/components/GalleryRow.h"

namespace examples {

std::vector<GalleryRow> galleryRows()
{
    // One line per component demo; keep them in the order of the gallery.
    return {};
}

} // namespace examples
