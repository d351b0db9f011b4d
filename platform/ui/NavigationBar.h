#pragma once

#include "platform/ui/View.h"

namespace ui {

// The bar at the top of a navigation controller: the top item's title and bar buttons, and a
// back button when there is an item below it.
class NavigationBar final : public View {
public:
    static std::shared_ptr<NavigationBar> create(graphics::Rect frame);
    explicit NavigationBar(graphics::Rect frame);

    const char* className() const override { return "NavigationBar"; }
    static constexpr double kHeight = 44;

    // The top controller's item, whether a back button shows, and the item below it (whose
    // title the back button takes).
    void setTopItem(NavigationItem* item, bool showsBack, NavigationItem* backItem = nullptr);
    NavigationItem* topItem() const { return m_topItem; }
    NavigationItem* backItem() const { return m_backItem; }
    bool showsBackButton() const { return m_showsBack; }
    // The back item's back button title if it has one, else its title when that fits beside the
    // top item's, else "返回".
    std::string backButtonTitle() const;
    static constexpr const char* kDefaultBackTitle = "返回";
    // How wide the back button is, chevron included (taps within it go back).
    double backButtonWidth() const;
    std::optional<graphics::Color> barTintColor() const { return m_barTint; }
    void setBarTintColor(std::optional<graphics::Color> color);
    // The colour of the buttons: the platform blue on the default bar, else white or black,
    // whichever reads better on the bar's tint (the title takes it too).
    graphics::Color tintColor() const;
    graphics::Color titleColor() const;
    std::function<void()> onBack;

    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;
    std::string automationText() const override;
    // The back button and the bar button items, where a touch triggers them.
    std::vector<AutomationElement> automationElements() const override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesBegan(const TouchSet& touches, const Event* event) override { (void)touches, (void)event; }

private:
    NavigationItem* m_topItem {nullptr};
    NavigationItem* m_backItem {nullptr};
    std::optional<graphics::Color> m_barTint;
    bool m_showsBack {false};
};

} // namespace ui
