#pragma once

#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {
class Value;
}
namespace ui {
class View;
}

namespace host {

// The automation protocol: one JSON object per command line, one JSON answer line each.
//   {"cmd":"tap","text":"登录"} {"cmd":"tap","label":"..."} {"cmd":"tap","x":10,"y":20}
//   {"cmd":"longpress", <target>, "duration":0.6}   {"cmd":"drag","from":[x,y],"to":[x,y],"duration":0.3}
//   {"cmd":"type","text":"..."} {"cmd":"backspace","count":1} {"cmd":"return"}
//   {"cmd":"advance","seconds":0.3} {"cmd":"wait","text":"...","timeout":5}
//   {"cmd":"screenshot","path":"x.png"} {"cmd":"tree"} {"cmd":"find","text":"..."} {"cmd":"info"}
//   {"cmd":"rotate","orientation":"portrait"|"upsideDown"|"landscapeLeft"|"landscapeRight"}
//   {"cmd":"tilt","x":0.5,"y":-1} {"cmd":"quit"}
// Answers are {"ok":true,...} or {"ok":false,"error":"..."}; no input makes it throw or crash.
// Points and frames, in and out, are those of the screen as its user sees it, upright as a
// screenshot saves it; before system 8.0 a turned interface does not turn the screen's own
// coordinates (ui::Application::screenToInterface).
class Automation final {
public:
    // `hostKind` is reported by {"cmd":"info"} ("headless" or "window").
    explicit Automation(std::string hostKind = "headless");

    std::string handle(std::string_view line);
    bool quitRequested() const { return m_quit; }

    // A view named by text or label, and where a tap on it lands.
    struct Match {
        std::shared_ptr<ui::View> view;
        // The centre of the view's visible part, on the screen as it is seen.
        graphics::Point point;
        // The view a touch at `point` would reach instead of this one; null when it reaches it.
        std::shared_ptr<ui::View> coveredBy;
    };
    // The topmost visible view whose text or accessibility label is `text` (exact match first,
    // then the topmost view containing it), in screen painter order; a match that another view
    // covers at its aim point is passed over for one that is not, and returned only if all are.
    static std::optional<Match> match(const std::string& text, bool labelOnly);
    static std::shared_ptr<ui::View> findView(const std::string& text, bool labelOnly);
    // The view's frame on the screen as it is seen (model values).
    static graphics::Rect screenFrame(const ui::View& view);
    // The part of that frame that can be seen: cut by the screen and by every ancestor that clips
    // to its bounds. Empty (isEmpty()) when nothing of it shows.
    static graphics::Rect visibleFrame(const ui::View& view);
    // The whole screen as a tree of nodes (class, frame, text, label, hidden, alpha, children).
    static foundation::Value tree();

private:
    foundation::Value run(const foundation::Value& command);
    foundation::Value tap(const foundation::Value& command);
    foundation::Value longPress(const foundation::Value& command);
    foundation::Value drag(const foundation::Value& command);
    foundation::Value pinch(const foundation::Value& command);
    foundation::Value accessibility();
    foundation::Value pasteboard();
    foundation::Value doubleTap(const foundation::Value& command);
    foundation::Value type(const foundation::Value& command);
    foundation::Value backspace(const foundation::Value& command);
    foundation::Value returnKey();
    foundation::Value advance(const foundation::Value& command);
    foundation::Value wait(const foundation::Value& command);
    foundation::Value screenshot(const foundation::Value& command);
    foundation::Value find(const foundation::Value& command);
    foundation::Value rotate(const foundation::Value& command);
    foundation::Value tilt(const foundation::Value& command);
    // The point a command aims at: "x"/"y", or the centre of the visible part of the view named by
    // "text"/"label", unless another view covers it there.
    std::optional<graphics::Point> target(const foundation::Value& command, std::string& error) const;

    std::string m_hostKind;
    bool m_quit {false};
};

} // namespace host
