#pragma once

#include "platform/ui/Forward.h"

#include <utility>

namespace ui {

// The touches of one dispatch.
class Event final {
public:
    Event(double timestamp, TouchSet touches)
        : m_timestamp(timestamp)
        , m_touches(std::move(touches))
    { }
    double timestamp() const { return m_timestamp; }
    const TouchSet& allTouches() const { return m_touches; }
    TouchSet touchesForView(const View* view) const;

private:
    double m_timestamp;
    TouchSet m_touches;
};

} // namespace ui
