#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/ViewTypes.h"

#include <string>

namespace ui {

// The current device: interface idiom, orientation and system version, all settable for tests.
// Changing the orientation turns the interface where the top controller allows it
// (Application::rotateInterface), then posts "UIDeviceOrientationDidChangeNotification" while
// orientation notifications are being generated (begin/end calls nest).
class Device final {
public:
    static Device& currentDevice();
    static constexpr const char* kOrientationDidChangeNotification
        = "UIDeviceOrientationDidChangeNotification";

    UserInterfaceIdiom userInterfaceIdiom() const { return m_idiom; }
    void setUserInterfaceIdiom(UserInterfaceIdiom idiom) { m_idiom = idiom; }
    DeviceOrientation orientation() const { return m_orientation; }
    void setOrientation(DeviceOrientation orientation);
    void beginGeneratingDeviceOrientationNotifications() { ++m_generating; }
    void endGeneratingDeviceOrientationNotifications();
    bool isGeneratingDeviceOrientationNotifications() const { return m_generating > 0; }
    // How the device is tilted, as a viewer offset: each axis from -1 to 1, (0, 0) held level.
    // Motion effects follow it.
    graphics::Point tilt() const { return m_tilt; }
    void setTilt(graphics::Point tilt);
    const std::string& systemVersion() const { return m_systemVersion; }
    void setSystemVersion(std::string version) { m_systemVersion = std::move(version); }
    // Compares numerically, part by part ("7.1" < "10.0").
    static int compareVersions(const std::string& a, const std::string& b);
    std::string model() const { return m_idiom == UserInterfaceIdiom::Pad ? "iPad" : "iPhone"; }

    void reset();

private:
    static void turnInterface(DeviceOrientation orientation);

    UserInterfaceIdiom m_idiom {UserInterfaceIdiom::Phone};
    DeviceOrientation m_orientation {DeviceOrientation::Portrait};
    std::string m_systemVersion {"7.1"};
    int m_generating {0};
    graphics::Point m_tilt;
};

} // namespace ui
