#include "platform/ui/Accessibility.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

namespace ui {

namespace {

std::vector<Accessibility::Post>& inbox()
{
    static std::vector<Accessibility::Post> posts;
    return posts;
}

} // namespace

std::vector<std::string> accessibilityTraitNames(AccessibilityTraits traits)
{
    static const std::pair<AccessibilityTraits, const char*> kNames[] = {
        {AccessibilityTraits::Button, "button"},
        {AccessibilityTraits::Link, "link"},
        {AccessibilityTraits::Image, "image"},
        {AccessibilityTraits::Selected, "selected"},
        {AccessibilityTraits::StaticText, "staticText"},
        {AccessibilityTraits::NotEnabled, "notEnabled"},
        {AccessibilityTraits::UpdatesFrequently, "updatesFrequently"},
        {AccessibilityTraits::Adjustable, "adjustable"},
        {AccessibilityTraits::AllowsDirectInteraction, "allowsDirectInteraction"},
        {AccessibilityTraits::Header, "header"},
    };
    std::vector<std::string> names;
    for (auto& [trait, name] : kNames)
        if (hasTrait(traits, trait))
            names.emplace_back(name);
    return names;
}

void Accessibility::post(AccessibilityNotification notification, std::string argument)
{
    auto& posts = inbox();
    // Main thread only, like every UI call; bounded so a chatty screen cannot grow it for ever.
    if (posts.size() >= kMaxKept)
        posts.erase(posts.begin());
    posts.push_back({notification, std::move(argument), foundation::RunLoop::main().now()});
}

void Accessibility::post(AccessibilityNotification notification, const View* element)
{
    post(notification, element ? element->accessibilityLabel() : std::string());
}

const std::vector<Accessibility::Post>& Accessibility::posted()
{
    return inbox();
}

void Accessibility::clearPosted()
{
    inbox().clear();
}

const char* Accessibility::name(AccessibilityNotification notification)
{
    switch (notification) {
    case AccessibilityNotification::ScreenChanged:
        return "screenChanged";
    case AccessibilityNotification::LayoutChanged:
        return "layoutChanged";
    case AccessibilityNotification::Announcement:
        return "announcement";
    case AccessibilityNotification::PageScrolled:
        return "pageScrolled";
    }
    return "";
}

} // namespace ui
