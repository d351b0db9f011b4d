#include "platform/ui/Device.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/MotionEffect.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace ui {

Device& Device::currentDevice()
{
    static Device device;
    return device;
}

void Device::setTilt(graphics::Point tilt)
{
    m_tilt = tilt;
    MotionEffect::tiltChanged();
}

void Device::setOrientation(DeviceOrientation orientation)
{
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    // The interface turns first, as the windows are the device's first listeners: others hear of
    // the device's turn with the interface already turned.
    turnInterface(orientation);
    if (isGeneratingDeviceOrientationNotifications())
        foundation::NotificationCenter::defaultCenter().post(kOrientationDidChangeNotification);
}

void Device::turnInterface(DeviceOrientation orientation)
{
    // The interface follows the device where the top controller allows it (landscape sides swap:
    // the device turned left shows the interface turned right).
    InterfaceOrientation interface = InterfaceOrientation::Unknown;
    switch (orientation) {
    case DeviceOrientation::Portrait:
        interface = InterfaceOrientation::Portrait;
        break;
    case DeviceOrientation::PortraitUpsideDown:
        interface = InterfaceOrientation::PortraitUpsideDown;
        break;
    case DeviceOrientation::LandscapeLeft:
        interface = InterfaceOrientation::LandscapeRight;
        break;
    case DeviceOrientation::LandscapeRight:
        interface = InterfaceOrientation::LandscapeLeft;
        break;
    default:
        return;
    }
    Application::shared().rotateInterface(interface, true);
}

void Device::endGeneratingDeviceOrientationNotifications()
{
    if (m_generating > 0)
        --m_generating;
}

int Device::compareVersions(const std::string& a, const std::string& b)
{
    auto parts = [](const std::string& text) {
        std::vector<long> result;
        std::stringstream stream(text);
        std::string part;
        while (std::getline(stream, part, '.'))
            result.push_back(std::strtol(part.c_str(), nullptr, 10));
        return result;
    };
    auto pa = parts(a), pb = parts(b);
    size_t count = std::max(pa.size(), pb.size());
    for (size_t i = 0; i < count; ++i) {
        long x = i < pa.size() ? pa[i] : 0;
        long y = i < pb.size() ? pb[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

void Device::reset()
{
    m_idiom = UserInterfaceIdiom::Phone;
    m_orientation = DeviceOrientation::Portrait;
    m_systemVersion = "7.1";
    m_generating = 0;
    m_tilt = {};
}

} // namespace ui
