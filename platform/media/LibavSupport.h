#pragma once

#include <filesystem>
#include <string>

struct AVDictionary;
struct AVFormatContext;
struct AVIOContext;

namespace media {

// The text of a libav error code, for log lines and error results.
std::string libavError(int code);

// avformat_open_input for a movie file or a network URL. A local file (a path, or a "file:" URL) is
// first opened here as a foundation::RegularFile, without blocking or following a final link, and
// libav then reads that very file through /dev/fd: a FIFO, folder or device never reaches libav,
// whose own open of a FIFO would wait for a writer for good. A URL of any other scheme goes to
// libav as it is. Returns libav's code; on failure "cannot open <url>: <why>" is in *error.
int openInput(AVFormatContext** context, const std::string& url, AVDictionary** options, std::string* error);

// avio_open for writing a new file at `path`, a name of the caller's own. The file is made first by
// foundation::createFile (a leftover under the name removed, never a FIFO or link opened: libav's own
// open of a FIFO would wait for a reader for good), and libav writes that very file through /dev/fd.
// Returns libav's code; on failure "cannot create <path>: <why>" is in *error.
int openOutput(AVIOContext** output, const std::filesystem::path& path, std::string* error);

} // namespace media
