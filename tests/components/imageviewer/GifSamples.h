#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace mivo::test {

// Writes small GIFs with giflib for the viewer's tests: a 4 x 4 canvas, colours black, red, green,
// blue (indices 0 to 3), one frame per entry.
struct GifSampleFrame {
    std::optional<int> delay; // centiseconds; no graphic control extension when empty
    int colorIndex = 1;
    int disposal = DISPOSAL_UNSPECIFIED;
    int left = 0, top = 0, width = 4, height = 4;
};

inline int appendGifBytes(GifFileType* gif, const GifByteType* data, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}

inline std::vector<uint8_t> makeGif(const std::vector<GifSampleFrame>& frames)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGifBytes, &error);
    EGifSetGifVersion(gif, true);
    GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifPutScreenDesc(gif, 4, 4, 2, 0, map);
    for (const auto& frame : frames) {
        if (frame.delay) {
            GraphicsControlBlock gcb {frame.disposal, false, *frame.delay, NO_TRANSPARENT_COLOR};
            GifByteType extension[4];
            size_t length = EGifGCBToExtension(&gcb, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension);
        }
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, nullptr);
        std::vector<GifPixelType> row(size_t(frame.width), GifPixelType(frame.colorIndex));
        for (int y = 0; y < frame.height; ++y)
            EGifPutLine(gif, row.data(), frame.width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

} // namespace mivo::test
