#pragma once

#include "platform/ui/ViewController.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ui {
class Label;
}

namespace examples {

// The input box: every box type, the number box's fixed-point typing, the three blur styles,
// a submit block that refuses empty input, and turning the device while the box is up.
class InputBoxDemoViewController final : public ui::ViewController {
public:
    static std::shared_ptr<InputBoxDemoViewController> create();

    const char* className() const override { return "InputBoxDemoViewController"; }
    void viewDidLoad() override;

private:
    void showBox(int64_t type, const std::string& title, const std::string& message);

    std::shared_ptr<ui::Label> m_status;
    int64_t m_style {0};
};

} // namespace examples
