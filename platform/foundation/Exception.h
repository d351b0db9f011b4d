#pragma once

#include <exception>
#include <string>

namespace foundation {

// A named platform exception, e.g. {"NSInternalInconsistencyException", "..."}.
struct Exception : std::exception {
    Exception(std::string name, std::string reason)
        : name(std::move(name))
        , reason(std::move(reason))
    { }
    const char* what() const noexcept override { return reason.c_str(); }

    std::string name;
    std::string reason;
};

} // namespace foundation
