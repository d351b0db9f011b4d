#pragma once

#include <algorithm>
#include <cmath>

namespace graphics {

// RGBA colour with components in 0..1, not premultiplied. A colour made from a white level
// remembers it, so getWhite() answers only for those, and == tells it from the same RGB colour
// (white(1) != rgba(1, 1, 1)), as on the phone platform.
struct Color {
    double r = 0, g = 0, b = 0, a = 0;
    bool isWhiteSpace = false;

    static constexpr Color rgba(double r, double g, double b, double a = 1) { return {r, g, b, a, false}; }
    static constexpr Color white(double w, double a = 1) { return {w, w, w, a, true}; }

    static constexpr Color black() { return white(0); }
    static constexpr Color white() { return white(1); }
    static constexpr Color gray() { return white(0.5); }
    static constexpr Color lightGray() { return white(2.0 / 3.0); }
    static constexpr Color darkGray() { return white(1.0 / 3.0); }
    static constexpr Color clear() { return white(0, 0); }
    static constexpr Color red() { return rgba(1, 0, 0); }
    static constexpr Color green() { return rgba(0, 1, 0); }
    static constexpr Color blue() { return rgba(0, 0, 1); }
    static constexpr Color yellow() { return rgba(1, 1, 0); }

    // False (and the outputs untouched) for a colour made from RGB components.
    bool getWhite(double& w, double& alpha) const
    {
        if (!isWhiteSpace)
            return false;
        w = r;
        alpha = a;
        return true;
    }
    void getRGBA(double& red, double& green, double& blue, double& alpha) const
    {
        red = r;
        green = g;
        blue = b;
        alpha = a;
    }
    [[nodiscard]] constexpr Color withAlpha(double alpha) const { return {r, g, b, alpha, isWhiteSpace}; }
    constexpr bool isClear() const { return a == 0; }

    constexpr bool operator==(const Color&) const = default;

    // Relative luminance of the opaque colour (sRGB), 0 for black to 1 for white.
    [[nodiscard]] double luminance() const
    {
        auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
    }
    // How well one colour reads on the other, from 1 (not at all) to 21 (black on white).
    [[nodiscard]] static double contrastRatio(const Color& x, const Color& y)
    {
        double lx = x.luminance(), ly = y.luminance();
        return (std::max(lx, ly) + 0.05) / (std::min(lx, ly) + 0.05);
    }
    // White or black, whichever reads better on `background`.
    [[nodiscard]] static Color readableOn(const Color& background)
    {
        return contrastRatio(white(), background) >= contrastRatio(black(), background) ? white() : black();
    }
};

} // namespace graphics
