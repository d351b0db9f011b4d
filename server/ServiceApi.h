#pragma once

#include "server/ServerTime.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace server {

class MediaStore;
class ServerStore;

using Form = std::map<std::string, std::string>;

// One HTTP answer, independent of the HTTP library.
struct Reply {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
};

// The file part of an upload, already streamed to a temp file by the HTTP layer.
struct UploadedPart {
    bool present = false;
    bool tooMany = false; // more than one file part
    std::string partName; // "file<tag>"
    std::string fileName; // Content-Disposition filename
    std::string contentType;
    std::filesystem::path tempFile;
    uint64_t size = 0;
    bool oversize = false;
};

// The endpoints under "/Services" and "/admin", from form fields to the reply envelope
// {"Success": bool, "Msg": text, "Data": object or array}. server/README.md lists every field.
class ServiceApi {
public:
    ServiceApi(ServerStore&, MediaStore&, WallClock clock, uint64_t maxUploadBytes);

    // `path` is the request path ("/Services/CarTask.ashx"), `form` the query and body fields merged.
    Reply handle(const std::string& path, const Form& form);
    Reply upload(const Form& form, UploadedPart& part);
    Reply admin(const std::string& action, const Form& form);

    static Reply envelope(bool success, const std::string& msg, const std::string& dataJson = "{}");
    static Reply failure(const std::string& msg) { return envelope(false, msg); }

    uint64_t maxUploadBytes() const { return m_maxUploadBytes; }
    // "文件过大, 上限 200 MB"
    std::string oversizeMessage() const;

private:
    Reply login(const Form&);
    Reply updateSimid(const Form&);
    Reply updatePassword(const Form&);
    Reply validate(const Form&);
    Reply add(const Form&);
    Reply updateApplyNo(const Form&);
    Reply count(const Form&, const char* status);
    Reply list(const Form&, const char* status);
    Reply adminSetStatus(const Form&, const char* status);
    Reply adminAddUser(const Form&);
    Reply adminTasks(const Form&);

    std::string taskJson(int64_t taskId) const;
    double now() const { return m_clock ? m_clock() : ServerTime::realNow(); }

    ServerStore& m_store;
    MediaStore& m_media;
    WallClock m_clock;
    uint64_t m_maxUploadBytes;
    // Two uploads of one position must not interleave their file swaps; striped by task and position.
    std::array<std::mutex, 32> m_uploadLocks;
};

} // namespace server
