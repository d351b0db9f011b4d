#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Button;
class View;
class Window;

// An item of the edit menu beyond the standard actions.
struct MenuItem {
    std::string title;
    std::function<void()> action;
};

// The edit menu: a dark bubble of actions shown above (or, without room, below) a target
// rectangle. It offers the standard actions that the first responder (else the target view's
// responder chain) can perform now, then the custom items; with nothing to offer it does not show.
// A tap on an item hides the menu and performs it; a tap anywhere else only hides it.
class MenuController final {
public:
    static MenuController& sharedMenuController();

    static constexpr double kBubbleHeight = 36;
    static constexpr double kFadeDuration = 0.1;

    const std::vector<MenuItem>& menuItems() const { return m_items; }
    void setMenuItems(std::vector<MenuItem> items) { m_items = std::move(items); }

    // `rect` in `view`'s coordinates; kept as a screen rectangle.
    void setTargetRect(graphics::Rect rect, const View* view);
    graphics::Rect targetRect() const { return m_target; }
    bool isMenuVisible() const { return m_visible; }
    void setMenuVisible(bool visible, bool animated = false);
    // The bubble's frame on screen while shown.
    graphics::Rect menuFrame() const;
    // The titles shown, in order.
    std::vector<std::string> visibleTitles() const { return m_titles; }

    static const char* title(EditAction action);

    void resetForTesting();

private:
    struct Entry {
        std::string title;
        std::function<void()> perform;
    };
    std::vector<Entry> entries() const;
    void build(const std::vector<Entry>& entries);
    void hide(bool animated);

    std::vector<MenuItem> m_items;
    graphics::Rect m_target;
    std::weak_ptr<const View> m_targetView;
    std::shared_ptr<Window> m_window;
    std::shared_ptr<View> m_bubble;
    std::vector<std::string> m_titles;
    bool m_visible {false};
};

} // namespace ui
