#include "platform/ui/ImageNamed.h"

#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

#include <filesystem>
#include <map>
#include <vector>

namespace ui {

std::shared_ptr<graphics::Image> imageNamed(const std::string& name)
{
    // Main thread only, as the views that show the images.
    static std::map<std::string, std::shared_ptr<graphics::Image>> cache;
    auto cached = cache.find(name);
    if (cached != cache.end())
        return cached->second;

    std::filesystem::path path(name);
    std::string stem = path.stem().string();
    std::vector<std::string> extensions;
    if (path.has_extension())
        extensions.push_back(path.extension().string());
    else
        extensions = {".png", ".jpg", ""};
    std::shared_ptr<graphics::Image> image;
    for (const auto& extension : extensions) {
        for (double scale : {2.0, 1.0}) {
            std::string file = stem + (scale == 2 ? "@2x" : "") + extension;
            auto resource = foundation::Paths::resource((path.parent_path() / file).string());
            std::error_code code;
            if (!std::filesystem::is_regular_file(resource, code))
                continue;
            if (auto decoded = graphics::decodeImageFile(resource))
                image = decoded->withScale(scale);
            if (image)
                break;
        }
        if (image)
            break;
    }
    if (image)
        cache.emplace(name, image);
    return image;
}

} // namespace ui
