#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"
#include "platform/ui/ViewTypes.h"

#include <memory>
#include <vector>

namespace ui {

class TouchDispatcher;

// The shared application: windows in level order, the key window, the status bar's state,
// interaction blocking and touch delivery.
class Application final {
public:
    static Application& shared();
    static constexpr const char* kWillChangeStatusBarFrameNotification
        = "UIApplicationWillChangeStatusBarFrameNotification";
    static constexpr const char* kDidChangeStatusBarFrameNotification
        = "UIApplicationDidChangeStatusBarFrameNotification";
    static constexpr const char* kWillChangeStatusBarOrientationNotification
        = "UIApplicationWillChangeStatusBarOrientationNotification";
    static constexpr const char* kDidChangeStatusBarOrientationNotification
        = "UIApplicationDidChangeStatusBarOrientationNotification";

    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Live windows from back to front: by level, then in the order they were made.
    std::vector<std::shared_ptr<Window>> windows() const;
    std::shared_ptr<Window> keyWindow() const;

    // Nested: touches are dropped until every begin has been matched by an end.
    void beginIgnoringInteractionEvents();
    void endIgnoringInteractionEvents();
    bool isIgnoringInteractionEvents() const { return m_ignoreCount > 0; }

    bool isStatusBarHidden() const { return m_statusBarHidden; }
    void setStatusBarHidden(bool hidden, StatusBarAnimation animation = StatusBarAnimation::None);
    StatusBarStyle statusBarStyle() const { return m_statusBarStyle; }
    void setStatusBarStyle(StatusBarStyle style, bool animated = false);
    InterfaceOrientation statusBarOrientation() const { return m_statusBarOrientation; }
    // How the interface stands turned in the screen's own (portrait) coordinates: the status bar's
    // orientation before system 8.0, Portrait from 8.0 on, where the screen itself turns.
    InterfaceOrientation interfaceOrientationInScreen() const;
    // From the screen's own coordinates (windows, touches) to the interface's upright ones: the
    // screen as its user sees it and as a screenshot saves it. A turn about the screen's centre
    // before system 8.0 while the interface is turned, else the identity.
    graphics::AffineTransform screenToInterface() const;
    // Posts the will-change notifications of the orientation and the frame before it changes and
    // the did-change ones after; hiding or showing the bar posts the frame ones.
    void setStatusBarOrientation(InterfaceOrientation orientation);
    // 20 points high across the screen, empty when hidden.
    graphics::Rect statusBarFrame() const;
    // The drawn bar (made at first use); the renderer puts it over every window.
    const std::shared_ptr<StatusBar>& statusBar();

    // Touches from a host or a test, in screen coordinates. A touch goes to the frontmost visible
    // window that contains it (by level), to the view hit there, and to the gesture recognisers
    // of that view and its ancestors. Returns nullptr when the touch was not taken.
    std::shared_ptr<Touch> touchDown(graphics::Point screenPoint);
    void touchMoved(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint);
    void touchUp(const std::shared_ptr<Touch>& touch, graphics::Point screenPoint);
    void touchCancelled(const std::shared_ptr<Touch>& touch);
    // A tap: down and up at the point, without time between.
    void tap(graphics::Point screenPoint);
    TouchDispatcher& touchDispatcher() { return *m_dispatcher; }

    // The layout pass of every window (the run loop runs it before each frame as needed).
    void layoutWindows();
    // Makes sure a layout pass runs at the next turn of the run loop.
    void scheduleLayout();

    // Turns the interface when the key window's top controller allows the orientation (asked
    // through shouldAutorotate and supportedInterfaceOrientations). Before system 8.0 the windows
    // keep their portrait frames and the controllers' views turn inside them; from 8.0 the
    // screen and the windows take the new size. The status bar's notifications go out around the
    // turn, the did-change ones once the views have their new bounds. Returns whether it turned.
    bool rotateInterface(InterfaceOrientation orientation, bool animated);
    static constexpr double kRotationDuration = 0.3;
    // Makes a controller's view cover the window in the interface orientation (turned inside the
    // portrait window before system 8.0), moved down by `slide` interface heights.
    void fitToInterface(View& view, const Window& window, double slide = 0) const;

    // Tests: forget windows, status bar state, interaction blocking, touches, the first responder,
    // animations and the screen and device profiles.
    void resetForTesting();

    // Windows register themselves.
    void registerWindow(const std::shared_ptr<Window>& window);
    void windowLevelChanged();
    void setKeyWindow(const std::shared_ptr<Window>& window);

private:
    void postStatusBarOrientationChange(bool did);

    std::vector<std::weak_ptr<Window>> m_windows;
    std::weak_ptr<Window> m_keyWindow;
    std::unique_ptr<TouchDispatcher> m_dispatcher;
    std::shared_ptr<StatusBar> m_statusBar;
    int m_ignoreCount {0};
    bool m_statusBarHidden {false};
    StatusBarStyle m_statusBarStyle {StatusBarStyle::Default};
    InterfaceOrientation m_statusBarOrientation {InterfaceOrientation::Portrait};
    bool m_layoutScheduled {false};
    uint64_t m_layoutGeneration {0};
};

} // namespace ui
