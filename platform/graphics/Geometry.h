#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace graphics {

// Value types in points. Rects follow the phone platform's rules: a negative size is read as
// its standardised form, and the "null" rect (infinite origin) is what an empty intersection or
// an over-inset produces; it is absorbed by union.
struct Point {
    double x = 0;
    double y = 0;

    constexpr bool operator==(const Point&) const = default;
    constexpr Point operator+(const Point& o) const { return {x + o.x, y + o.y}; }
    constexpr Point operator-(const Point& o) const { return {x - o.x, y - o.y}; }
    constexpr Point operator*(double f) const { return {x * f, y * f}; }
    [[nodiscard]] constexpr Point offsetBy(double dx, double dy) const { return {x + dx, y + dy}; }
    static constexpr Point zero() { return {}; }
};

struct Size {
    double width = 0;
    double height = 0;

    constexpr bool operator==(const Size&) const = default;
    constexpr Size operator*(double f) const { return {width * f, height * f}; }
    constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
    static constexpr Size zero() { return {}; }
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    constexpr bool operator==(const EdgeInsets&) const = default;
    static constexpr EdgeInsets zero() { return {}; }
};

struct Offset {
    double horizontal = 0;
    double vertical = 0;

    constexpr bool operator==(const Offset&) const = default;
    static constexpr Offset zero() { return {}; }
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s)
        : origin(o)
        , size(s)
    { }
    constexpr Rect(double x, double y, double w, double h)
        : origin {x, y}
        , size {w, h}
    { }

    static constexpr Rect zero() { return {}; }
    static constexpr Rect null()
    {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return {inf, inf, 0, 0};
    }
    constexpr bool isNull() const
    {
        return origin.x == std::numeric_limits<double>::infinity()
            || origin.y == std::numeric_limits<double>::infinity();
    }
    constexpr bool operator==(const Rect& o) const
    {
        if (isNull() || o.isNull())
            return isNull() == o.isNull();
        return origin == o.origin && size == o.size;
    }

    // Same rect with non-negative width and height.
    [[nodiscard]] constexpr Rect standardized() const
    {
        if (isNull())
            return *this;
        Rect r = *this;
        if (r.size.width < 0) {
            r.origin.x += r.size.width;
            r.size.width = -r.size.width;
        }
        if (r.size.height < 0) {
            r.origin.y += r.size.height;
            r.size.height = -r.size.height;
        }
        return r;
    }

    constexpr double minX() const { return std::min(origin.x, origin.x + size.width); }
    constexpr double maxX() const { return std::max(origin.x, origin.x + size.width); }
    constexpr double midX() const { return origin.x + size.width / 2; }
    constexpr double minY() const { return std::min(origin.y, origin.y + size.height); }
    constexpr double maxY() const { return std::max(origin.y, origin.y + size.height); }
    constexpr double midY() const { return origin.y + size.height / 2; }
    constexpr double width() const { return size.width < 0 ? -size.width : size.width; }
    constexpr double height() const { return size.height < 0 ? -size.height : size.height; }
    constexpr Point center() const { return {midX(), midY()}; }
    constexpr bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

    // Half-open: a point on the max edges is outside, as for hit testing.
    constexpr bool contains(Point p) const
    {
        return !isEmpty() && p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    constexpr bool contains(const Rect& r) const
    {
        if (isNull() || r.isNull())
            return false;
        return r.minX() >= minX() && r.maxX() <= maxX() && r.minY() >= minY() && r.maxY() <= maxY();
    }
    // True when the two share some area (touching edges do not count).
    constexpr bool intersects(const Rect& r) const { return !intersection(r).isEmpty(); }

    [[nodiscard]] constexpr Rect insetBy(double dx, double dy) const
    {
        if (isNull())
            return *this;
        Rect s = standardized();
        Rect r {s.origin.x + dx, s.origin.y + dy, s.size.width - 2 * dx, s.size.height - 2 * dy};
        if (r.size.width < 0 || r.size.height < 0)
            return null();
        return r;
    }
    [[nodiscard]] constexpr Rect insetBy(const EdgeInsets& e) const
    {
        if (isNull())
            return *this;
        Rect s = standardized();
        return {s.origin.x + e.left, s.origin.y + e.top, s.size.width - e.left - e.right,
            s.size.height - e.top - e.bottom};
    }
    [[nodiscard]] constexpr Rect offsetBy(double dx, double dy) const
    {
        if (isNull())
            return *this;
        return {origin.x + dx, origin.y + dy, size.width, size.height};
    }
    // The null rect is absorbed; a zero-sized rect still counts as its origin point.
    [[nodiscard]] constexpr Rect unionWith(const Rect& r) const
    {
        if (isNull())
            return r.standardized();
        if (r.isNull())
            return standardized();
        double x0 = std::min(minX(), r.minX()), y0 = std::min(minY(), r.minY());
        double x1 = std::max(maxX(), r.maxX()), y1 = std::max(maxY(), r.maxY());
        return {x0, y0, x1 - x0, y1 - y0};
    }
    // Disjoint rects give the null rect; rects that only touch give a zero-sized rect on the edge.
    [[nodiscard]] constexpr Rect intersection(const Rect& r) const
    {
        if (isNull() || r.isNull())
            return null();
        double x0 = std::max(minX(), r.minX()), y0 = std::max(minY(), r.minY());
        double x1 = std::min(maxX(), r.maxX()), y1 = std::min(maxY(), r.maxY());
        if (x1 < x0 || y1 < y0)
            return null();
        return {x0, y0, x1 - x0, y1 - y0};
    }
    // Smallest rect with integer coordinates containing this one.
    [[nodiscard]] Rect integral() const
    {
        if (isNull())
            return *this;
        double x0 = std::floor(minX()), y0 = std::floor(minY());
        double x1 = std::ceil(maxX()), y1 = std::ceil(maxY());
        return {x0, y0, x1 - x0, y1 - y0};
    }
};

constexpr double lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}
constexpr Point lerp(Point a, Point b, double t)
{
    return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)};
}
constexpr Rect lerp(const Rect& a, const Rect& b, double t)
{
    return {lerp(a.origin.x, b.origin.x, t), lerp(a.origin.y, b.origin.y, t),
        lerp(a.size.width, b.size.width, t), lerp(a.size.height, b.size.height, t)};
}

} // namespace graphics
