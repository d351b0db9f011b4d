#pragma once

#include "platform/graphics/Geometry.h"

namespace graphics {

// 2D affine map: x' = a*x + c*y + tx, y' = b*x + d*y + ty (the phone platform's layout).
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static constexpr AffineTransform identity() { return {}; }
    static constexpr AffineTransform makeTranslation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
    static constexpr AffineTransform makeScale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform makeRotation(double radians);

    // The helpers below put the new operation before this transform, so translated(...).apply(p)
    // translates p first and then applies this transform.
    [[nodiscard]] constexpr AffineTransform translated(double x, double y) const
    {
        return makeTranslation(x, y).concatenated(*this);
    }
    [[nodiscard]] constexpr AffineTransform scaled(double sx, double sy) const
    {
        return makeScale(sx, sy).concatenated(*this);
    }
    [[nodiscard]] AffineTransform rotated(double radians) const
    {
        return makeRotation(radians).concatenated(*this);
    }
    // This transform first, then `o`.
    [[nodiscard]] constexpr AffineTransform concatenated(const AffineTransform& o) const
    {
        return {a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c, c * o.b + d * o.d,
            tx * o.a + ty * o.c + o.tx, tx * o.b + ty * o.d + o.ty};
    }
    constexpr double determinant() const { return a * d - b * c; }
    constexpr bool isInvertible() const { return determinant() != 0; }
    // A singular transform is returned unchanged, as the phone platform does.
    [[nodiscard]] constexpr AffineTransform inverted() const
    {
        double det = determinant();
        if (det == 0)
            return *this;
        return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
    }
    constexpr bool isIdentity() const { return *this == identity(); }
    constexpr Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    constexpr Size apply(Size s) const { return {a * s.width + c * s.height, b * s.width + d * s.height}; }
    // Bounding box of the transformed rect.
    Rect apply(const Rect& r) const;

    constexpr bool operator==(const AffineTransform&) const = default;
};

} // namespace graphics
