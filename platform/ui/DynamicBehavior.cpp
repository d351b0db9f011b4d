#include "platform/ui/DynamicBehavior.h"

#include <algorithm>

namespace ui {

void DynamicBehavior::addChildBehavior(std::shared_ptr<DynamicBehavior> behavior)
{
    if (behavior && behavior.get() != this)
        m_children.push_back(std::move(behavior));
}

void DynamicBehavior::removeChildBehavior(const std::shared_ptr<DynamicBehavior>& behavior)
{
    std::erase(m_children, behavior);
}

} // namespace ui
