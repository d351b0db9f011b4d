#pragma once

#include "platform/ui/BarButtonItem.h"

#include <memory>
#include <string>

namespace ui {

// What a controller shows in its navigation bar; changes show at the next frame.
class NavigationItem final {
public:
    const std::string& title() const { return m_title; }
    void setTitle(std::string title);
    const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return m_left; }
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item);
    const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return m_right; }
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item);
    const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return m_back; }
    void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) { m_back = std::move(item); }
    bool hidesBackButton() const { return m_hidesBackButton; }
    void setHidesBackButton(bool hides);

private:
    std::string m_title;
    std::shared_ptr<BarButtonItem> m_left;
    std::shared_ptr<BarButtonItem> m_right;
    std::shared_ptr<BarButtonItem> m_back;
    bool m_hidesBackButton {false};
};

} // namespace ui
