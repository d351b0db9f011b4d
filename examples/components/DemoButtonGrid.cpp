#include "examples/components/DemoButtonGrid.h"

#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace examples {

using graphics::Color;

DemoButtonGrid::DemoButtonGrid(std::shared_ptr<ui::View> parent, double top)
    : m_parent(std::move(parent))
    , m_top(top)
{ }

double DemoButtonGrid::nextRowTop() const
{
    return m_top + ((m_count + 1) / 2) * (kButtonHeight + kGap);
}

std::shared_ptr<ui::Button> DemoButtonGrid::add(
    const std::string& title, std::function<void(ui::Button&)> action)
{
    double width = (m_parent->bounds().width() - 3 * kGap) / 2;
    double x = kGap + (m_count % 2) * (width + kGap);
    double y = m_top + (m_count / 2) * (kButtonHeight + kGap);
    auto button = ui::Button::create(graphics::Rect {x, y, width, kButtonHeight});
    button->setTitle(title, ui::ControlState::Normal);
    button->setTitleColor(Color::rgba(0.10, 0.45, 0.85), ui::ControlState::Normal);
    button->titleLabel()->setFont(graphics::Font::systemFont(14));
    button->layer().setBorderWidth(0.5);
    button->layer().setBorderColor(Color::rgba(0.75, 0.8, 0.9));
    button->layer().setCornerRadius(6);
    button->addAction(ui::ControlEvents::TouchUpInside,
        [action = std::move(action)](ui::Control& sender) { action(static_cast<ui::Button&>(sender)); });
    m_parent->addSubview(button);
    ++m_count;
    return button;
}

std::shared_ptr<ui::Label> DemoButtonGrid::addStatus()
{
    double y = nextRowTop();
    auto label = ui::Label::create({kGap, y, m_parent->bounds().width() - 2 * kGap, 40});
    label->setFont(graphics::Font::systemFont(12));
    label->setTextColor(Color::darkGray());
    label->setNumberOfLines(2);
    label->setTextAlignment(graphics::TextAlignment::Center);
    m_parent->addSubview(label);
    m_top = y + 40 + kGap;
    m_count = 0;
    return label;
}

} // namespace examples
