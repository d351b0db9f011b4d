#include "platform/ui/Screen.h"

#include "platform/graphics/ImageContext.h"

namespace ui {

Screen& Screen::mainScreen()
{
    static Screen screen;
    return screen;
}

void Screen::setScale(double scale)
{
    m_scale = scale;
    graphics::setScreenScale(scale);
}

void Screen::usePhoneProfile()
{
    m_size = kPhoneSize;
    setScale(2);
}

void Screen::useTabletProfile()
{
    m_size = kTabletSize;
    setScale(2);
}

} // namespace ui
