#include "core/net/HttpManager.h"

#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpClient.h"

#include <cctype>

using foundation::Value;

namespace {

std::string scalarText(const Value& value)
{
    switch (value.type()) {
    case Value::Type::String:
        return value.asString();
    case Value::Type::Int:
        return foundation::format("%lld", static_cast<long long>(value.asInt()));
    case Value::Type::Double:
        return foundation::format("%.15g", value.asDouble());
    case Value::Type::Bool:
        return value.asBool() ? "1" : "0";
    case Value::Type::Date:
        return value.asDate().formatLocal("yyyy-MM-dd HH:mm:ss");
    default:
        return {};
    }
}

// Nested maps and arrays become "key[sub]" and "key[]" fields, keys in sorted order.
void flatten(const std::string& name, const Value& value, net::HttpRequest::Fields& fields)
{
    if (value.isMap()) {
        for (auto& [key, inner] : value.asMap())
            flatten(name.empty() ? key : name + "[" + key + "]", inner, fields);
    } else if (value.isArray()) {
        for (auto& inner : value.asArray())
            flatten(name + "[]", inner, fields);
    } else if (!name.empty()) {
        fields.emplace_back(name, scalarText(value));
    }
}

net::HttpRequest::Fields formFields(const Value& parameters)
{
    net::HttpRequest::Fields fields;
    if (parameters.isMap())
        flatten({}, parameters, fields);
    return fields;
}

HttpError transportError(const net::HttpResponse& response)
{
    switch (response.errorKind) {
    case net::HttpErrorKind::Timeout:
        return {HttpError::kTimedOut, HttpError::kUrlDomain, "The request timed out."};
    case net::HttpErrorKind::CannotConnect:
        return {HttpError::kCannotConnectToHost, HttpError::kUrlDomain, "Could not connect to the server."};
    case net::HttpErrorKind::ConnectionLost:
        return {HttpError::kNetworkConnectionLost, HttpError::kUrlDomain, "The network connection was lost."};
    case net::HttpErrorKind::Cancelled:
        return {HttpError::kCancelled, HttpError::kUrlDomain, "cancelled"};
    case net::HttpErrorKind::TooLarge:
        return {HttpError::kDataLengthExceedsMaximum, HttpError::kUrlDomain,
            "The reply from the server is too large."};
    case net::HttpErrorKind::File:
        return {HttpError::kFileReadNoSuchFile, HttpError::kCocoaDomain, response.errorText};
    case net::HttpErrorKind::HttpStatus:
        return {HttpError::kBadServerResponse, HttpError::kResponseDomain,
            foundation::format("Request failed: HTTP status %ld", response.status)};
    default:
        return {
            HttpError::kUnknown, HttpError::kUrlDomain, "An unknown error occurred: " + response.errorText};
    }
}

std::mutex s_timeoutsMutex;
std::optional<double> s_requestTimeout;
std::optional<double> s_uploadTimeout;

bool isBlank(const std::string& text)
{
    for (unsigned char c : text) {
        if (!std::isspace(c))
            return false;
    }
    return true;
}

} // namespace

std::shared_ptr<HttpManager> HttpManager::create()
{
    auto manager = std::shared_ptr<HttpManager>(new HttpManager());
    std::lock_guard lock(s_timeoutsMutex);
    manager->m_requestTimeout = s_requestTimeout.value_or(kRequestTimeout);
    manager->m_uploadTimeout = s_uploadTimeout.value_or(kUploadTimeout);
    return manager;
}

void HttpManager::setTimeoutsForTesting(std::optional<double> request, std::optional<double> upload)
{
    std::lock_guard lock(s_timeoutsMutex);
    s_requestTimeout = request;
    s_uploadTimeout = upload;
}

void HttpManager::postRequestWithBaseUrl(
    const std::string& url, const foundation::Value& parameters, const std::string& requestIdentify)
{
    startPost(url, parameters, requestIdentify, kObjectReplyLimit, [tag = requestIdentify](std::string body) {
        auto parsed = std::make_shared<Value>(Value::fromJson(body).value_or(Value()));
        return std::function<void(HttpManager&)>([tag, parsed](HttpManager& manager) {
            if (auto finished = manager.requestFinishBlock())
                finished(tag, std::move(*parsed));
        });
    });
}

void HttpManager::postListRequestWithBaseUrl(const std::string& url, const foundation::Value& parameters,
    const std::string& listKey, const std::string& requestIdentify)
{
    startPost(url, parameters, requestIdentify, kListReplyLimit,
        [tag = requestIdentify, listKey](std::string body) {
            auto split = std::make_shared<foundation::JsonSplit>(
                foundation::JsonList::fromJsonTakingList(std::move(body), listKey)
                    .value_or(foundation::JsonSplit {}));
            return std::function<void(HttpManager&)>([tag, split](HttpManager& manager) {
                if (auto finished = manager.requestListFinishBlock())
                    finished(tag, std::move(split->value), std::move(split->list));
            });
        });
}

