#pragma once

#include "platform/ui/View.h"

// The popover's arrow: a white triangle with a soft shadow on its two slanted sides.
class ActionSheetTriangle final : public ui::View {
public:
    static std::shared_ptr<ActionSheetTriangle> create();
    ActionSheetTriangle();

    const char* className() const override { return "ActionSheetTriangle"; }

    // Sets the frame and the shape for an arrow direction (0 left, 1 right, 2 up, 3 down); any
    // other direction leaves the path empty.
    void setFrame(graphics::Rect frame, unsigned arrowDirection);
    using ui::View::setFrame;
};
