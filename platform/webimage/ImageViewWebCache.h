#pragma once

#include "platform/graphics/Forward.h"
#include "platform/ui/ImageView.h"

#include <functional>
#include <memory>
#include <string>

namespace webimage {

// Called on the main thread when a load ends: the image (nullptr on failure), why it failed
// (empty on success) and the URL asked for.
using Completion
    = std::function<void(std::shared_ptr<graphics::Image> image, std::string error, std::string url)>;

// Loads the image of `url` into the view through the shared manager, showing the placeholder (or
// nothing) meanwhile. The view has one load at a time: a new one, cancelImageLoad() or the view's
// end cancels the previous, whose image never reaches the view and whose completion never runs.
// A memory-cache hit is shown, and its completion run, before the call returns. A failed load
// leaves the placeholder in place.
void setImageWithURL(ui::ImageView& view, const std::string& url);
void setImageWithURL(
    ui::ImageView& view, const std::string& url, std::shared_ptr<graphics::Image> placeholder);
void setImageWithURL(ui::ImageView& view, const std::string& url,
    std::shared_ptr<graphics::Image> placeholder, Completion completion);
void cancelImageLoad(ui::ImageView& view);

} // namespace webimage
