#pragma once

#include "components/actionsheet/ActionSheetDelegate.h"
#include "platform/ui/ViewController.h"

namespace ui {
class Label;
}

namespace examples {

// The action sheet: one section with the current choice marked, several sections with every
// button style, a content view and a cancel section, and a sheet that a tap beside it closes.
class ActionSheetDemoViewController final : public ui::ViewController, public ActionSheetDelegate {
public:
    static std::shared_ptr<ActionSheetDemoViewController> create();

    const char* className() const override { return "ActionSheetDemoViewController"; }
    void viewDidLoad() override;

    void showOneSection();
    void showSeveralSections();
    void showTapOutside();

    void actionSheetPressedButtonAtIndexPath(ActionSheet& sheet, ActionSheetIndexPath indexPath) override;

private:
    void show(const std::shared_ptr<ActionSheet>& sheet);

    std::shared_ptr<ui::Label> m_result;
};

} // namespace examples
