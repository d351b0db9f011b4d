#pragma once

#include "platform/ui/Forward.h"

#include <functional>
#include <memory>
#include <string>

namespace graphics {
class Image;
}

namespace ui {

// A button of a navigation bar: a title or an image and an action.
class BarButtonItem final : public std::enable_shared_from_this<BarButtonItem> {
public:
    using Action = std::function<void(BarButtonItem&)>;
    static std::shared_ptr<BarButtonItem> create(std::string title, Action action = {});
    static std::shared_ptr<BarButtonItem> create(std::shared_ptr<graphics::Image> image, Action action = {});

    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    const std::shared_ptr<graphics::Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<graphics::Image> image) { m_image = std::move(image); }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    int64_t tag() const { return m_tag; }
    void setTag(int64_t tag) { m_tag = tag; }
    void setAction(Action action) { m_action = std::move(action); }
    // Runs the action when enabled.
    void trigger();

private:
    std::string m_title;
    std::shared_ptr<graphics::Image> m_image;
    Action m_action;
    int64_t m_tag {0};
    bool m_enabled {true};
};

} // namespace ui
