#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Control.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class Label;
class Window;
} // namespace ui

class DropdownBanner;

// Both operations are required: the banner sends them without asking.
class DropdownBannerDelegate {
public:
    virtual ~DropdownBannerDelegate() = default;
    // Asked at the timed end: true lets the banner hide, false keeps it on screen.
    virtual bool dropdownAlertWasTapped(DropdownBanner& banner) = 0;
    virtual void dropdownAlertWasDismissed() = 0;
};

// A coloured notice, 90 points high and as wide as the screen, that slides down from above the
// top edge of the main window (of the interface as it stands when it comes), shows a bold title
// and an optional two-line message, and slides back up after a time or when tapped. Fire and
// forget: every class method makes a new banner, which the window and its scheduled calls keep
// alive until it is gone.
class DropdownBanner final : public ui::Control {
public:
    using Delegate = std::shared_ptr<DropdownBannerDelegate>;
    using OptionalColor = std::optional<graphics::Color>;

    static constexpr const char* kDismissAllNotification = "DropdownBannerDismissAllNotification";
    static constexpr const char* kDefaultTitle = "Default Text Here";
    static constexpr double kHeight = 90;
    static constexpr double kAnimationDuration = 0.3;
    static constexpr double kDefaultTime = 3;
    static constexpr int64_t kUseDefaultTime = -1;

    // alertView / alertViewWithDelegate: a new banner above the screen, not yet shown.
    static std::shared_ptr<DropdownBanner> alertView();
    static std::shared_ptr<DropdownBanner> alertViewWithDelegate(Delegate delegate);

    // The class methods: each makes a new banner and shows it.
    static std::shared_ptr<DropdownBanner> show();
    static std::shared_ptr<DropdownBanner> title(const std::string& title);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, int64_t time);
    static std::shared_ptr<DropdownBanner> title(
        const std::string& title, OptionalColor backgroundColor, OptionalColor textColor);
    static std::shared_ptr<DropdownBanner> title(
        const std::string& title, OptionalColor backgroundColor, OptionalColor textColor, int64_t time);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, const std::string& message);
    static std::shared_ptr<DropdownBanner> title(
        const std::string& title, const std::string& message, int64_t time);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, const std::string& message,
        OptionalColor backgroundColor, OptionalColor textColor);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, const std::string& message,
        OptionalColor backgroundColor, OptionalColor textColor, int64_t time);
    static std::shared_ptr<DropdownBanner> showWithDelegate(Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, int64_t time, Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(
        const std::string& title, OptionalColor backgroundColor, OptionalColor textColor, Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, OptionalColor backgroundColor,
        OptionalColor textColor, int64_t time, Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(
        const std::string& title, const std::string& message, Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(
        const std::string& title, const std::string& message, int64_t time, Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, const std::string& message,
        OptionalColor backgroundColor, OptionalColor textColor, Delegate delegate);
    static std::shared_ptr<DropdownBanner> title(const std::string& title, const std::string& message,
        OptionalColor backgroundColor, OptionalColor textColor, int64_t time, Delegate delegate);

    // Posts the dismiss-all notification: every banner that exists hides.
    static void dismissAllAlert();

    explicit DropdownBanner(graphics::Rect frame);

    const char* className() const override { return "DropdownBanner"; }

    // title:message:backgroundColor:textColor:time: on a banner (named apart from the class
    // methods). A time of -1 means the default.
    void showTitle(const std::string& title, const std::optional<std::string>& message,
        OptionalColor backgroundColor, OptionalColor textColor, int64_t time);

    // The timed end: asks the delegate, then hides.
    void viewWasTapped(const std::shared_ptr<ui::View>& sender);
    // Slides the view up and removes it 0.3 s later.
    void hideView(const std::shared_ptr<ui::View>& view);
    // Removes it and reports.
    void removeView(const std::shared_ptr<ui::View>& view);
    void dismissAlertView();
    // Whether the message fits one line of the message label.
    bool messageTextIsOneLine() const;

    const std::shared_ptr<ui::Label>& titleLabel() const { return m_titleLabel; }
    const std::shared_ptr<ui::Label>& messageLabel() const { return m_messageLabel; }
    bool isShowing() const { return m_isShowing; }
    graphics::Color defaultViewColor() const { return m_defaultViewColor; }
    void setDefaultViewColor(graphics::Color color) { m_defaultViewColor = color; }
    graphics::Color defaultTextColor() const { return m_defaultTextColor; }
    void setDefaultTextColor(graphics::Color color) { m_defaultTextColor = color; }
    const Delegate& delegate() const { return m_delegate; }
    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }

    // The class-wide title of show and showWithDelegate.
    static const std::string& defaultTitle();

private:
    static std::shared_ptr<DropdownBanner> make(Delegate delegate);
    static std::shared_ptr<DropdownBanner> present(const std::string& title,
        const std::optional<std::string>& message, OptionalColor backgroundColor, OptionalColor textColor,
        int64_t time, Delegate delegate);
    void setUp();
    void hangFromInterfaceTop(const ui::Window& window);
    void moveTopTo(double y);

    std::shared_ptr<ui::Label> m_titleLabel;
    std::shared_ptr<ui::Label> m_messageLabel;
    graphics::Color m_defaultViewColor;
    graphics::Color m_defaultTextColor;
    Delegate m_delegate;
    // The middle of the top edge of the interface, in the superview: the banner hangs from it.
    graphics::Point m_topEdge;
    bool m_isShowing {false};
    bool m_isHiding {false};
    bool m_wasRemoved {false};
};
