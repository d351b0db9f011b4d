#include "platform/ui/AttachmentBehavior.h"

#include "platform/ui/View.h"

#include <cmath>

namespace ui {

std::shared_ptr<AttachmentBehavior> AttachmentBehavior::create(
    std::shared_ptr<View> item, graphics::Offset offsetFromCenter, graphics::Point anchorPoint)
{
    return std::make_shared<AttachmentBehavior>(std::move(item), offsetFromCenter, anchorPoint);
}

std::shared_ptr<AttachmentBehavior> AttachmentBehavior::create(
    std::shared_ptr<View> item, graphics::Point anchorPoint)
{
    return create(std::move(item), {}, anchorPoint);
}

AttachmentBehavior::AttachmentBehavior(
    std::shared_ptr<View> item, graphics::Offset offsetFromCenter, graphics::Point anchorPoint)
    : m_item(std::move(item))
    , m_offset(offsetFromCenter)
    , m_anchor(anchorPoint)
{
    if (!m_item)
        return;
    // The item has not turned yet, so the attached point is its centre plus the plain offset.
    auto center = m_item->center();
    double dx = center.x + m_offset.horizontal - m_anchor.x;
    double dy = center.y + m_offset.vertical - m_anchor.y;
    m_length = std::hypot(dx, dy);
}

} // namespace ui
