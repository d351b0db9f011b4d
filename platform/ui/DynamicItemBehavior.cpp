#include "platform/ui/DynamicItemBehavior.h"

namespace ui {

std::shared_ptr<DynamicItemBehavior> DynamicItemBehavior::create(std::vector<std::shared_ptr<View>> items)
{
    return std::make_shared<DynamicItemBehavior>(std::move(items));
}

DynamicItemBehavior::DynamicItemBehavior(std::vector<std::shared_ptr<View>> items)
    : m_items(std::move(items))
{ }

} // namespace ui
