#pragma once

#include <cstdint>

namespace ui {

// Options of a block animation, as bits with the platform's values (begin from current state is 4).
enum class AnimationOptions : unsigned {
    None = 0,
    LayoutSubviews = 1 << 0,
    AllowUserInteraction = 1 << 1,
    BeginFromCurrentState = 1 << 2,
    Repeat = 1 << 3,
    Autoreverse = 1 << 4,
    OverrideInheritedDuration = 1 << 5,
    OverrideInheritedCurve = 1 << 6,
    CurveEaseInOut = 0 << 16,
    CurveEaseIn = 1 << 16,
    CurveEaseOut = 2 << 16,
    CurveLinear = 3 << 16,
};

constexpr AnimationOptions operator|(AnimationOptions a, AnimationOptions b)
{
    return static_cast<AnimationOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr AnimationOptions operator&(AnimationOptions a, AnimationOptions b)
{
    return static_cast<AnimationOptions>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}
constexpr bool hasOption(AnimationOptions set, AnimationOptions option)
{
    return (static_cast<unsigned>(set) & static_cast<unsigned>(option)) != 0;
}
// The curve bits (16..19) of an option set.
constexpr AnimationOptions curveOf(AnimationOptions set)
{
    return static_cast<AnimationOptions>(static_cast<unsigned>(set) & (0xFu << 16));
}

} // namespace ui
