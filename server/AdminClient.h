#pragma once

#include "server/ServiceApi.h"

#include <string>

namespace server {

// The command-line side of the admin endpoints: `mivo-server admin finish --url ... --car-id N`.
class AdminClient {
public:
    // Posts the form to <baseUrl>/admin/<action>; prints the reply. Exit code 0 when it says Success.
    static int run(const std::string& baseUrl, const std::string& action, const Form& form);
};

} // namespace server
