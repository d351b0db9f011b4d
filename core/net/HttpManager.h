#pragma once

#include "core/net/HttpError.h"
#include "platform/foundation/JsonList.h"
#include "platform/foundation/Value.h"
#include "platform/net/HttpRequest.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace net {
struct HttpResponse;
} // namespace net

class HttpManagerTestApi;

// One server request: a form POST or a multipart file upload. The caller starts the request and
// then sets the blocks it needs; a block is looked up only when its event comes, so blocks set right
// after the start are used. The object keeps itself alive until its request has ended. Every block
// runs on the main thread and gets the caller's tag first; each request ends in exactly one
// finish or failure block.
class HttpManager final : public std::enable_shared_from_this<HttpManager> {
public:
    // The reply is handed over, not copied: a block may take it by value and keep it.
    using FinishBlock = std::function<void(const std::string& tag, foundation::Value responseObject)>;
    using ListFinishBlock = std::function<void(
        const std::string& tag, foundation::Value responseObject, std::optional<foundation::JsonList> list)>;
    using FailureBlock = std::function<void(const std::string& tag, const HttpError& error)>;
    using PercentBlock = std::function<void(const std::string& tag, float fraction)>;

    static constexpr double kRequestTimeout = 10;
    static constexpr double kUploadTimeout = 80;
    // The longest reply body each kind of request reads. A longer one is cut off as it arrives and
    // fails as HttpError::kDataLengthExceedsMaximum. One object (a login, a task's check or
    // registration, a new number, a file's upload) takes well under a kilobyte; a list of thousands
    // of tasks a few MB.
    static constexpr int64_t kObjectReplyLimit = 1024 * 1024;
    static constexpr int64_t kListReplyLimit = net::HttpRequest::kDefaultMaxBodySize;

    static std::shared_ptr<HttpManager> create();
    // The timeouts of requests made from now on (nullopt: the defaults above), so that tests of the
    // timeout roads need not wait 80 s.
    static void setTimeoutsForTesting(std::optional<double> request, std::optional<double> upload);
    HttpManager(const HttpManager&) = delete;
    HttpManager& operator=(const HttpManager&) = delete;

    // Form-encoded POST of the parameters (a map), answered by one object of at most
    // kObjectReplyLimit. On an answer the body is read as JSON (fragments allowed) and
    // requestFinishBlock gets it, or null when the body is not JSON; on a transport failure, an
    // HTTP status outside 200-299 or a longer reply requestFailiedBlock gets the error. The body is
    // read on a worker, so a long reply does not hold up the screen.
    void postRequestWithBaseUrl(
        const std::string& url, const foundation::Value& parameters, const std::string& requestIdentify);
    // The same for a reply of up to kListReplyLimit whose array under `listKey` may hold
    // thousands of entries (a server's task list): requestListFinishBlock gets the reply without
    // that member and the array's entries as text, read one at a time (nullopt when the reply has
    // no such array; null and nullopt when it is not JSON).
    void postListRequestWithBaseUrl(const std::string& url, const foundation::Value& parameters,
        const std::string& listKey, const std::string& requestIdentify);

    // Multipart POST of the parameters plus one file part named "file<tag>" carrying the file
    // `fileName` of the user's folder "video" (when parameters["type"] is "video") or "picture",
    // streamed from disk. filePath and fileType are not used: the file is always looked up in the
    // user's folder, and a name that would leave it is refused. The reply must be "text/html" and
    // JSON of at most kObjectReplyLimit: uploadFileFinishBlock gets it; any failure goes to
    // uploadFileFailiedBlock. Every progress step the transfer reports is logged and reported to
    // uploadPercentBlock as sent / expected bytes, before the end.
    void uploadFileWithBaseUrl(const std::string& url, const foundation::Value& parameters,
        const std::string& filePath, const std::string& fileName, const std::string& mimeType,
        const std::string& requesteIdentify, const std::string& fileType);

    // The blocks may be set from any thread (the upload screen sets them on a worker of its queue)
    // while the main thread delivers the request's events; getters return copies.
    FinishBlock requestFinishBlock() const { return copyOf(m_requestFinishBlock); }
    void setRequestFinishBlock(FinishBlock block) { setBlock(m_requestFinishBlock, std::move(block)); }
    ListFinishBlock requestListFinishBlock() const { return copyOf(m_requestListFinishBlock); }
    void setRequestListFinishBlock(ListFinishBlock block)
    {
        setBlock(m_requestListFinishBlock, std::move(block));
    }
    FailureBlock requestFailiedBlock() const { return copyOf(m_requestFailiedBlock); }
    void setRequestFailiedBlock(FailureBlock block) { setBlock(m_requestFailiedBlock, std::move(block)); }
    FinishBlock uploadFileFinishBlock() const { return copyOf(m_uploadFileFinishBlock); }
    void setUploadFileFinishBlock(FinishBlock block) { setBlock(m_uploadFileFinishBlock, std::move(block)); }
    FailureBlock uploadFileFailiedBlock() const { return copyOf(m_uploadFileFailiedBlock); }
    void setUploadFileFailiedBlock(FailureBlock block)
    {
        setBlock(m_uploadFileFailiedBlock, std::move(block));
    }
    PercentBlock uploadPercentBlock() const { return copyOf(m_uploadPercentBlock); }
    void setUploadPercentBlock(PercentBlock block) { setBlock(m_uploadPercentBlock, std::move(block)); }

private:
    friend class HttpManagerTestApi;
    HttpManager() = default;

    // Reads a reply body on a worker; what it returns delivers the result on the main thread.
    using ReplyReader = std::function<std::function<void(HttpManager&)>(std::string body)>;
    void startPost(const std::string& url, const foundation::Value& parameters, const std::string& tag,
        int64_t replyLimit, ReplyReader read);
    void postFinished(const std::string& tag, net::HttpResponse response, ReplyReader read);
    void uploadFinished(const std::string& tag, const net::HttpResponse& response);
    void uploadProgressed(const std::string& tag, int64_t sent, int64_t expected);
    void failUploadLater(const std::string& tag, HttpError error);

    template<class Block> Block copyOf(const Block& member) const
    {
        std::lock_guard lock(m_blocksMutex);
        return member;
    }
    template<class Block> void setBlock(Block& member, Block value)
    {
        std::lock_guard lock(m_blocksMutex);
        member = std::move(value);
    }

    mutable std::mutex m_blocksMutex;
    FinishBlock m_requestFinishBlock;
    ListFinishBlock m_requestListFinishBlock;
    FailureBlock m_requestFailiedBlock;
    FinishBlock m_uploadFileFinishBlock;
    FailureBlock m_uploadFileFailiedBlock;
    PercentBlock m_uploadPercentBlock;
    double m_requestTimeout {kRequestTimeout};
    double m_uploadTimeout {kUploadTimeout};
};
