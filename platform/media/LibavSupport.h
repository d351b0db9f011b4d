#pragma once

#include <string>

namespace media {

// The text of a libav error code, for log lines and error results.
std::string libavError(int code);

} // namespace media