void HttpManager::startPost(const std::string& url, const foundation::Value& parameters,
    const std::string& tag, int64_t replyLimit, ReplyReader read)
{
    auto request = net::HttpRequest::formPost(url, formFields(parameters), m_requestTimeout);
    request.maxBodySize = replyLimit;
    // The completion holds this object until the request has ended.
    net::HttpClient::shared().start(std::move(request),
        [self = shared_from_this(), tag, read = std::move(read)](
            net::HttpResponse response) { self->postFinished(tag, std::move(response), read); });
}

void HttpManager::postFinished(const std::string& tag, net::HttpResponse response, ReplyReader read)
{
    if (!response.succeeded()) {
        if (auto failed = requestFailiedBlock())
            failed(tag, transportError(response));
        return;
    }
    // The worker holds this object only through `holder`, which the main thread empties: the
    // object and the blocks it holds are let go of on the main thread.
    auto holder = std::make_shared<std::shared_ptr<HttpManager>>(shared_from_this());
    foundation::dispatchGlobalAsync(
        [holder, read = std::move(read), body = std::move(response.body)]() mutable {
            auto deliver = read(std::move(body));
            foundation::RunLoop::main().post([holder, deliver = std::move(deliver)] {
                auto self = std::move(*holder);
                deliver(*self);
            });
        });
}

void HttpManager::uploadFileWithBaseUrl(const std::string& url, const foundation::Value& parameters,
    const std::string& /*filePath*/, const std::string& fileName, const std::string& mimeType,
    const std::string& requesteIdentify, const std::string& /*fileType*/)
{
    const char* folder = parameters["type"].asString() == "video" ? LocalDocumentManager::kVideoFolder
                                                                  : LocalDocumentManager::kPictureFolder;
    auto path = LocalDocumentManager::fileInUserFolder(folder, fileName);
    if (!path) {
        failUploadLater(requesteIdentify,
            {HttpError::kFileReadInvalidFileName, HttpError::kCocoaDomain,
                foundation::format(
                    "The file \"%s\" cannot be sent: it is not in the user's folder.", fileName.c_str())});
        return;
    }
    net::FilePart part {"file" + requesteIdentify, *path, fileName, mimeType};
    auto request
        = net::HttpRequest::multipartPost(url, formFields(parameters), std::move(part), m_uploadTimeout);
    request.maxBodySize = kObjectReplyLimit;
    auto self = shared_from_this();
    net::HttpClient::shared().start(
        std::move(request),
        [self, tag = requesteIdentify](net::HttpResponse response) { self->uploadFinished(tag, response); },
        [self, tag = requesteIdentify](
            int64_t sent, int64_t expected) { self->uploadProgressed(tag, sent, expected); });
}

void HttpManager::failUploadLater(const std::string& tag, HttpError error)
{
    // Even a request refused at once ends later, on the main queue, after the caller set its blocks.
    foundation::RunLoop::main().post([self = shared_from_this(), tag, error = std::move(error)] {
        if (auto failed = self->uploadFileFailiedBlock())
            failed(tag, error);
    });
}

void HttpManager::uploadProgressed(const std::string& tag, int64_t sent, int64_t expected)
{
    if (expected <= 0)
        return;
    float fraction = static_cast<float>(sent) / static_cast<float>(expected);
    foundation::logf("identify: %s  progress: %f", tag.c_str(), fraction);
    if (auto percent = uploadPercentBlock())
        percent(tag, fraction);
}

void HttpManager::uploadFinished(const std::string& tag, const net::HttpResponse& response)
{
    auto fail = [&](HttpError error) {
        if (auto failed = uploadFileFailiedBlock())
            failed(tag, error);
    };
    if (!response.succeeded()) {
        fail(transportError(response));
        return;
    }
    if (response.mimeType() != "text/html") {
        fail({HttpError::kCannotDecodeContentData, HttpError::kResponseDomain,
            "Request failed: unacceptable content-type: " + response.header("Content-Type")});
        return;
    }
    Value parsed;
    if (!isBlank(response.body)) {
        std::string error;
        auto json = Value::fromJson(response.body, &error);
        if (!json || !(json->isMap() || json->isArray())) {
            fail({HttpError::kPropertyListReadCorrupt, HttpError::kCocoaDomain,
                "The data couldn't be read because it isn't in the correct format."});
            return;
        }
        parsed = std::move(*json);
    }
    if (auto finished = uploadFileFinishBlock())
        finished(tag, parsed);
}
