#include "platform/ui/Touch.h"

#include "platform/ui/Event.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

graphics::Point fromWindow(const Touch& touch, graphics::Point p, const View* view)
{
    if (!view)
        return p;
    auto window = touch.window();
    return view->convertPointFromView(p, window.get());
}

} // namespace

graphics::Point Touch::locationInView(const View* view) const
{
    return fromWindow(*this, m_location, view);
}

graphics::Point Touch::previousLocationInView(const View* view) const
{
    return fromWindow(*this, m_previous, view);
}

TouchSet Event::touchesForView(const View* view) const
{
    TouchSet result;
    for (const auto& touch : m_touches)
        if (touch->view().get() == view)
            result.push_back(touch);
    return result;
}

} // namespace ui
