#include "platform/ui/AnimationValue.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace ui {

namespace {

double lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

struct Decomposed {
    double tx, ty, rotation, sx, sy, shear;
};

// M = S * H * R (scale, shear, rotation) followed by the translation, in the row-vector layout.
Decomposed decompose(const graphics::AffineTransform& m)
{
    Decomposed d {};
    d.tx = m.tx;
    d.ty = m.ty;
    d.sx = std::hypot(m.a, m.b);
    d.rotation = d.sx != 0 ? std::atan2(m.b, m.a) : 0;
    double cs = std::cos(d.rotation), sn = std::sin(d.rotation);
    // Second row expressed in the rotated basis.
    double c1 = m.c * cs + m.d * sn;
    double d1 = -m.c * sn + m.d * cs;
    d.sy = d1;
    d.shear = c1;
    return d;
}

graphics::AffineTransform recompose(const Decomposed& d)
{
    double cs = std::cos(d.rotation), sn = std::sin(d.rotation);
    graphics::AffineTransform m;
    m.a = d.sx * cs;
    m.b = d.sx * sn;
    m.c = d.shear * cs - d.sy * sn;
    m.d = d.shear * sn + d.sy * cs;
    m.tx = d.tx;
    m.ty = d.ty;
    return m;
}

} // namespace

graphics::AffineTransform interpolate(
    const graphics::AffineTransform& from, const graphics::AffineTransform& to, double t)
{
    if (from == to)
        return to;
    Decomposed a = decompose(from), b = decompose(to);
    // A flip shows up as a negative scale with a half-turn; keep both ends on the same side.
    double turn = b.rotation - a.rotation;
    while (turn > std::numbers::pi)
        turn -= 2 * std::numbers::pi;
    while (turn < -std::numbers::pi)
        turn += 2 * std::numbers::pi;
    Decomposed r {lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t), a.rotation + turn * t, lerp(a.sx, b.sx, t),
        lerp(a.sy, b.sy, t), lerp(a.shear, b.shear, t)};
    return recompose(r);
}

AnimationValue interpolate(const AnimationValue& from, const AnimationValue& to, double t)
{
    if (from.index() != to.index()) {
        // A 3D transform given to a "transform" animation meets the layer's affine one.
        auto as3D = [](const AnimationValue& v) -> std::optional<Transform3D> {
            if (auto t3 = std::get_if<Transform3D>(&v))
                return *t3;
            if (auto affine = std::get_if<graphics::AffineTransform>(&v))
                return Transform3D::fromAffine(*affine);
            return std::nullopt;
        };
        auto a = as3D(from), b = as3D(to);
        if (a && b)
            return interpolate(AnimationValue(*a), AnimationValue(*b), t);
        return to;
    }
    return std::visit(
        [&](const auto& a) -> AnimationValue {
            using T = std::decay_t<decltype(a)>;
            const T& b = std::get<T>(to);
            if constexpr (std::is_same_v<T, double>) {
                return lerp(a, b, t);
            } else if constexpr (std::is_same_v<T, graphics::Point>) {
                return graphics::Point {lerp(a.x, b.x, t), lerp(a.y, b.y, t)};
            } else if constexpr (std::is_same_v<T, graphics::Size>) {
                return graphics::Size {lerp(a.width, b.width, t), lerp(a.height, b.height, t)};
            } else if constexpr (std::is_same_v<T, graphics::Rect>) {
                return graphics::Rect {lerp(a.origin.x, b.origin.x, t), lerp(a.origin.y, b.origin.y, t),
                    lerp(a.size.width, b.size.width, t), lerp(a.size.height, b.size.height, t)};
            } else if constexpr (std::is_same_v<T, graphics::Color>) {
                graphics::Color c = graphics::Color::rgba(
                    lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t), lerp(a.a, b.a, t));
                c.isWhiteSpace = a.isWhiteSpace && b.isWhiteSpace;
                return c;
            } else if constexpr (std::is_same_v<T, graphics::AffineTransform>) {
                return interpolate(a, b, t);
            } else {
                if (a.isAffine() && b.isAffine())
                    return Transform3D::fromAffine(interpolate(a.affine(), b.affine(), t));
                auto mix = [&](double Transform3D::*m) { return lerp(a.*m, b.*m, t); };
                Transform3D r;
                for (auto m : {&Transform3D::m11, &Transform3D::m12, &Transform3D::m13, &Transform3D::m14,
                         &Transform3D::m21, &Transform3D::m22, &Transform3D::m23, &Transform3D::m24,
                         &Transform3D::m31, &Transform3D::m32, &Transform3D::m33, &Transform3D::m34,
                         &Transform3D::m41, &Transform3D::m42, &Transform3D::m43, &Transform3D::m44})
                    r.*m = mix(m);
                return r;
            }
        },
        from);
}

} // namespace ui
