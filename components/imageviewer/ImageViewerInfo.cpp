#include "components/imageviewer/ImageViewerInfo.h"

#include <cstdio>

foundation::Value& ImageViewerInfo::userInfo()
{
    if (!m_userInfo)
        m_userInfo = foundation::Value(foundation::Map {});
    return *m_userInfo;
}

std::optional<std::string> ImageViewerInfo::displayableTitleAltTextSummary() const
{
    if (!title.empty())
        return title;
    if (!altText.empty())
        return altText;
    return std::nullopt;
}

std::string ImageViewerInfo::combinedTitleAndAltText() const
{
    std::string text;
    if (!title.empty())
        text += "\u201C" + title + "\u201D";
    if (!altText.empty() && altText != title)
        text += "\n\n\u2014 \u2014 \u2014\n\n" + altText;
    return text;
}

std::string ImageViewerInfo::description() const
{
    auto format = [&](char* buffer, size_t size) {
        return std::snprintf(buffer, size,
            "            %s %p \n            imageURL: %s \n            referenceRect: (%g, %g) (%g, %g)",
            "ImageViewerInfo", static_cast<const void*>(this), imageURL.empty() ? "(null)" : imageURL.c_str(),
            referenceRect.origin.x, referenceRect.origin.y, referenceRect.size.width,
            referenceRect.size.height);
    };
    std::string text(size_t(format(nullptr, 0)) + 1, '\0');
    text.resize(size_t(format(text.data(), text.size())));
    return text;
}

graphics::Point ImageViewerInfo::referenceRectCenter() const
{
    return {referenceRect.origin.x + referenceRect.size.width * 0.5,
        referenceRect.origin.y + referenceRect.size.height * 0.5};
}
