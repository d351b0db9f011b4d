#pragma once

#include "components/popup/Popup.h"
#include "platform/ui/ViewController.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ui {
class Label;
}

namespace examples {

// The popup: every incoming and outgoing transition, one to three fields with their keyboard,
// the blur backgrounds, tap and swipe to dismiss, and the delegate's calls as they come.
class PopupDemoViewController final : public ui::ViewController, public PopupDelegate {
public:
    static std::shared_ptr<PopupDemoViewController> create();

    const char* className() const override { return "PopupDemoViewController"; }
    void viewDidLoad() override;

    bool popupDidAppear(Popup&) override { return say("已出现"); }
    bool popupPressButton(Popup&, PopupButtonType type) override;
    bool dictionary(
        const FieldDictionary&, Popup&, const std::optional<std::vector<std::string>>& strings) override;
    bool popupDidDisappear(Popup&, PopupButtonType type) override;

private:
    void showPopup();
    bool say(const std::string& text);

    std::shared_ptr<ui::Label> m_status;
    uint64_t m_incoming {Popup::kDefaultTransition};
    uint64_t m_outgoing {Popup::kDefaultTransition};
    size_t m_fields {2};
    size_t m_keyboard {0};
    int64_t m_blur {3};
    bool m_tapToDismiss {false};
    bool m_swipeToDismiss {false};
    std::string m_typed;
};

} // namespace examples
