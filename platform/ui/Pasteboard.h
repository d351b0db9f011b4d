#pragma once

#include "platform/graphics/Forward.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

// The general pasteboard: one item, an image or a text, and a count of changes. A host with a
// desktop may mirror what is copied to the desktop's clipboard.
class Pasteboard final {
public:
    static Pasteboard& generalPasteboard();

    std::shared_ptr<graphics::Image> image() const { return m_image; }
    void setImage(std::shared_ptr<graphics::Image> image);
    std::optional<std::string> string() const { return m_string; }
    void setString(std::string text);
    int64_t changeCount() const { return m_changeCount; }

    using Mirror = std::function<void(const Pasteboard&)>;
    void setDesktopMirror(Mirror mirror) { m_mirror = std::move(mirror); }

    void resetForTesting();

private:
    void changed();

    std::shared_ptr<graphics::Image> m_image;
    std::optional<std::string> m_string;
    int64_t m_changeCount {0};
    Mirror m_mirror;
};

} // namespace ui
