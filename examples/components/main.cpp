#include "examples/components/GalleryViewController.h"
#include "platform/host/App.h"
#include "platform/host/Host.h"
#include "platform/ui/NavigationController.h"

// The component gallery: ./example-components [--headless] [--automation | --script FILE] [...]
// One row per UI component; automation taps a row by its title and then the demo's buttons.
int main(int argc, char** argv)
{
    host::ControllerApp app(
        [] {
            return ui::NavigationController::create(
                examples::GalleryViewController::create(examples::galleryRows()));
        },
        "Mivo Components");
    return host::runApp(app, argc, argv);
}
