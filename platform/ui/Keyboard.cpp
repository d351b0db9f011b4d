#include "platform/ui/Keyboard.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"

#include <functional>
#include <string_view>

namespace ui {

using foundation::Value;
using graphics::Rect;

namespace {

Value rectValue(Rect r)
{
    foundation::Map map;
    map["x"] = r.minX();
    map["y"] = r.minY();
    map["width"] = r.width();
    map["height"] = r.height();
    return map;
}

// The platform's keyboard curve value.
constexpr int kKeyboardCurve = 7;

} // namespace

std::string Keyboard::typeableText(KeyboardType type, const std::string& text)
{
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::function<bool(char)> keeps;
    switch (type) {
    case KeyboardType::NumberPad:
        keeps = isDigit;
        break;
    case KeyboardType::PhonePad:
        keeps = [&](char c) {
            return isDigit(c) || std::string_view("+*#,;()- ").find(c) != std::string_view::npos;
        };
        break;
    case KeyboardType::DecimalPad:
        keeps = [&](char c) { return isDigit(c) || c == '.'; };
        break;
    case KeyboardType::EmailAddress:
        keeps = [](char c) { return c != ' ' && c != '\t'; };
        break;
    default:
        return text;
    }
    std::string typeable;
    for (char c : text) {
        // Line ends are the return key, which every keyboard has.
        if (c == '\n' || c == '\r' || keeps(c))
            typeable.push_back(c);
    }
    return typeable;
}

const char* Keyboard::typeName(KeyboardType type)
{
    switch (type) {
    case KeyboardType::Default:
        return "Default";
    case KeyboardType::ASCIICapable:
        return "ASCIICapable";
    case KeyboardType::NumbersAndPunctuation:
        return "NumbersAndPunctuation";
    case KeyboardType::URL:
        return "URL";
    case KeyboardType::NumberPad:
        return "NumberPad";
    case KeyboardType::PhonePad:
        return "PhonePad";
    case KeyboardType::NamePhonePad:
        return "NamePhonePad";
    case KeyboardType::EmailAddress:
        return "EmailAddress";
    case KeyboardType::DecimalPad:
        return "DecimalPad";
    case KeyboardType::Twitter:
        return "Twitter";
    case KeyboardType::WebSearch:
        return "WebSearch";
    }
    return "Default";
}

Keyboard& Keyboard::shared()
{
    static Keyboard keyboard;
    return keyboard;
}

double Keyboard::height() const
{
    return Device::currentDevice().userInterfaceIdiom() == UserInterfaceIdiom::Pad ? kTabletHeight
                                                                                   : kPhoneHeight;
}

Rect Keyboard::shownFrame() const
{
    Rect screen = Screen::mainScreen().bounds();
    return {0, screen.height() - height(), screen.width(), height()};
}

Rect Keyboard::hiddenFrame() const
{
    Rect screen = Screen::mainScreen().bounds();
    return {0, screen.height(), screen.width(), height()};
}

Rect Keyboard::frame() const
{
    return m_visible ? shownFrame() : hiddenFrame();
}

void Keyboard::beginFocusSwitch()
{
    if (m_switchDepth++ == 0)
        m_resignedDuringSwitch = false;
}

void Keyboard::endFocusSwitch(bool newInputTookFocus)
{
    if (--m_switchDepth > 0)
        return;
    if (!newInputTookFocus && m_resignedDuringSwitch)
        hide();
}

void Keyboard::inputDidBecomeActive()
{
    show();
}

void Keyboard::inputDidResign()
{
    if (m_switchDepth > 0) {
        m_resignedDuringSwitch = true;
        return;
    }
    hide();
}

void Keyboard::show()
{
    bool wasVisible = m_visible;
    foundation::Map info;
    info[kFrameBeginUserInfoKey] = rectValue(wasVisible ? shownFrame() : hiddenFrame());
    info[kFrameEndUserInfoKey] = rectValue(shownFrame());
    info[kAnimationDurationUserInfoKey] = kAnimationDuration;
    info[kAnimationCurveUserInfoKey] = kKeyboardCurve;
    m_visible = true;
    foundation::NotificationCenter::defaultCenter().post(kWillShowNotification, nullptr, info);
    if (wasVisible)
        return;
    if (m_pending)
        m_pending->invalidate();
    m_pending = foundation::RunLoop::main().performAfter(kAnimationDuration, [info] {
        foundation::NotificationCenter::defaultCenter().post(kDidShowNotification, nullptr, info);
    });
}

void Keyboard::hide()
{
    if (!m_visible)
        return;
    foundation::Map info;
    info[kFrameBeginUserInfoKey] = rectValue(shownFrame());
    info[kFrameEndUserInfoKey] = rectValue(hiddenFrame());
    info[kAnimationDurationUserInfoKey] = kAnimationDuration;
    info[kAnimationCurveUserInfoKey] = kKeyboardCurve;
    m_visible = false;
    foundation::NotificationCenter::defaultCenter().post(kWillHideNotification, nullptr, info);
    if (m_pending)
        m_pending->invalidate();
    m_pending = foundation::RunLoop::main().performAfter(kAnimationDuration, [info] {
        foundation::NotificationCenter::defaultCenter().post(kDidHideNotification, nullptr, info);
    });
}

void Keyboard::reset()
{
    if (m_pending)
        m_pending->invalidate();
    m_pending.reset();
    m_visible = false;
    m_switchDepth = 0;
    m_resignedDuringSwitch = false;
}

} // namespace ui
