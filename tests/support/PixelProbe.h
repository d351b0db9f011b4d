#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace mivo::test {

// Measures what was drawn: geometry and flat colours, not golden images, since fonts differ between
// machines. Rectangles and points are in points (the image's pixels divided by its scale); colours
// are compared unpremultiplied, each channel within `tolerance` of 255.
class PixelProbe final {
public:
    explicit PixelProbe(std::shared_ptr<graphics::Image> image)
        : m_image(std::move(image))
    { }

    // What the screen shows now: every visible window, as the hosts draw it.
    static PixelProbe screen() { return PixelProbe(render::Renderer().renderScreen()); }

    const graphics::Image& image() const { return *m_image; }
    double scale() const { return m_image->scale(); }

    // The colour of the pixel under a point.
    graphics::Color colorAt(graphics::Point point) const
    {
        return colorOf(
            m_image->pixel(int(std::floor(point.x * scale())), int(std::floor(point.y * scale()))));
    }

    bool covers(graphics::Point point, const graphics::Color& color, int tolerance = kTolerance) const
    {
        return matches(colorAt(point), color, tolerance);
    }

    // The smallest rectangle holding every pixel of `color` inside `within` (the whole image by
    // default); nullopt when there is none.
    std::optional<graphics::Rect> boundingBox(const graphics::Color& color, int tolerance = kTolerance,
        std::optional<graphics::Rect> within = std::nullopt) const
    {
        const auto [x0, y0, x1, y1] = pixelRange(within);
        int minX = x1, minY = y1, maxX = -1, maxY = -1;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (!matches(colorOf(m_image->pixel(x, y)), color, tolerance))
                    continue;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
        if (maxX < 0)
            return std::nullopt;
        const double s = scale();
        return graphics::Rect(minX / s, minY / s, (maxX + 1 - minX) / s, (maxY + 1 - minY) / s);
    }

    // The mean colour of a rectangle (alpha included).
    graphics::Color meanColor(const graphics::Rect& rect) const
    {
        const auto [x0, y0, x1, y1] = pixelRange(rect);
        double r = 0, g = 0, b = 0, a = 0;
        const double n = std::max(1, (x1 - x0) * (y1 - y0));
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const auto c = colorOf(m_image->pixel(x, y));
                r += c.r;
                g += c.g;
                b += c.b;
                a += c.a;
            }
        }
        return graphics::Color::rgba(r / n, g / n, b / n, a / n);
    }

    // The share of a rectangle's pixels that are of `color`, 0 to 1.
    double fraction(
        const graphics::Rect& rect, const graphics::Color& color, int tolerance = kTolerance) const
    {
        const auto [x0, y0, x1, y1] = pixelRange(rect);
        size_t hits = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                hits += matches(colorOf(m_image->pixel(x, y)), color, tolerance);
        const int n = (x1 - x0) * (y1 - y0);
        return n > 0 ? double(hits) / n : 0;
    }

    static constexpr int kTolerance = 24;

    static bool matches(const graphics::Color& a, const graphics::Color& b, int tolerance = kTolerance)
    {
        const auto near = [&](double x, double y) { return std::abs(x - y) * 255 <= tolerance; };
        return near(a.r, b.r) && near(a.g, b.g) && near(a.b, b.b) && near(a.a, b.a);
    }

private:
    struct PixelRange {
        int x0, y0, x1, y1;
    };

    PixelRange pixelRange(std::optional<graphics::Rect> rect) const
    {
        const int w = m_image->pixelWidth(), h = m_image->pixelHeight();
        if (!rect)
            return {0, 0, w, h};
        const double s = scale();
        return {std::clamp(int(std::floor(rect->minX() * s)), 0, w),
            std::clamp(int(std::floor(rect->minY() * s)), 0, h),
            std::clamp(int(std::ceil(rect->maxX() * s)), 0, w),
            std::clamp(int(std::ceil(rect->maxY() * s)), 0, h)};
    }

    static graphics::Color colorOf(uint32_t argb)
    {
        const double a = (argb >> 24) / 255.0;
        if (a == 0)
            return graphics::Color::clear();
        const auto channel = [&](int shift) { return std::min(1.0, ((argb >> shift) & 0xff) / 255.0 / a); };
        return graphics::Color::rgba(channel(16), channel(8), channel(0), a);
    }

    std::shared_ptr<graphics::Image> m_image;
};

// An opaque test photo, `left` in its left half and `right` in its right half: whether the whole
// picture is drawn, which way round and in what proportion is then one box per colour.
inline std::shared_ptr<graphics::Image> twoColourPhoto(
    int width, int height, const graphics::Color& left, const graphics::Color& right)
{
    const auto argb = [](const graphics::Color& c) {
        const auto channel = [](double v, int shift) { return uint32_t(std::lround(v * 255)) << shift; };
        return 0xff000000u | channel(c.r, 16) | channel(c.g, 8) | channel(c.b, 0);
    };
    auto photo = graphics::Image::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            photo->setPixel(x, y, argb(x < width / 2 ? left : right));
    return photo;
}

// Whether a measured box is `expected`, each edge within `tolerance` points (edges blend).
inline ::testing::AssertionResult boxNear(
    const std::optional<graphics::Rect>& box, const graphics::Rect& expected, double tolerance = 1)
{
    const auto text = [](const graphics::Rect& r) {
        return "(" + std::to_string(r.minX()) + ", " + std::to_string(r.minY()) + ", "
            + std::to_string(r.width()) + ", " + std::to_string(r.height()) + ")";
    };
    if (!box)
        return ::testing::AssertionFailure() << "nothing drawn, expected " << text(expected);
    if (std::abs(box->minX() - expected.minX()) > tolerance
        || std::abs(box->minY() - expected.minY()) > tolerance
        || std::abs(box->maxX() - expected.maxX()) > tolerance
        || std::abs(box->maxY() - expected.maxY()) > tolerance)
        return ::testing::AssertionFailure() << "drawn " << text(*box) << ", expected " << text(expected);
    return ::testing::AssertionSuccess();
}

} // namespace mivo::test
