#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace foundation {

// printf-style formatting into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string formatV(const char* fmt, va_list args) __attribute__((format(printf, 1, 0)));
// The text without the spaces, tabs and line ends around it.
std::string trimmed(std::string_view text);

} // namespace foundation
