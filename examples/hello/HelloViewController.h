#pragma once

#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

namespace ui {
class Button;
class Label;
} // namespace ui

namespace examples {

// One screen: a greeting, a button that slides a coloured box across in 0.3 s (and back on the
// next tap), a tap counter and a text field that echoes what was typed when return is pressed.
class HelloViewController final : public ui::ViewController, public ui::TextFieldDelegate {
public:
    static std::shared_ptr<HelloViewController> create();

    const char* className() const override { return "HelloViewController"; }
    void viewDidLoad() override;
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;

    static constexpr double kBoxLeft = 20;
    static constexpr double kBoxRight = 240;
    static constexpr double kMoveDuration = 0.3;

private:
    void moveTapped();

    std::shared_ptr<ui::Label> m_greeting;
    std::shared_ptr<ui::Label> m_counter;
    std::shared_ptr<ui::Button> m_moveButton;
    std::shared_ptr<ui::View> m_box;
    std::shared_ptr<ui::TextField> m_field;
    std::shared_ptr<ui::Label> m_echo;
    int m_taps {0};
};

} // namespace examples
