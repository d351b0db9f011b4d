#include "platform/webimage/ScreenDecodeBudget.h"

#include "platform/ui/Screen.h"

namespace webimage {

graphics::DecodeBudget screenDecodeBudget()
{
    const auto& screen = ui::Screen::mainScreen();
    return graphics::DecodeBudget::forScreen(
        int(screen.bounds().width() * screen.scale()), int(screen.bounds().height() * screen.scale()));
}

} // namespace webimage
