#include "platform/ui/CollectionReusableView.h"

namespace ui {

std::shared_ptr<CollectionReusableView> CollectionReusableView::create(graphics::Rect frame)
{
    auto view = std::make_shared<CollectionReusableView>(frame);
    view->setUpIfNeeded();
    return view;
}

void CollectionReusableView::setUpIfNeeded()
{
    if (m_setUp)
        return;
    m_setUp = true;
    setUpSubviews();
}

CollectionReusableView::CollectionReusableView(graphics::Rect frame)
    : View(frame)
{
    setBackgroundColor(std::nullopt);
    setOpaque(false);
}

} // namespace ui
