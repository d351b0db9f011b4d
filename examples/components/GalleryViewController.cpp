#include "examples/components/GalleryViewController.h"

#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"

namespace examples {

using graphics::Color;

std::shared_ptr<GalleryViewController> GalleryViewController::create(std::vector<GalleryRow> rows)
{
    return std::make_shared<GalleryViewController>(std::move(rows));
}

GalleryViewController::GalleryViewController(std::vector<GalleryRow> rows)
    : m_rows(std::move(rows))
{ }

void GalleryViewController::viewDidLoad()
{
    setTitle("组件");
    view()->setBackgroundColor(Color::white());
    m_list = ui::ScrollView::create(view()->bounds());
    m_list->setAlwaysBounceVertical(true);
    view()->addSubview(m_list);

    std::weak_ptr<GalleryViewController> weak = sharedAs<GalleryViewController>();
    for (size_t index = 0; index < m_rows.size(); ++index) {
        auto button = ui::Button::create(ui::ButtonType::System);
        button->setTitle(m_rows[index].title, ui::ControlState::Normal);
        button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
        button->setContentEdgeInsets({0, 16, 0, 16});
        button->layer().setBorderWidth(0.5);
        button->layer().setBorderColor(Color::rgba(0.85, 0.85, 0.85));
        button->addAction(ui::ControlEvents::TouchUpInside, [weak, index](ui::Control&) {
            if (auto self = weak.lock())
                self->openRow(index);
        });
        m_list->addSubview(button);
        m_buttons.push_back(std::move(button));
    }
}

void GalleryViewController::viewDidLayoutSubviews()
{
    auto bounds = view()->bounds();
    m_list->setFrame(bounds);
    for (size_t index = 0; index < m_buttons.size(); ++index)
        m_buttons[index]->setFrame({0, index * kRowHeight, bounds.size.width, kRowHeight});
    m_list->setContentSize({bounds.size.width, m_buttons.size() * kRowHeight});
}

void GalleryViewController::openRow(size_t index)
{
    auto demo = m_rows[index].makeDemo();
    if (!demo)
        return;
    demo->setTitle(m_rows[index].title);
    if (auto navigation = navigationController())
        navigation->pushViewController(demo, true);
}

} // namespace examples
