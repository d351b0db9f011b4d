#include "platform/ui/StoryboardSegue.h"

#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"

namespace ui {

StoryboardSegue::StoryboardSegue(std::string identifier, SegueKind kind,
    std::shared_ptr<ViewController> source, std::shared_ptr<ViewController> destination, Performer custom)
    : m_identifier(std::move(identifier))
    , m_kind(kind)
    , m_source(std::move(source))
    , m_destination(std::move(destination))
    , m_custom(std::move(custom))
{ }

void StoryboardSegue::perform()
{
    if (!m_source || !m_destination)
        return;
    switch (m_kind) {
    case SegueKind::Push:
        if (auto navigation = m_source->navigationController()) {
            navigation->pushViewController(m_destination, true);
            return;
        }
        if (auto navigation = std::dynamic_pointer_cast<NavigationController>(m_source)) {
            navigation->pushViewController(m_destination, true);
            return;
        }
        // Without a navigation controller a push shows modally, as on the platform.
        m_source->presentViewController(m_destination, true);
        return;
    case SegueKind::Modal:
        m_source->presentViewController(m_destination, true);
        return;
    case SegueKind::Custom:
        if (m_custom)
            m_custom(*this);
        return;
    }
}

} // namespace ui
