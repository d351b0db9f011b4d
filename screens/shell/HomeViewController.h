#pragma once

#include "screens/shell/ParentViewController.h"

#include <memory>
#include <string>

namespace ui {
class Button;
class Label;
} // namespace ui

// The home dashboard: today's date, the inspector, and the ways into creating a task and the four
// task lists, with the local lists' counts.
class HomeViewController final : public ParentViewController {
public:
    static std::shared_ptr<HomeViewController> create();

    const char* className() const override { return "HomeViewController"; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Number of the user's tasks in a state, from the store (0 when it cannot answer).
    static size_t taskCount(const std::string& taskStatus);
    void refreshCounts();

private:
    std::shared_ptr<ui::Button> addEntry(const std::string& title, const char* segue, double y);

    std::shared_ptr<ui::Label> m_dateLabel;
    std::shared_ptr<ui::Label> m_userLabel;
    std::shared_ptr<ui::Button> m_pendingButton;
    std::shared_ptr<ui::Button> m_uploadButton;
};
