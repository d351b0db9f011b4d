#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace media {

// Names of saved media, made from a time stamp: "<stamp>.jpg" or "<stamp>.mp4" with the
// thumbnail "_<stamp>.jpg" beside it.
class MediaFileNames final {
public:
    enum class Kind { Photo, Video };

    static std::string mediaName(int64_t stamp, Kind);
    static std::string thumbnailName(int64_t stamp);
    // True for a name of the two forms above ("<digits>.jpg", "<digits>.mp4", "_<digits>.jpg").
    static bool isStampName(std::string_view name);

    // The first stamp from `stamp` upwards whose media file and thumbnail are both absent from
    // the folder. Stamps are whole seconds times 1,000,000, so two shots within one second would
    // otherwise get the same name and the second would overwrite the first.
    static int64_t freeStamp(const std::filesystem::path& folder, int64_t stamp, Kind);
};

} // namespace media
