#pragma once

#include "server/MivoServer.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace servertest {

// A MivoServer on a free loopback port with a fresh data folder and a clock the test sets.
class InProcessServer {
public:
    explicit InProcessServer(server::ServerOptions options = {});
    ~InProcessServer();

    server::MivoServer& server() { return *m_server; }
    int port() const { return m_server->port(); }
    const std::filesystem::path& dataDir() const { return m_dataDir; }
    void setNow(double secondsSince1970) { m_now->store(secondsSince1970); }

    struct Reply {
        bool answered = false;
        std::string error; // the client's error when not answered
        int status = 0;
        std::string contentType;
        std::string body;
        nlohmann::json json; // discarded (is_discarded()) when the body is not JSON
    };
    Reply post(const std::string& path, const std::map<std::string, std::string>& form) const;
    Reply get(const std::string& path) const;
    Reply upload(const std::map<std::string, std::string>& fields, const std::string& partName,
        const std::string& fileName, const std::string& bytes,
        const std::string& contentType = "image/png") const;

    // Shortcuts for the roads.
    nlohmann::json login(const std::string& user, const std::string& password = "123456") const;
    std::string addTask(
        const std::string& applyNo, int64_t userId = 1001, const std::string& carSource = "0") const;
    Reply carTask(const std::string& method, const std::map<std::string, std::string>& form) const;
    // A list or count method of CarTask for a login name, changed since a date.
    Reply listOf(const std::string& method, const std::string& since = "",
        const std::string& loginName = "arvel") const;

private:
    std::filesystem::path m_dataDir;
    std::shared_ptr<std::atomic<double>> m_now;
    std::unique_ptr<server::MivoServer> m_server;
};

using Form = std::map<std::string, std::string>;
// Every field of "add" for a task.
Form taskForm(const std::string& applyNo, int64_t userId = 1001, const std::string& carSource = "0");
// Every field the app sends with a file.
Form uploadFields(const std::string& carId, const std::string& seq, const std::string& fileName,
    const std::string& type = "image");
bool success(const InProcessServer::Reply& reply);
// The reply's "Msg", or the body when it is not JSON.
std::string msg(const InProcessServer::Reply& reply);

// A JPEG of the given size (a colour gradient), made with TurboJPEG.
std::string makeJpeg(int width, int height);
// Width and height of a JPEG, or {0, 0}.
std::pair<int, int> jpegSize(const std::string& bytes);

} // namespace servertest
