#pragma once

#include "components/actionsheet/ActionSheetIndexPath.h"

class ActionSheet;

// What an action sheet tells its delegate. Every operation is optional; one that is not
// overridden does nothing, which is what an unanswered call amounts to.
class ActionSheetDelegate {
public:
    virtual ~ActionSheetDelegate() = default;
    virtual void actionSheetWillPresent(ActionSheet&) { }
    virtual void actionSheetDidPresent(ActionSheet&) { }
    virtual void actionSheetWillDismiss(ActionSheet&) { }
    virtual void actionSheetDidDismiss(ActionSheet&) { }
    virtual void actionSheetPressedButtonAtIndexPath(ActionSheet&, ActionSheetIndexPath) { }
};
