#include "platform/ui/Pasteboard.h"

namespace ui {

Pasteboard& Pasteboard::generalPasteboard()
{
    static Pasteboard pasteboard;
    return pasteboard;
}

void Pasteboard::setImage(std::shared_ptr<graphics::Image> image)
{
    m_image = std::move(image);
    m_string.reset();
    changed();
}

void Pasteboard::setString(std::string text)
{
    m_string = std::move(text);
    m_image.reset();
    changed();
}

void Pasteboard::changed()
{
    ++m_changeCount;
    if (m_mirror)
        m_mirror(*this);
}

void Pasteboard::resetForTesting()
{
    m_image.reset();
    m_string.reset();
    m_changeCount = 0;
    m_mirror = nullptr;
}

} // namespace ui
