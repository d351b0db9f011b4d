#include "platform/ui/LayerState.h"

namespace ui {

graphics::AffineTransform LayerState::toSuperviewTransform() const
{
    graphics::Point mid = bounds.center();
    return graphics::AffineTransform::makeTranslation(-mid.x, -mid.y)
        .concatenated(transform)
        .concatenated(graphics::AffineTransform::makeTranslation(position.x, position.y));
}

graphics::Rect LayerState::frame() const
{
    if (transform.isIdentity()) {
        graphics::Rect b = bounds.standardized();
        return {position.x - b.width() / 2, position.y - b.height() / 2, b.width(), b.height()};
    }
    graphics::Rect b = bounds.standardized();
    graphics::Rect local {-b.width() / 2, -b.height() / 2, b.width(), b.height()};
    graphics::Rect r = transform.apply(local);
    return r.offsetBy(position.x, position.y);
}

graphics::Point LayerState::toSuperview(graphics::Point p) const
{
    return toSuperviewTransform().apply(p);
}

graphics::Point LayerState::fromSuperview(graphics::Point p) const
{
    return toSuperviewTransform().inverted().apply(p);
}

} // namespace ui
