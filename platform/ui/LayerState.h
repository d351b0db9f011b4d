#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <optional>

namespace ui {

// The animatable properties of a layer. A layer keeps one as its model (what the getters return)
// and computes another as its presentation (what is on screen right now, animations applied).
struct LayerState {
    graphics::Rect bounds;
    graphics::Point position; // the view's centre, in the superview's coordinates
    graphics::AffineTransform transform;
    double opacity {1};
    std::optional<graphics::Color> backgroundColor;
    double cornerRadius {0};
    double borderWidth {0};
    graphics::Color borderColor {graphics::Color::black()};
    std::optional<graphics::Color> shadowColor {graphics::Color::black()};
    double shadowOpacity {0};
    graphics::Size shadowOffset {0, -3};
    double shadowRadius {3};

    // The transformed bounds' bounding box around the position, as the view's frame.
    graphics::Rect frame() const;
    // Maps a point of the bounds' coordinates into the superview's, through the transform.
    graphics::Point toSuperview(graphics::Point p) const;
    graphics::Point fromSuperview(graphics::Point p) const;
    // The affine map from bounds coordinates to superview coordinates.
    graphics::AffineTransform toSuperviewTransform() const;
};

} // namespace ui
