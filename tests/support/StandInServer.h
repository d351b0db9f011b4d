#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// Runs the built mivo-server as a child process on 127.0.0.1 with a fresh data folder, for tests that
// talk to the server over a real socket. The server stops and its folder goes when this object does
// (set MIVO_KEEP_TEST_DATA=1 to keep the folder). Tests using it add
// `add_dependencies(<test> mivo-server)`.
class StandInServer {
public:
    // `extraArgs` go to the server's command line, e.g. {"--misbehave", "drop"} or {"--max-upload-bytes",
    // "4096"}.
    explicit StandInServer(std::vector<std::string> extraArgs = {});
    ~StandInServer();
    StandInServer(const StandInServer&) = delete;
    StandInServer& operator=(const StandInServer&) = delete;

    bool isRunning() const { return m_port > 0; }
    int port() const { return m_port; }
    std::string baseUrl() const; // "http://127.0.0.1:PORT/Services", as GetBaseUrlAndPortModel builds it
    std::string mediaBaseUrl() const; // "http://127.0.0.1:PORT"
    const std::filesystem::path& dataDir() const { return m_dataDir; }
    std::string log() const; // the server's request log so far
    // The log once it stops growing: the server writes a request's line just after its reply.
    std::string settledLog() const;

    // Admin commands; true when the server answered Success.
    bool finish(const std::string& carId, const std::string& price = {});
    bool reject(const std::string& carId, const std::string& reason = {});
    // mode: "delay", "drop", "500", "nonjson", "contenttype", "refuse", "huge"; pathPrefix "" = every path,
    // matched against the path and query ("/Services/CarTask.ashx?method=add")
    // (e.g. "/Services/FileUpload.ashx"); count -1 = until behave().
    bool misbehave(
        const std::string& mode, int delayMs = 0, const std::string& pathPrefix = {}, int count = -1);
    bool behave();
    std::optional<int64_t> addUser(const std::string& loginName, const std::string& password,
        const std::string& companyName, const std::string& orderPrefix, const std::string& photoPlan = "2");
    // The server's task id ("CarID") of a registered application number (prefix included), if any.
    std::optional<std::string> carIdOf(const std::string& applyNo) const;

    struct Response {
        bool answered = false; // false: no HTTP reply (refused, dropped, timed out)
        int status = 0;
        std::string contentType;
        std::string body;
    };
    // Plain requests on a fresh connection; `path` is absolute ("/Services/Login.ashx?time=1", "/media/...").
    Response post(const std::string& path, const std::map<std::string, std::string>& form) const;
    Response get(const std::string& path) const;

private:
    bool admin(const std::string& action, const std::map<std::string, std::string>& form) const;
    void stop();

    pid_t m_pid = -1;
    int m_port = -1;
    std::filesystem::path m_dataDir;
};

} // namespace testsupport
