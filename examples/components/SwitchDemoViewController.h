#pragma once

#include "platform/ui/ViewController.h"

#include <memory>
#include <vector>

namespace ui {
class Label;
}
class OnOffSwitch;

namespace examples {

// The on/off switch: off, on, with texts, in its square form, and with the login screen's two
// images; tap or drag any of them. The line below counts the value-changed events.
class SwitchDemoViewController final : public ui::ViewController {
public:
    static std::shared_ptr<SwitchDemoViewController> create();

    const char* className() const override { return "SwitchDemoViewController"; }
    void viewDidLoad() override;

    const std::vector<std::shared_ptr<OnOffSwitch>>& switches() const { return m_switches; }

private:
    void valueChanged(size_t index);

    std::vector<std::shared_ptr<OnOffSwitch>> m_switches;
    std::shared_ptr<ui::Label> m_result;
    int m_events {0};
};

} // namespace examples
