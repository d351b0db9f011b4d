#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class View;

// What an accessibility element is and does, as a screen reader would announce it.
enum class AccessibilityTraits : uint64_t {
    None = 0,
    Button = 1 << 0,
    Link = 1 << 1,
    Image = 1 << 2,
    Selected = 1 << 3,
    StaticText = 1 << 6,
    NotEnabled = 1 << 8,
    UpdatesFrequently = 1 << 9,
    Adjustable = 1 << 12,
    AllowsDirectInteraction = 1 << 13,
    Header = 1 << 16,
};
constexpr AccessibilityTraits operator|(AccessibilityTraits a, AccessibilityTraits b)
{
    return AccessibilityTraits(uint64_t(a) | uint64_t(b));
}
constexpr bool hasTrait(AccessibilityTraits traits, AccessibilityTraits trait)
{
    return (uint64_t(traits) & uint64_t(trait)) != 0;
}
// The traits' names, for the automation tree ("button", "image", ...).
std::vector<std::string> accessibilityTraitNames(AccessibilityTraits traits);

enum class AccessibilityNotification { ScreenChanged, LayoutChanged, Announcement, PageScrolled };

// The screen reader's inbox: what the app posted for it, kept in order so automation (and tests)
// can read what would have been spoken. There is no speech here.
class Accessibility final {
public:
    struct Post {
        AccessibilityNotification notification;
        std::string text; // an announcement's words, or the label of the element to focus
        double time;
    };

    // Posts for the screen reader; `argument` is the announcement or the element's label.
    static void post(AccessibilityNotification notification, std::string argument = {});
    static void post(AccessibilityNotification notification, const View* element);
    static const std::vector<Post>& posted();
    static void clearPosted();
    static const char* name(AccessibilityNotification notification);

    static constexpr size_t kMaxKept = 200;
};

} // namespace ui
