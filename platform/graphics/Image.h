#pragma once

#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace graphics {

// How the stored pixels turn to show upright, with the phone's numbering (not EXIF's).
enum class ImageOrientation {
    Up,
    Down, // turned 180 degrees
    Left, // turned 90 degrees counter-clockwise
    Right, // turned 90 degrees clockwise
    UpMirrored,
    DownMirrored,
    LeftMirrored,
    RightMirrored,
};

// The orientation an EXIF orientation tag (1 to 8) stands for; Up for any other value.
ImageOrientation imageOrientationFromExif(int exifOrientation);
// True for the four orientations that swap width and height.
bool swapsAxes(ImageOrientation);

// The affine map from an upright point (u, v) to the stored bitmap's (x, y) of a width x height
// bitmap: x = xu * u + xv * v + x0, y = yu * u + yv * v + y0.
struct OrientationMap {
    double xu, xv, x0, yu, yv, y0;
    static OrientationMap forImage(ImageOrientation, double width, double height);
};

// A bitmap of premultiplied BGRA pixels (Cairo's ARGB32, native endian), with a scale: its size
// in points is its pixel size divided by the scale. An image can also be made without pixels
// (the stand-in for a platform image that has no bitmap behind it).
class Image final : public std::enable_shared_from_this<Image> {
public:
    // A fully transparent bitmap; nullptr for a negative size or when memory runs out.
    static std::shared_ptr<Image> create(int pixelWidth, int pixelHeight, double scale = 1.0);
    // Pixels left as they come from the allocator, for decoders that write every one of them.
    static std::shared_ptr<Image> createUninitialized(int pixelWidth, int pixelHeight, double scale = 1.0);
    // An image with a size but no bitmap: isBitmapBacked() is false and data() is null.
    static std::shared_ptr<Image> createWithoutBitmap(Size points, double scale = 1.0);
    // An animated image: `images` shown one after another, evenly, over `duration` seconds (the
    // same frame may stand several times in a row). It has no bitmap of its own; its size and
    // scale are the first frame's. nullptr for no frames.
    static std::shared_ptr<Image> createAnimated(std::vector<std::shared_ptr<Image>> images, double duration);

    enum class Pixels { None, Zeroed, Uninitialized };
    Image(int pixelWidth, int pixelHeight, double scale, Pixels);
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // In points, upright: a Left or Right image is as wide as its pixels are high.
    Size size() const;
    double scale() const { return m_scale; }
    int pixelWidth() const { return m_width; }
    int pixelHeight() const { return m_height; }
    int stride() const { return m_stride; }
    uint8_t* data() { return m_pixels.get(); }
    const uint8_t* data() const { return m_pixels.get(); }
    bool isBitmapBacked() const { return m_pixels != nullptr; }
    // True when every pixel is fully opaque (a hint set by codecs and opaque contexts).
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }

    // Set by decoders from the file's EXIF tag, as the phone's images carry it; drawing honours it.
    ImageOrientation orientation() const { return m_orientation; }
    void setOrientation(ImageOrientation orientation) { m_orientation = orientation; }
    // The pixels turned upright (orientation Up); the image itself when it already is.
    std::shared_ptr<const Image> upright() const;
    std::shared_ptr<Image> uprightCopy() const;

    // Premultiplied 0xAARRGGBB at a pixel; 0 outside the image.
    uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, uint32_t argb);
    void fill(uint32_t argb);
    bool isAnimated() const { return !m_images.empty(); }
    const std::vector<std::shared_ptr<Image>>& images() const { return m_images; }
    double duration() const { return m_duration; }
    // The index into images() of the frame shown `seconds` into the cycle (0 when not animated).
    size_t frameIndexAt(double seconds) const;

    // A deep copy, optionally with another scale.
    std::shared_ptr<Image> copy() const;
    std::shared_ptr<Image> withScale(double scale) const;

private:
    static std::shared_ptr<Image> allocate(int pixelWidth, int pixelHeight, double scale, Pixels);

    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
    double m_scale = 1.0;
    bool m_opaque = false;
    ImageOrientation m_orientation = ImageOrientation::Up;
    Size m_unbackedSize;
    std::vector<std::shared_ptr<Image>> m_images;
    double m_duration = 0;
    std::unique_ptr<uint8_t[]> m_pixels;
};

} // namespace graphics
