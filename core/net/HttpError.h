#pragma once

#include <cstdint>
#include <string>

// Why a request failed, in the shape the screens log and show: a domain, a code in it and a text.
struct HttpError {
    int64_t code {0};
    std::string domain;
    std::string description;

    static constexpr const char* kUrlDomain = "NSURLErrorDomain";
    static constexpr const char* kResponseDomain = "com.alamofire.error.serialization.response";
    static constexpr const char* kCocoaDomain = "NSCocoaErrorDomain";

    static constexpr int64_t kCancelled = -999;
    static constexpr int64_t kUnknown = -1;
    static constexpr int64_t kTimedOut = -1001;
    static constexpr int64_t kCannotConnectToHost = -1004;
    static constexpr int64_t kNetworkConnectionLost = -1005;
    static constexpr int64_t kBadServerResponse = -1011;
    static constexpr int64_t kCannotDecodeContentData = -1016;
    static constexpr int64_t kDataLengthExceedsMaximum = -1103;
    static constexpr int64_t kFileReadNoSuchFile = 260;
    static constexpr int64_t kFileReadInvalidFileName = 258;
    static constexpr int64_t kPropertyListReadCorrupt = 3840;
};
