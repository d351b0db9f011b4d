#include "examples/hello/HelloViewController.h"

#include "platform/foundation/Format.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace examples {

using graphics::Color;
using graphics::Rect;

std::shared_ptr<HelloViewController> HelloViewController::create()
{
    return std::make_shared<HelloViewController>();
}

void HelloViewController::viewDidLoad()
{
    auto root = view();
    root->setBackgroundColor(Color::white());

    m_greeting = ui::Label::create({20, 60, 280, 40});
    m_greeting->setText("你好, Mivo");
    m_greeting->setFont(graphics::Font::boldSystemFont(24));
    m_greeting->setTextAlignment(graphics::TextAlignment::Center);
    root->addSubview(m_greeting);

    m_moveButton = ui::Button::create(ui::ButtonType::System);
    m_moveButton->setFrame({20, 120, 130, 44});
    m_moveButton->setTitle("移动", ui::ControlState::Normal);
    m_moveButton->titleLabel()->setFont(graphics::Font::systemFont(18));
    m_moveButton->layer().setBorderWidth(1);
    m_moveButton->layer().setBorderColor(Color::rgba(0, 122.0 / 255, 1));
    m_moveButton->layer().setCornerRadius(8);
    std::weak_ptr<HelloViewController> weak = sharedAs<HelloViewController>();
    m_moveButton->addAction(ui::ControlEvents::TouchUpInside, [weak](ui::Control&) {
        if (auto self = weak.lock())
            self->moveTapped();
    });
    root->addSubview(m_moveButton);

    m_counter = ui::Label::create({170, 120, 130, 44});
    m_counter->setText("点击 0 次");
    root->addSubview(m_counter);

    m_box = ui::View::create({kBoxLeft, 190, 60, 60});
    m_box->setBackgroundColor(Color::rgba(0.9, 0.2, 0.2));
    m_box->layer().setCornerRadius(10);
    m_box->setAccessibilityLabel("box");
    root->addSubview(m_box);

    m_field = ui::TextField::create({20, 280, 280, 36});
    m_field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    m_field->setPlaceholder("输入文字");
    m_field->setReturnKeyType(ui::ReturnKeyType::Done);
    m_field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    m_field->setDelegate(sharedAs<HelloViewController>());
    root->addSubview(m_field);

    m_echo = ui::Label::create({20, 330, 280, 60});
    m_echo->setNumberOfLines(0);
    m_echo->setTextColor(Color::darkGray());
    root->addSubview(m_echo);
}

void HelloViewController::moveTapped()
{
    ++m_taps;
    m_counter->setText(foundation::format("点击 %d 次", m_taps));
    Rect frame = m_box->frame();
    frame.origin.x = frame.origin.x < (kBoxLeft + kBoxRight) / 2 ? kBoxRight : kBoxLeft;
    auto box = m_box;
    ui::View::animate(kMoveDuration, [box, frame] { box->setFrame(frame); });
}

std::optional<bool> HelloViewController::textFieldShouldReturn(ui::TextField& field)
{
    m_echo->setText(field.text().empty() ? std::string() : "你输入了: " + field.text());
    field.resignFirstResponder();
    return false;
}

} // namespace examples
