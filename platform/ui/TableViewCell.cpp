#include "platform/ui/TableViewCell.h"

namespace ui {

std::shared_ptr<TableViewCell> TableViewCell::create(std::string reuseIdentifier)
{
    return std::make_shared<TableViewCell>(std::move(reuseIdentifier));
}

TableViewCell::TableViewCell(std::string reuseIdentifier, graphics::Rect frame)
    : View(frame)
    , m_reuseIdentifier(std::move(reuseIdentifier))
    , m_contentView(View::create({{0, 0}, frame.size}))
{
    setBackgroundColor(graphics::Color::white());
    setClipsToBounds(true);
}

const std::shared_ptr<View>& TableViewCell::contentView()
{
    if (m_contentView->superview().get() != this)
        insertSubview(m_contentView, 0);
    return m_contentView;
}

void TableViewCell::setSelected(bool selected, bool /*animated*/)
{
    m_selected = selected;
}

void TableViewCell::layoutSubviews()
{
    m_contentView->setFrame(bounds());
}

} // namespace ui
