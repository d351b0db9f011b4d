#include "platform/webimage/WebImageManager.h"

#include "platform/webimage/ImageDownloader.h"

namespace webimage {

void WebImageOperation::cancel()
{
    if (m_cancelled || m_finished)
        return;
    m_cancelled = true;
    if (auto cancelDownload = std::move(m_cancelDownload))
        cancelDownload();
}

WebImageManager& WebImageManager::shared()
{
    static WebImageManager manager(ImageCache::sharedImageCache(), ImageDownloader::shared());
    return manager;
}

WebImageManager::WebImageManager(ImageCache& cache, ImageDownloader& downloader)
    : m_cache(cache)
    , m_downloader(downloader)
{ }

namespace {

// Runs the completion unless the operation was cancelled or already ended.
void complete(WebImageOperation& operation, const WebImageManager::Completion& completion,
    std::shared_ptr<graphics::Image> image, std::string error, CacheType type, const std::string& url)
{
    if (operation.isCancelled() || operation.isFinished())
        return;
    operation.markFinished();
    if (completion)
        completion(std::move(image), std::move(error), type, url);
}

} // namespace

std::shared_ptr<WebImageOperation> WebImageManager::loadImage(const std::string& url, Completion completion)
{
    auto operation = std::make_shared<WebImageOperation>();
    if (url.empty()) {
        complete(*operation, completion, nullptr, "the image URL is empty", CacheType::None, url);
        return operation;
    }
    if (auto image = m_cache.imageFromMemoryCache(url)) {
        complete(*operation, completion, std::move(image), {}, CacheType::Memory, url);
        return operation;
    }
    auto shared = std::make_shared<Completion>(std::move(completion));
    m_cache.queryDiskCache(url, [this, operation, url, shared](std::shared_ptr<graphics::Image> image) {
        if (operation->isCancelled())
            return;
        if (image)
            complete(*operation, *shared, std::move(image), {}, CacheType::Disk, url);
        else
            download(operation, url, shared);
    });
    return operation;
}

void WebImageManager::download(const std::shared_ptr<WebImageOperation>& operation, const std::string& url,
    std::shared_ptr<Completion> completion)
{
    uint64_t token = m_downloader.download(url,
        [this, operation, url, completion](std::shared_ptr<graphics::Image> image,
            std::shared_ptr<const std::string> data, std::string error) {
            if (image)
                m_cache.storeImage(url, image, std::move(data));
            complete(*operation, *completion, std::move(image), std::move(error), CacheType::None, url);
        });
    operation->m_cancelDownload = [this, token] { m_downloader.cancel(token); };
}

} // namespace webimage
