#pragma once

#include "platform/graphics/Forward.h"

#include <filesystem>
#include <limits>
#include <memory>
#include <string>

namespace media {

// Reads single frames of a video file as images (the platform's "copy image at time" of an asset
// image generator) and tells the video's duration and size. Decoding goes through libavformat and
// libavcodec, scaling through libswscale. Not thread-safe: use one reader per thread.
class VideoFrameReader final {
public:
    static constexpr double kAnyTolerance = std::numeric_limits<double>::infinity();

    // nullptr with the reason in *error when the file cannot be opened or has no decodable video.
    static std::shared_ptr<VideoFrameReader> open(const std::filesystem::path&, std::string* error = nullptr);

    ~VideoFrameReader();
    VideoFrameReader(const VideoFrameReader&) = delete;
    VideoFrameReader& operator=(const VideoFrameReader&) = delete;

    // Seconds; 0 when the container does not say.
    double duration() const;
    // Display size in pixels (the pixel aspect ratio applied to the width).
    int width() const;
    int height() const;

    // Images come out scaled down to fit this box (aspect ratio kept, never enlarged); 0 leaves
    // that dimension unbounded, so 0 x 0, the default, gives the display size.
    void setMaximumSize(int width, int height);

    // The frame shown at `seconds`, or any frame whose time lies within the tolerances around it
    // (infinite tolerances take the nearest key frame, which is cheapest; zero tolerances the exact
    // frame). The image is opaque premultiplied BGRA; *actualTime gets the frame's own time.
    // nullptr with the reason in *error for a time outside the video or a decoding failure.
    std::shared_ptr<graphics::Image> copyImageAtTime(double seconds, double toleranceBefore = kAnyTolerance,
        double toleranceAfter = kAnyTolerance, double* actualTime = nullptr, std::string* error = nullptr);

private:
    struct State;
    explicit VideoFrameReader(std::unique_ptr<State>);

    std::unique_ptr<State> m_state;
    int m_maximumWidth = 0;
    int m_maximumHeight = 0;
};

} // namespace media
