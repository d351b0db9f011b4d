#pragma once

#include "platform/ui/ViewController.h"

#include <memory>

namespace ui {
class Label;
}

namespace examples {

// The drop-down banner: a title alone, with a one- or two-line message, own colours and time,
// several at once and dismiss-all, and a delegate that keeps the banner after its time.
class BannerDemoViewController final : public ui::ViewController {
public:
    static std::shared_ptr<BannerDemoViewController> create();

    const char* className() const override { return "BannerDemoViewController"; }
    void viewDidLoad() override;

private:
    std::shared_ptr<ui::Label> m_status;
};

} // namespace examples
