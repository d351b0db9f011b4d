#include "platform/ui/BarButtonItem.h"

namespace ui {

std::shared_ptr<BarButtonItem> BarButtonItem::create(std::string title, Action action)
{
    auto item = std::make_shared<BarButtonItem>();
    item->m_title = std::move(title);
    item->m_action = std::move(action);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::create(std::shared_ptr<graphics::Image> image, Action action)
{
    auto item = std::make_shared<BarButtonItem>();
    item->m_image = std::move(image);
    item->m_action = std::move(action);
    return item;
}

void BarButtonItem::trigger()
{
    if (!m_enabled || !m_action)
        return;
    auto protector = shared_from_this();
    auto action = m_action;
    action(*this);
}

} // namespace ui
