#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace graphics {
class Image;
}
namespace ui {
class View;
}

// What a screen hands the image viewer: the image (or where to fetch it), its texts, and the
// thumbnail's rectangle that the viewer grows out of and collapses back into. Every field starts
// empty or zero. URLs are absolute texts ("http://...", "file:///...").
struct ImageViewerInfo {
    static std::shared_ptr<ImageViewerInfo> create() { return std::make_shared<ImageViewerInfo>(); }

    std::shared_ptr<graphics::Image> image; // when set, nothing is downloaded
    std::shared_ptr<graphics::Image> placeholderImage; // shown while imageURL loads
    std::string imageURL;
    // When not empty, this (not imageURL) decides whether the data is read as a GIF.
    std::string canonicalImageURL;
    std::string altText;
    std::string title;
    graphics::Rect referenceRect; // in referenceView's coordinates
    std::shared_ptr<ui::View> referenceView;
    int64_t referenceContentMode {0};
    double referenceCornerRadius {0};

    // Free caller data; a map, made empty at the first read.
    foundation::Value& userInfo();
    void setUserInfo(foundation::Value userInfo) { m_userInfo = std::move(userInfo); }

    // The title when it has one, else the alt text when it has one, else nothing.
    std::optional<std::string> displayableTitleAltTextSummary() const;
    // The title in curly quotes, then the alt text (when it differs from the title) after a line
    // of em dashes; empty with neither.
    std::string combinedTitleAndAltText() const;
    std::string description() const;
    graphics::Point referenceRectCenter() const;

private:
    std::optional<foundation::Value> m_userInfo;
};
