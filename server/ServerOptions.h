#pragma once

#include "server/Misbehaviour.h"
#include "server/ServerTime.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace server {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 0; // 0: any free port
    std::filesystem::path dataDir = "mivo-server-data";
    std::filesystem::path portFile; // written once listening; empty: none
    uint64_t maxUploadBytes = 200ull * 1024 * 1024;
    int threads = 32;
    bool logRequests = true;
    std::vector<MisbehaviourRule> misbehaviour; // active from the start
    WallClock clock; // empty: real time
};

} // namespace server
