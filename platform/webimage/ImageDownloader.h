#pragma once

#include "platform/graphics/Forward.h"
#include "platform/graphics/ImageDecoding.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace net {
class HttpClient;
}

namespace webimage {

// Fetches images over HTTP and decodes them on worker threads. Requests for a URL already on its
// way join that download. Main thread only; results arrive on the main queue.
class ImageDownloader final {
public:
    static constexpr double kDefaultTimeout = 15;

    // The image and the bytes it came from (the body as received, never copied), or nullptr and why.
    using Done = std::function<void(
        std::shared_ptr<graphics::Image> image, std::shared_ptr<const std::string> data, std::string error)>;

    static ImageDownloader& shared();
    explicit ImageDownloader(net::HttpClient& client);
    ~ImageDownloader();
    ImageDownloader(const ImageDownloader&) = delete;
    ImageDownloader& operator=(const ImageDownloader&) = delete;

    // A token for cancel(); `done` runs exactly once unless cancelled first.
    uint64_t download(const std::string& url, Done done);
    // Forgets that request; the download stops once nobody waits for it.
    void cancel(uint64_t token);

    double timeout() const { return m_timeout; }
    void setTimeout(double seconds) { m_timeout = seconds; }
    // What decoding a download may take: by default a file of the network's size limit, a JPEG
    // decoded for the main screen as it was when the downloader was made. A download over it
    // fails with the reason.
    const graphics::DecodeBudget& decodeBudget() const;
    void setDecodeBudget(const graphics::DecodeBudget&);
    // Downloads on their way (the HTTP request or the decoding).
    size_t activeCount() const;
    // Requests waiting for the download of a URL.
    size_t waitingCount(const std::string& url) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
    double m_timeout {kDefaultTimeout};
};

} // namespace webimage
