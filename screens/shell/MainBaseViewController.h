#pragma once

#include "screens/shell/ParentViewController.h"

// Base of the inner screens: besides the way back through the navigation stack, a home button
// that posts "navToHomeSlidingNotification", which the side menu answers by returning home.
class MainBaseViewController : public ParentViewController {
public:
    static constexpr const char* kNavToHomeSlidingNotification = "navToHomeSlidingNotification";

    const char* className() const override { return "MainBaseViewController"; }

    void viewDidLoad() override;
    // Posts the notification (no object).
    void returnHome();
};
