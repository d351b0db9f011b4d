#include "components/imageviewer/ImageViewerDownloader.h"

#include "components/imageviewer/AnimatedGIFUtility.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/net/UrlSessionDataTask.h"
#include "platform/ui/Screen.h"

#include <span>

std::shared_ptr<net::UrlSessionDataTask> ImageViewerDownloader::downloadImageForURL(
    const std::string& url, const std::string& canonicalURL, Completion completion)
{
    if (url.empty())
        return nullptr;
    // The viewer shows the image on the screen: a JPEG is decoded no larger than that needs.
    const auto& screen = ui::Screen::mainScreen();
    const auto budget = graphics::DecodeBudget::forScreen(
        int(screen.bounds().width() * screen.scale()), int(screen.bounds().height() * screen.scale()));
    // The completion is moved along, never copied: the block the main queue runs is its last
    // holder, so whatever it keeps alive (a viewer) is released on the main thread, not by a
    // worker that finishes a moment later.
    auto task = net::UrlSessionDataTask::create(
        url, [url, canonicalURL, budget, completion](net::UrlSessionDataTask::Result result) mutable {
            // Neither the status nor the error is looked at: whatever body came is decoded, so an
            // image served with any status shows; failed, cancelled and undecodable end in nullptr.
            // The body is moved on, never copied on the main thread.
            foundation::dispatchGlobalAsync([data = std::move(result.data), url, canonicalURL, budget,
                                                completion = std::move(completion)]() mutable {
                auto image = imageFromData(data, url, canonicalURL, budget);
                foundation::RunLoop::main().post(
                    [image = std::move(image), completion = std::move(completion)] {
                        if (completion)
                            completion(image);
                    });
            });
        });
    if (!task) {
        foundation::RunLoop::main().post([completion] {
            if (completion)
                completion(nullptr);
        });
        return nullptr;
    }
    task->resume();
    return task;
}

std::shared_ptr<graphics::Image> ImageViewerDownloader::imageFromData(const std::optional<std::string>& data,
    const std::string& url, const std::string& canonicalURL, const graphics::DecodeBudget& budget)
{
    if (!data)
        return nullptr;
    std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(data->data()), data->size());
    const std::string& name = canonicalURL.empty() ? url : canonicalURL;
    if (AnimatedGIFUtility::imageURLIsAGIF(name)) {
        if (auto animated = AnimatedGIFUtility::animatedImageWithAnimatedGIFData(bytes))
            return animated;
    }
    std::string error;
    auto image = graphics::decodeImage(bytes, budget, &error);
    if (!image)
        foundation::logf("image viewer: cannot show %s: %s", url.c_str(), error.c_str());
    return image;
}
