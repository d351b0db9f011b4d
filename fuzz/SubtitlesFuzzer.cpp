// An SRT file as the movie player's subtitles read it.
#include "components/subtitles/Subtitles.h"
#include "components/subtitles/SubtitlesParser.h"
#include "platform/ui/MoviePlayerController.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const auto player = ui::MoviePlayerController::initWithContentURL("/nowhere/movie.mp4");
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Subtitles::parseString(player, text, nullptr);
    subtitles::removeTags(text);
    Subtitles::timeFromString(text);
    return 0;
}
