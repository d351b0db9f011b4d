#pragma once

#include "platform/ui/ViewController.h"

#include <memory>

// The sliding container of the main screens: the side menu lies under the left edge and the top
// screen (the home dashboard's navigation stack) covers it; the top slides right to reveal the menu.
class SlidingViewController final : public ui::ViewController {
public:
    static std::shared_ptr<SlidingViewController> create();

    const char* className() const override { return "SlidingViewController"; }
    static constexpr double kRevealWidth = 260;
    static constexpr double kSlideDuration = 0.25;

    // The container a screen sits in (through its parents), if any.
    static std::shared_ptr<SlidingViewController> containing(const ui::ViewController& controller);

    std::shared_ptr<ui::ViewController> underLeftViewController() const { return m_underLeft; }
    void setUnderLeftViewController(std::shared_ptr<ui::ViewController> controller);
    std::shared_ptr<ui::ViewController> topViewController() const { return m_top; }
    // Replaces the top screen and closes the menu.
    void setTopViewController(std::shared_ptr<ui::ViewController> controller);

    bool isMenuOpen() const { return m_menuOpen; }
    void anchorTopViewToRight(bool animated);
    void resetTopView(bool animated);
    void toggleMenu(bool animated) { m_menuOpen ? resetTopView(animated) : anchorTopViewToRight(animated); }

    void loadView() override;
    void viewDidLayoutSubviews() override;

private:
    void install(const std::shared_ptr<ui::ViewController>& controller, bool onTop);
    void placeTopView();

    std::shared_ptr<ui::ViewController> m_underLeft;
    std::shared_ptr<ui::ViewController> m_top;
    std::shared_ptr<ui::View> m_coverButton;
    bool m_menuOpen {false};
};
