#include "platform/webimage/ImageDownloader.h"

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/net/HttpClient.h"
#include "platform/webimage/ScreenDecodeBudget.h"

#include <map>
#include <span>
#include <unordered_map>

namespace webimage {

namespace {
constexpr int kDecodeConcurrency = 4;
}

struct ImageDownloader::State : std::enable_shared_from_this<State> {
    struct Download {
        std::string url;
        std::shared_ptr<net::HttpTask> task;
        std::map<uint64_t, Done> waiting; // by token, in request order
        bool decoding {false};
    };

    explicit State(net::HttpClient& client)
        : client(client)
    {
        decodeQueue.setMaxConcurrentOperationCount(kDecodeConcurrency);
    }

    net::HttpClient& client;
    graphics::DecodeBudget budget {screenDecodeBudget()};
    foundation::OperationQueue decodeQueue;
    std::unordered_map<std::string, std::shared_ptr<Download>> byUrl;
    std::unordered_map<uint64_t, std::shared_ptr<Download>> byToken;
    uint64_t nextToken {1};

    void start(const std::shared_ptr<Download>& download, double timeout)
    {
        std::weak_ptr<State> weakSelf = shared_from_this();
        auto request = net::HttpRequest::get(download->url, timeout);
        request.maxBodySize = net::HttpRequest::kMediaMaxBodySize;
        download->task = client.start(std::move(request), [weakSelf, download](net::HttpResponse response) {
            if (auto self = weakSelf.lock())
                self->received(download, std::move(response));
        });
    }

    void received(const std::shared_ptr<Download>& download, net::HttpResponse response)
    {
        download->task = nullptr;
        if (download->waiting.empty())
            return; // cancelled by everyone; already forgotten
        if (!response.succeeded()) {
            finish(download, nullptr, nullptr,
                response.errorText.empty() ? "download failed" : response.errorText);
            return;
        }
        download->decoding = true;
        // Taken over, not copied: a photo of tens of MB would hold the main thread for a while.
        auto data = std::make_shared<const std::string>(std::move(response.body));
        std::weak_ptr<State> weakSelf = shared_from_this();
        decodeQueue.addOperation([weakSelf, download, data, budget = budget] {
            std::string error;
            std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(data->data()), data->size());
            auto image = graphics::decodeImage(bytes, budget, &error);
            foundation::RunLoop::main().post([weakSelf, download, data, image, error] {
                if (auto self = weakSelf.lock())
                    self->finish(download, image, image ? data : nullptr, image ? std::string() : error);
            });
        });
    }

    void finish(const std::shared_ptr<Download>& download, std::shared_ptr<graphics::Image> image,
        std::shared_ptr<const std::string> data, std::string error)
    {
        if (auto it = byUrl.find(download->url); it != byUrl.end() && it->second == download)
            byUrl.erase(it);
        auto waiting = std::move(download->waiting);
        download->waiting.clear();
        for (auto& [token, done] : waiting)
            byToken.erase(token);
        // A callback may cancel or start others: it only touches the maps, never `waiting`.
        for (auto& [token, done] : waiting)
            done(image, data, error);
    }

    void cancel(uint64_t token)
    {
        auto it = byToken.find(token);
        if (it == byToken.end())
            return;
        auto download = it->second;
        byToken.erase(it);
        download->waiting.erase(token);
        if (!download->waiting.empty() || download->decoding)
            return;
        byUrl.erase(download->url);
        if (download->task)
            download->task->cancel();
    }
};

ImageDownloader& ImageDownloader::shared()
{
    static ImageDownloader downloader(net::HttpClient::shared());
    return downloader;
}

ImageDownloader::ImageDownloader(net::HttpClient& client)
    : m_state(std::make_shared<State>(client))
{
    foundation::RunLoop::main();
}

ImageDownloader::~ImageDownloader()
{
    for (auto& [url, download] : m_state->byUrl) {
        if (download->task)
            download->task->cancel();
    }
}

uint64_t ImageDownloader::download(const std::string& url, Done done)
{
    State& state = *m_state;
    uint64_t token = state.nextToken++;
    auto& download = state.byUrl[url];
    bool fresh = !download;
    if (fresh) {
        download = std::make_shared<State::Download>();
        download->url = url;
    }
    download->waiting.emplace(token, std::move(done));
    state.byToken.emplace(token, download);
    if (fresh)
        state.start(download, m_timeout);
    return token;
}

void ImageDownloader::cancel(uint64_t token)
{
    m_state->cancel(token);
}

const graphics::DecodeBudget& ImageDownloader::decodeBudget() const
{
    return m_state->budget;
}

void ImageDownloader::setDecodeBudget(const graphics::DecodeBudget& budget)
{
    m_state->budget = budget;
}

size_t ImageDownloader::activeCount() const
{
    return m_state->byUrl.size();
}

size_t ImageDownloader::waitingCount(const std::string& url) const
{
    auto it = m_state->byUrl.find(url);
    return it == m_state->byUrl.end() ? 0 : it->second->waiting.size();
}

} // namespace webimage
