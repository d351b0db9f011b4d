#pragma once

#include "platform/ui/ViewController.h"

// Base of the screens that carry the brand: the logo and the brand colour in the navigation bar,
// chosen by the logged-in user's company.
class ParentViewController : public ui::ViewController {
public:
    const char* className() const override { return "ParentViewController"; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

protected:
    // Fills the content area below the navigation bar with the screen's background.
    void setUpBackground();
};
