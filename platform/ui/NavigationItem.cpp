#include "platform/ui/NavigationItem.h"

#include "platform/ui/View.h"

namespace ui {

void NavigationItem::setTitle(std::string title)
{
    m_title = std::move(title);
    View::markDisplayChanged();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item)
{
    m_left = std::move(item);
    View::markDisplayChanged();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item)
{
    m_right = std::move(item);
    View::markDisplayChanged();
}

void NavigationItem::setHidesBackButton(bool hides)
{
    m_hidesBackButton = hides;
    View::markDisplayChanged();
}

} // namespace ui
