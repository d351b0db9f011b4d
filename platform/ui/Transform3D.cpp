#include "platform/ui/Transform3D.h"

#include <cmath>

namespace ui {

Transform3D Transform3D::makeRotationZ(double radians)
{
    Transform3D t;
    double c = std::cos(radians), s = std::sin(radians);
    t.m11 = c;
    t.m12 = s;
    t.m21 = -s;
    t.m22 = c;
    return t;
}

Transform3D Transform3D::concatenated(const Transform3D& o) const
{
    const double a[4][4]
        = {{m11, m12, m13, m14}, {m21, m22, m23, m24}, {m31, m32, m33, m34}, {m41, m42, m43, m44}};
    const double b[4][4] = {{o.m11, o.m12, o.m13, o.m14}, {o.m21, o.m22, o.m23, o.m24},
        {o.m31, o.m32, o.m33, o.m34}, {o.m41, o.m42, o.m43, o.m44}};
    double r[4][4] = {};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                r[i][j] += a[i][k] * b[k][j];
    return {r[0][0], r[0][1], r[0][2], r[0][3], r[1][0], r[1][1], r[1][2], r[1][3], r[2][0], r[2][1], r[2][2],
        r[2][3], r[3][0], r[3][1], r[3][2], r[3][3]};
}

} // namespace ui
