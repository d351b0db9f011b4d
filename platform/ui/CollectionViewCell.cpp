#include "platform/ui/CollectionViewCell.h"

namespace ui {

std::shared_ptr<CollectionViewCell> CollectionViewCell::create(graphics::Rect frame)
{
    auto cell = std::make_shared<CollectionViewCell>(frame);
    cell->setUpIfNeeded();
    return cell;
}

CollectionViewCell::CollectionViewCell(graphics::Rect frame)
    : CollectionReusableView(frame)
    , m_contentView(View::create({0, 0, frame.width(), frame.height()}))
{
    m_contentView->setBackgroundColor(std::nullopt);
    m_contentView->setOpaque(false);
    m_contentView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
}

void CollectionViewCell::setUpSubviews()
{
    insertSubview(m_contentView, 0);
    placeBackgrounds();
}

void CollectionViewCell::setBackgroundView(std::shared_ptr<View> view)
{
    if (m_backgroundView == view)
        return;
    if (m_backgroundView)
        m_backgroundView->removeFromSuperview();
    m_backgroundView = std::move(view);
    placeBackgrounds();
}

void CollectionViewCell::setSelectedBackgroundView(std::shared_ptr<View> view)
{
    if (m_selectedBackgroundView == view)
        return;
    if (m_selectedBackgroundView)
        m_selectedBackgroundView->removeFromSuperview();
    m_selectedBackgroundView = std::move(view);
    placeBackgrounds();
}

void CollectionViewCell::setSelected(bool selected)
{
    m_selected = selected;
    if (m_selectedBackgroundView)
        m_selectedBackgroundView->setHidden(!(m_selected || m_highlighted));
}

void CollectionViewCell::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    if (m_selectedBackgroundView)
        m_selectedBackgroundView->setHidden(!(m_selected || m_highlighted));
}

void CollectionViewCell::prepareForReuse()
{
    setSelected(false);
    setHighlighted(false);
}

void CollectionViewCell::layoutSubviews()
{
    graphics::Rect whole {0, 0, bounds().width(), bounds().height()};
    for (const auto& view : {m_backgroundView, m_selectedBackgroundView, m_contentView}) {
        if (view)
            view->setFrame(whole);
    }
}

// Backgrounds stay below the content view, the selected one above the plain one.
void CollectionViewCell::placeBackgrounds()
{
    if (!m_contentView->superview())
        return;
    size_t index = 0;
    for (const auto& view : {m_backgroundView, m_selectedBackgroundView}) {
        if (!view)
            continue;
        view->setFrame({0, 0, bounds().width(), bounds().height()});
        view->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
        insertSubview(view, index++);
    }
    if (m_selectedBackgroundView)
        m_selectedBackgroundView->setHidden(!(m_selected || m_highlighted));
}

} // namespace ui
