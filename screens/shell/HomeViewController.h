#pragma once

#include "screens/shell/ParentViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class Button;
class Label;
} // namespace ui
class ScreenScrollView;

// The home dashboard: today's date, the inspector, and the ways into creating a task and the four
// task lists, with the local lists' counts.
class HomeViewController final : public ParentViewController {
public:
    static std::shared_ptr<HomeViewController> create();

    const char* className() const override { return "HomeViewController"; }

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void viewWillAppear(bool animated) override;

    // What the date, the inspector and the entries lie in: it scrolls when they do not fit.
    std::shared_ptr<ScreenScrollView> contentView() const { return m_content; }
    // The ways into creating a task and the four lists, top down.
    const std::vector<std::shared_ptr<ui::Button>>& entryButtons() const { return m_entries; }

    // Number of the user's tasks in a state, from the store (0 when it cannot answer).
    static size_t taskCount(const std::string& taskStatus);
    void refreshCounts();

private:
    std::shared_ptr<ui::Button> addEntry(const std::string& title, const char* segue);
    void layOutContent();

    std::shared_ptr<ScreenScrollView> m_content;
    std::vector<std::shared_ptr<ui::Button>> m_entries;

    std::shared_ptr<ui::Label> m_dateLabel;
    std::shared_ptr<ui::Label> m_userLabel;
    std::shared_ptr<ui::Button> m_pendingButton;
    std::shared_ptr<ui::Button> m_uploadButton;
};
