#pragma once

#include "platform/graphics/Forward.h"

#include <filesystem>
#include <memory>
#include <string>

namespace ui {

// What the image picker hands back for one taken photo or movie.
struct ImagePickerInfo {
    static constexpr const char* kMediaTypeImage = "public.image";
    static constexpr const char* kMediaTypeMovie = "public.movie";

    std::string mediaType; // kMediaTypeImage or kMediaTypeMovie
    std::shared_ptr<graphics::Image> originalImage; // the photo
    std::filesystem::path mediaURL; // the movie file, in a temporary folder
};

} // namespace ui
