#pragma once

#include <cstdint>

namespace ui {

// The movie player's states and reasons, with the phone platform's numbering.
enum class MoviePlaybackState {
    Stopped = 0,
    Playing = 1,
    Paused = 2,
    Interrupted = 3,
    SeekingForward = 4,
    SeekingBackward = 5,
};

// Bits of the load state.
namespace MovieLoadState {
constexpr uint32_t Unknown = 0;
constexpr uint32_t Playable = 1 << 0;
constexpr uint32_t PlaythroughOK = 1 << 1;
constexpr uint32_t Stalled = 1 << 2;
} // namespace MovieLoadState

enum class MovieFinishReason { PlaybackEnded = 0, PlaybackError = 1, UserExited = 2 };

// None shows no controls; Embedded the play button, position bar and times; Fullscreen adds Done.
enum class MovieControlStyle { None = 0, Embedded = 1, Fullscreen = 2 };

} // namespace ui
