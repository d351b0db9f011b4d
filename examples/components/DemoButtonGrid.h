#pragma once

#include <functional>
#include <memory>
#include <string>

namespace ui {
class Button;
class Label;
class View;
} // namespace ui

namespace examples {

// Lays out a demo screen's buttons two to a row from `top` down, and a status line under them.
class DemoButtonGrid final {
public:
    DemoButtonGrid(std::shared_ptr<ui::View> parent, double top);

    std::shared_ptr<ui::Button> add(const std::string& title, std::function<void(ui::Button&)> action);
    // A one-line label across the screen under the buttons so far.
    std::shared_ptr<ui::Label> addStatus();

    static constexpr double kButtonHeight = 34;
    static constexpr double kGap = 8;

private:
    double nextRowTop() const;

    std::shared_ptr<ui::View> m_parent;
    double m_top;
    int m_count {0};
};

} // namespace examples
