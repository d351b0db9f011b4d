#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Transform3D.h"

#include <variant>

namespace ui {

// Any value a layer property can take while animating.
using AnimationValue = std::variant<double, graphics::Point, graphics::Size, graphics::Rect,
    graphics::AffineTransform, graphics::Color, Transform3D>;

// Mixes two values of the same kind; t may leave 0..1 (springs overshoot). Transforms are
// decomposed into translation, rotation, scale and shear so a rotation does not shrink midway.
// Values of different kinds give `to`.
AnimationValue interpolate(const AnimationValue& from, const AnimationValue& to, double t);

graphics::AffineTransform interpolate(
    const graphics::AffineTransform& from, const graphics::AffineTransform& to, double t);

} // namespace ui
