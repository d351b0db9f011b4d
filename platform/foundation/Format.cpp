#include "platform/foundation/Format.h"

#include <cstdio>
#include <vector>

namespace foundation {

std::string formatV(const char* fmt, va_list args)
{
    char buffer[256];
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(buffer, sizeof buffer, fmt, copy);
    va_end(copy);
    if (length < 0)
        return {};
    if (static_cast<size_t>(length) < sizeof buffer)
        return std::string(buffer, length);
    std::string result(length, '\0');
    std::vsnprintf(result.data(), length + 1, fmt, args);
    return result;
}

std::string trimmed(std::string_view text)
{
    auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::string format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string result = formatV(fmt, args);
    va_end(args);
    return result;
}

} // namespace foundation
