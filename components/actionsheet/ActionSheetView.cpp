#include "components/actionsheet/ActionSheetView.h"

#include "components/actionsheet/ActionSheetLayer.h"

std::shared_ptr<ActionSheetView> ActionSheetView::create(graphics::Rect frame)
{
    return std::make_shared<ActionSheetView>(frame);
}

ActionSheetView::ActionSheetView(graphics::Rect frame)
    : ui::View(frame, [](ui::View& view) { return std::make_unique<ActionSheetLayer>(view); })
{ }
