#pragma once

#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>

namespace foundation {
class Timer;
}

namespace ui {

// Text input traits, with the platform's numbering.
enum class KeyboardType {
    Default = 0,
    ASCIICapable = 1,
    NumbersAndPunctuation = 2,
    URL = 3,
    NumberPad = 4,
    PhonePad = 5,
    NamePhonePad = 6,
    EmailAddress = 7,
    DecimalPad = 8,
    Twitter = 9,
    WebSearch = 10,
};
enum class ReturnKeyType {
    Default = 0,
    Go = 1,
    Google = 2,
    Join = 3,
    Next = 4,
    Route = 5,
    Search = 6,
    Send = 7,
    Yahoo = 8,
    Done = 9,
    EmergencyCall = 10,
};
enum class KeyboardAppearance { Default = 0, Dark = 1, Light = 2 };
enum class TextAutocapitalizationType { None = 0, Words = 1, Sentences = 2, AllCharacters = 3 };
enum class TextAutocorrectionType { Default = 0, No = 1, Yes = 2 };
enum class TextSpellCheckingType { Default = 0, No = 1, Yes = 2 };

// The simulated on-screen keyboard. Text inputs tell it when they gain and lose the focus; it
// posts the platform's notifications with the keyboard's frame in screen coordinates. Focus moving
// straight from one input to another posts will-show again and no hide.
class Keyboard final {
public:
    static Keyboard& shared();

    static constexpr const char* kWillShowNotification = "UIKeyboardWillShowNotification";
    static constexpr const char* kDidShowNotification = "UIKeyboardDidShowNotification";
    static constexpr const char* kWillHideNotification = "UIKeyboardWillHideNotification";
    static constexpr const char* kDidHideNotification = "UIKeyboardDidHideNotification";
    static constexpr const char* kFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
    static constexpr const char* kFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
    static constexpr const char* kAnimationDurationUserInfoKey = "UIKeyboardAnimationDurationUserInfoKey";
    static constexpr const char* kAnimationCurveUserInfoKey = "UIKeyboardAnimationCurveUserInfoKey";
    static constexpr double kAnimationDuration = 0.25;
    static constexpr double kPhoneHeight = 216;
    static constexpr double kTabletHeight = 264;

    bool isVisible() const { return m_visible; }
    // 216 points on a phone, 264 on a tablet.
    double height() const;
    // On screen at the bottom when visible; just below the screen when not.
    graphics::Rect frame() const;

    // Called by text inputs. A focus switch brackets the new input's becomeFirstResponder, so
    // the old input's resign does not hide the keyboard.
    void beginFocusSwitch();
    void endFocusSwitch(bool newInputTookFocus);
    void inputDidBecomeActive();
    void inputDidResign();

    // What a keyboard of this type can type of `text`: the pads have digits (the phone pad also
    // + * # , ; ( ) - and space, the decimal pad the point), the e-mail keyboard has no space.
    static std::string typeableText(KeyboardType type, const std::string& text);
    // "NumberPad", "EmailAddress", ...: for tree dumps.
    static const char* typeName(KeyboardType type);

    // Tests: hidden, no pending notifications.
    void reset();

private:
    graphics::Rect shownFrame() const;
    graphics::Rect hiddenFrame() const;
    void show();
    void hide();

    bool m_visible {false};
    int m_switchDepth {0};
    bool m_resignedDuringSwitch {false};
    std::shared_ptr<foundation::Timer> m_pending;
};

} // namespace ui
