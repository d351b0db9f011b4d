#pragma once

#include "platform/ui/Forward.h"

#include <optional>

namespace ui {

// Optional questions a recogniser asks; std::nullopt means "not answered" and the built-in
// default applies (begin: yes; receive: yes; simultaneous: no; failure requirements: none).
class GestureRecognizerDelegate {
public:
    virtual ~GestureRecognizerDelegate() = default;
    virtual std::optional<bool> gestureRecognizerShouldBegin(GestureRecognizer&) { return std::nullopt; }
    virtual std::optional<bool> gestureRecognizerShouldReceiveTouch(GestureRecognizer&, Touch&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> gestureRecognizerShouldRecognizeSimultaneouslyWith(
        GestureRecognizer&, GestureRecognizer&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> gestureRecognizerShouldRequireFailureOf(
        GestureRecognizer&, GestureRecognizer&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> gestureRecognizerShouldBeRequiredToFailBy(
        GestureRecognizer&, GestureRecognizer&)
    {
        return std::nullopt;
    }
};

} // namespace ui
