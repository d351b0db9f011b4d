#pragma once

#include "platform/graphics/Forward.h"
#include "platform/webimage/ImageCache.h"

#include <functional>
#include <memory>
#include <string>

namespace webimage {

class ImageDownloader;

// One load started by WebImageManager. Cancelling it means its completion never runs.
class WebImageOperation final {
public:
    void cancel();
    bool isCancelled() const { return m_cancelled; }
    bool isFinished() const { return m_finished; }

    // Ends the operation: cancel() does nothing afterwards.
    void markFinished()
    {
        m_finished = true;
        m_cancelDownload = nullptr;
    }

private:
    friend class WebImageManager;
    std::function<void()> m_cancelDownload;
    bool m_cancelled {false};
    bool m_finished {false};
};

// Loads the image of a URL from the memory cache, else the disk cache, else the network, and
// keeps what it downloads in both caches. Main thread only; it, its cache and its downloader
// outlive the loads started on them (the shared ones live as long as the process).
class WebImageManager final {
public:
    using Completion = std::function<void(
        std::shared_ptr<graphics::Image> image, std::string error, CacheType cacheType, std::string url)>;

    static WebImageManager& shared();
    WebImageManager(ImageCache& cache, ImageDownloader& downloader);
    WebImageManager(const WebImageManager&) = delete;
    WebImageManager& operator=(const WebImageManager&) = delete;

    // The completion runs once on the main thread, unless the operation is cancelled first: at
    // once (before this returns) for a memory hit or a URL that cannot be loaded, else later.
    std::shared_ptr<WebImageOperation> loadImage(const std::string& url, Completion completion);

    ImageCache& imageCache() { return m_cache; }
    ImageDownloader& imageDownloader() { return m_downloader; }

private:
    void download(const std::shared_ptr<WebImageOperation>& operation, const std::string& url,
        std::shared_ptr<Completion> completion);

    ImageCache& m_cache;
    ImageDownloader& m_downloader;
};

} // namespace webimage
