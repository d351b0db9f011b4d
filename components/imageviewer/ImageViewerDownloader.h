#pragma once

#include "platform/graphics/ImageDecoding.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace graphics {
class Image;
}
namespace net {
class UrlSessionDataTask;
}

// Fetches an image for the viewer and decodes it off the main thread. Keeps no state: the caller
// keeps the returned task to follow its progress and to cancel it.
class ImageViewerDownloader final {
public:
    using Completion = std::function<void(std::shared_ptr<graphics::Image>)>;

    // The started task, or nullptr when none was started. An empty URL starts nothing and never
    // calls the completion; a URL that no request can be made for calls it with nullptr on the
    // main queue. Otherwise the completion runs once on the main queue with the decoded image,
    // or with nullptr when the download failed, was cancelled or the data is no image.
    static std::shared_ptr<net::UrlSessionDataTask> downloadImageForURL(
        const std::string& url, const std::string& canonicalURL, Completion completion);

    // A GIF (by the canonical URL's name when there is one, else the URL's) becomes an animated
    // image; anything else, or a GIF that gives no animation, a still image within `budget`
    // (downloads use the main screen's, taken when they start). nullptr for no data or data that
    // is no image or over the budget; the reason is logged.
    static std::shared_ptr<graphics::Image> imageFromData(const std::optional<std::string>& data,
        const std::string& url, const std::string& canonicalURL,
        const graphics::DecodeBudget& budget = graphics::DecodeBudget::forScreen(0, 0));
};
