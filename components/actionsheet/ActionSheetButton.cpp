#include "components/actionsheet/ActionSheetButton.h"

std::shared_ptr<ActionSheetButton> ActionSheetButton::create()
{
    return std::make_shared<ActionSheetButton>();
}

ActionSheetButton::ActionSheetButton()
    : ui::Button(graphics::Rect {}, ui::ButtonType::Custom)
{ }
