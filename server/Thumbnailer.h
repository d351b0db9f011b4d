#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace server {

// Makes the JPEG thumbnails of uploaded media: photos through TurboJPEG's DCT scaling, videos from
// their first frame through libav; anything undecodable gets a grey placeholder.
class Thumbnailer {
public:
    static constexpr int kTargetLongSide = 240;

    // Writes the thumbnail of `source` to `destination`; false only when nothing could be written.
    static bool makeThumbnail(const std::filesystem::path& source, const std::filesystem::path& destination,
        bool isVideo, std::string* note = nullptr);

    static std::vector<uint8_t> photoThumbnail(const std::vector<uint8_t>& jpeg);
    static std::vector<uint8_t> videoThumbnail(const std::filesystem::path& video);
    static std::vector<uint8_t> placeholder(bool isVideo);
};

} // namespace server
