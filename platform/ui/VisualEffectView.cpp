#include "platform/ui/VisualEffectView.h"

namespace ui {

double BlurEffect::radius() const
{
    return style == BlurEffectStyle::Dark ? 25 : 20;
}

graphics::Color BlurEffect::tint() const
{
    switch (style) {
    case BlurEffectStyle::ExtraLight:
        return graphics::Color::white(0.97, 0.82);
    case BlurEffectStyle::Light:
        return graphics::Color::white(1, 0.3);
    case BlurEffectStyle::Dark:
        return graphics::Color::white(0.11, 0.73);
    }
    return graphics::Color::clear();
}

std::shared_ptr<VisualEffectView> VisualEffectView::create(
    std::optional<BlurEffect> effect, graphics::Rect frame)
{
    auto view = std::make_shared<VisualEffectView>(effect, frame);
    view->addSubview(view->m_contentView);
    return view;
}

VisualEffectView::VisualEffectView(std::optional<BlurEffect> effect, graphics::Rect frame)
    : View(frame)
    , m_effect(effect)
    , m_contentView(View::create({0, 0, frame.width(), frame.height()}))
{
    setOpaque(false);
    m_contentView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
}

void VisualEffectView::setEffect(std::optional<BlurEffect> effect)
{
    m_effect = effect;
    setNeedsDisplay();
    markDisplayChanged();
}

} // namespace ui
