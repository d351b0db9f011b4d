#pragma once

#include <cstdint>

namespace ui {

// How a view's content is placed in its bounds; the numbering is the phone platform's.
enum class ContentMode {
    ScaleToFill = 0,
    AspectFit = 1,
    AspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

// Bits of a view's autoresizing mask (the platform's values: width + height is 18).
namespace Autoresizing {
constexpr uint32_t None = 0;
constexpr uint32_t FlexibleLeftMargin = 1 << 0;
constexpr uint32_t FlexibleWidth = 1 << 1;
constexpr uint32_t FlexibleRightMargin = 1 << 2;
constexpr uint32_t FlexibleTopMargin = 1 << 3;
constexpr uint32_t FlexibleHeight = 1 << 4;
constexpr uint32_t FlexibleBottomMargin = 1 << 5;
} // namespace Autoresizing

// Interface orientations (status bar) and device orientations, with the platform's numbering.
enum class InterfaceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeRight = 3,
    LandscapeLeft = 4,
};

enum class DeviceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6,
};

// Masks of supported interface orientations: 1 << orientation.
namespace OrientationMask {
constexpr uint32_t Portrait = 1 << 1;
constexpr uint32_t PortraitUpsideDown = 1 << 2;
constexpr uint32_t LandscapeRight = 1 << 3;
constexpr uint32_t LandscapeLeft = 1 << 4;
constexpr uint32_t Landscape = LandscapeLeft | LandscapeRight;
constexpr uint32_t All = Portrait | PortraitUpsideDown | Landscape;
constexpr uint32_t AllButUpsideDown = Portrait | Landscape;
} // namespace OrientationMask

inline constexpr bool isLandscape(InterfaceOrientation o)
{
    return o == InterfaceOrientation::LandscapeLeft || o == InterfaceOrientation::LandscapeRight;
}

// How far the interface is turned from portrait, in radians (clockwise positive on screen).
inline constexpr double rotationAngle(InterfaceOrientation o)
{
    constexpr double pi = 3.141592653589793;
    switch (o) {
    case InterfaceOrientation::PortraitUpsideDown:
        return pi;
    case InterfaceOrientation::LandscapeRight:
        return pi / 2;
    case InterfaceOrientation::LandscapeLeft:
        return -pi / 2;
    default:
        return 0;
    }
}

enum class StatusBarStyle { Default = 0, LightContent = 1 };
enum class StatusBarAnimation { None = 0, Fade = 1, Slide = 2 };
enum class UserInterfaceIdiom { Phone = 0, Pad = 1 };
enum class ModalTransitionStyle { CoverVertical = 0, FlipHorizontal = 1, CrossDissolve = 2, PartialCurl = 3 };
// Full screen removes the presenter's view once the presentation ends; over full screen and
// custom leave it under the presented one (and send it no appearance calls).
enum class ModalPresentationStyle {
    FullScreen = 0,
    PageSheet = 1,
    FormSheet = 2,
    CurrentContext = 3,
    Custom = 4,
    OverFullScreen = 5
};

} // namespace ui
