#pragma once

#include "platform/ui/ViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class Button;
class Label;
} // namespace ui
class ScreenScrollView;

// The side menu under the sliding container's left edge. From its set-up until it is released it
// observes "navToHomeSlidingNotification" and answers it with the segue "slidingToHome".
class LeftMenuViewController final : public ui::ViewController {
public:
    static std::shared_ptr<LeftMenuViewController> create();
    ~LeftMenuViewController() override;

    const char* className() const override { return "LeftMenuViewController"; }

    struct Entry {
        std::string title;
        std::string segueIdentifier; // empty: log out
    };
    static const std::vector<Entry>& entries();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // What the name and the entries lie in: it scrolls when they do not fit.
    std::shared_ptr<ScreenScrollView> contentView() const { return m_content; }
    // One button per entry, in the entries' order.
    const std::vector<std::shared_ptr<ui::Button>>& entryButtons() const { return m_buttons; }

    // A menu entry as a tap runs it; the logout entry asks first.
    void selectEntry(size_t index);
    // The prompt "退出登录" on the Warning style: "确定" logs out, "取消" stays.
    void showLogoutPrompt();
    // Back to the login screen. The stored password goes, so the next start does not log in again.
    void logout();

private:
    static constexpr double kBottomMargin = 20;

    std::shared_ptr<ScreenScrollView> m_content;
    std::shared_ptr<ui::Label> m_userLabel;
    std::vector<std::shared_ptr<ui::Button>> m_buttons;
};
