#pragma once

#include <filesystem>
#include <string>

namespace media {

// Puts a picked movie into an MP4 file without re-encoding: an MP4 source is copied byte for
// byte; any other container (a QuickTime movie, Matroska, ...) is remuxed through libavformat,
// keeping every stream that MP4 can carry.
class VideoRemuxer final {
public:
    // Writes `destination` (replacing it). On failure nothing is left there and *error says why.
    static bool copyAsMp4(const std::filesystem::path& source, const std::filesystem::path& destination,
        std::string* error = nullptr);
    // True when the file is an MP4 (ISO base media with an MP4 brand, not a QuickTime movie).
    static bool isMp4(const std::filesystem::path& source);
};

} // namespace media
