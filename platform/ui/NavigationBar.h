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

    // The top controller's item and whether a back button shows.
    void setTopItem(NavigationItem* item, bool showsBack);
    NavigationItem* topItem() const { return m_topItem; }
    bool showsBackButton() const { return m_showsBack; }
    std::optional<graphics::Color> barTintColor() const { return m_barTint; }
    void setBarTintColor(std::optional<graphics::Color> color);
    std::function<void()> onBack;

    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;
    std::string automationText() const override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesBegan(const TouchSet& touches, const Event* event) override { (void)touches, (void)event; }

private:
    NavigationItem* m_topItem {nullptr};
    std::optional<graphics::Color> m_barTint;
    bool m_showsBack {false};
};

} // namespace ui
