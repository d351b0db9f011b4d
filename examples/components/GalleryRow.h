#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {
class ViewController;
}

namespace examples {

// One row of the component gallery: its title and the demo screen it opens.
struct GalleryRow {
    std::string title;
    std::function<std::shared_ptr<ui::ViewController>()> makeDemo;
};

// Every row, in the order the gallery shows them. Each component's demo adds one entry.
std::vector<GalleryRow> galleryRows();

} // namespace examples
