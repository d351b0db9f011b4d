#pragma once

// Temporary stand-in until the web image library lands: shows the placeholder and loads nothing.

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"

#include <functional>
#include <memory>
#include <string>

namespace webimage {

using Completion
    = std::function<void(std::shared_ptr<graphics::Image> image, std::string error, std::string url)>;

inline void setImageWithURL(ui::ImageView& view, const std::string& url,
    std::shared_ptr<graphics::Image> placeholder, Completion completion)
{
    view.setImage(std::move(placeholder));
    if (completion)
        completion(nullptr, "web images are not loaded yet", url);
}

inline void setImageWithURL(
    ui::ImageView& view, const std::string& url, std::shared_ptr<graphics::Image> placeholder)
{
    setImageWithURL(view, url, std::move(placeholder), {});
}

inline void setImageWithURL(ui::ImageView& view, const std::string& url)
{
    setImageWithURL(view, url, nullptr, {});
}

inline void cancelImageLoad(ui::ImageView&)
{ }

} // namespace webimage
