#pragma once

#include "platform/graphics/AffineTransform.h"

namespace ui {

// A layer's 4x4 transform (row vectors, as the platform's), used as far as scale, translation and
// rotation about z go; the renderer draws its affine part.
struct Transform3D {
    double m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    double m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    double m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    double m41 = 0, m42 = 0, m43 = 0, m44 = 1;

    static constexpr Transform3D identity() { return {}; }
    static constexpr Transform3D makeScale(double sx, double sy, double sz)
    {
        Transform3D t;
        t.m11 = sx;
        t.m22 = sy;
        t.m33 = sz;
        return t;
    }
    static constexpr Transform3D makeTranslation(double tx, double ty, double tz)
    {
        Transform3D t;
        t.m41 = tx;
        t.m42 = ty;
        t.m43 = tz;
        return t;
    }
    static Transform3D makeRotationZ(double radians);
    static constexpr Transform3D fromAffine(const graphics::AffineTransform& a)
    {
        Transform3D t;
        t.m11 = a.a;
        t.m12 = a.b;
        t.m21 = a.c;
        t.m22 = a.d;
        t.m41 = a.tx;
        t.m42 = a.ty;
        return t;
    }
    // This transform first, then `o`.
    [[nodiscard]] Transform3D concatenated(const Transform3D& o) const;
    constexpr graphics::AffineTransform affine() const { return {m11, m12, m21, m22, m41, m42}; }
    constexpr bool isAffine() const
    {
        return m13 == 0 && m14 == 0 && m23 == 0 && m24 == 0 && m31 == 0 && m32 == 0 && m33 == 1 && m34 == 0
            && m43 == 0 && m44 == 1;
    }
    constexpr bool isIdentity() const { return *this == identity(); }
    constexpr bool operator==(const Transform3D&) const = default;
};

} // namespace ui
