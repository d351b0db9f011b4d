#pragma once

#include "server/ServerOptions.h"

#include <memory>
#include <string>

namespace server {

class Misbehaviour;
class ServerStore;

// The stand-in for the service's server: the "/Services" endpoints, the media under "/media" and the
// "/admin" endpoints, on cpp-httplib with a worker pool. Usable in-process (tests) or from main().
class MivoServer {
public:
    explicit MivoServer(ServerOptions options);
    ~MivoServer();
    MivoServer(const MivoServer&) = delete;
    MivoServer& operator=(const MivoServer&) = delete;

    // Opens the data folder, binds and starts listening on a thread of its own; returns once requests
    // are accepted. False with `error` set when the folder or the port is unusable.
    bool start(std::string* error = nullptr);
    void stop();
    bool isRunning() const;
    int port() const;
    std::string baseUrl() const; // "http://host:port/Services"
    std::string mediaBaseUrl() const; // "http://host:port"

    Misbehaviour& misbehaviour();
    ServerStore& store();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace server
