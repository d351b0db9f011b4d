#pragma once

#include "platform/ui/View.h"

// A plain view backed by an ActionSheetLayer: the host of the sheet's sections.
class ActionSheetView final : public ui::View {
public:
    static std::shared_ptr<ActionSheetView> create(graphics::Rect frame = {});
    explicit ActionSheetView(graphics::Rect frame);

    const char* className() const override { return "ActionSheetView"; }
};
