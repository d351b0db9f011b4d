#pragma once

#include <string>

// The per-install identifier sent as "simid" at login: made once, kept in the app's Library.
class DeviceIdentifier final {
public:
    static constexpr const char* kFileName = "device-identifier";

    // The stored identifier; a new one is made and stored when there is none (or it is unreadable).
    static std::string simid();
};
