#pragma once

#include "platform/ui/Forward.h"

#include <functional>
#include <memory>
#include <string>

namespace ui {

enum class SegueKind { Push, Modal, Custom };

// One run of a registered segue: source, destination and how to show the destination.
class StoryboardSegue final {
public:
    using Performer = std::function<void(StoryboardSegue&)>;
    StoryboardSegue(std::string identifier, SegueKind kind, std::shared_ptr<ViewController> source,
        std::shared_ptr<ViewController> destination, Performer custom = {});

    const std::string& identifier() const { return m_identifier; }
    SegueKind kind() const { return m_kind; }
    const std::shared_ptr<ViewController>& sourceViewController() const { return m_source; }
    const std::shared_ptr<ViewController>& destinationViewController() const { return m_destination; }
    // Push onto the source's navigation controller (modal when it has none), present modally
    // (animated), or run the custom performer.
    void perform();

private:
    std::string m_identifier;
    SegueKind m_kind;
    std::shared_ptr<ViewController> m_source;
    std::shared_ptr<ViewController> m_destination;
    Performer m_custom;
};

} // namespace ui
