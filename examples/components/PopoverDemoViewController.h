#pragma once

#include "platform/ui/ViewController.h"

namespace ui {
class Button;
class Label;
} // namespace ui

namespace examples {

// The action sheet as a popover: four buttons, each showing it with one arrow direction from the
// edge of the button that faces the panel. On a phone the same call shows the ordinary sheet;
// run the gallery with --tablet to see the popover.
class PopoverDemoViewController final : public ui::ViewController {
public:
    static std::shared_ptr<PopoverDemoViewController> create();

    const char* className() const override { return "PopoverDemoViewController"; }
    void viewDidLoad() override;

    void showFrom(unsigned arrowDirection);

private:
    std::shared_ptr<ui::Button> m_buttons[4];
    std::shared_ptr<ui::Label> m_result;
};

} // namespace examples
