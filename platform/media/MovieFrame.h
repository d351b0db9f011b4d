#pragma once

#include "platform/graphics/Forward.h"

#include <memory>

namespace media {

// One decoded picture of a movie and the time, in seconds from the movie's start, at which it
// is shown.
struct MovieFrame {
    double time {0};
    std::shared_ptr<graphics::Image> image;
};

// What the container tells about a movie once it is open. A duration of 0 means unknown (a live
// or unindexed stream).
struct MovieInfo {
    double duration {0};
    int width {0};
    int height {0};
    double frameRate {0};
    bool hasAudio {false};
};

} // namespace media
