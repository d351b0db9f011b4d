#include "platform/ui/ActivityIndicatorView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {

using graphics::Color;
using graphics::Rect;

double ActivityIndicatorView::sideForStyle(ActivityIndicatorViewStyle style)
{
    return style == ActivityIndicatorViewStyle::WhiteLarge ? 37 : 20;
}

std::shared_ptr<ActivityIndicatorView> ActivityIndicatorView::create(ActivityIndicatorViewStyle style)
{
    double side = sideForStyle(style);
    return std::make_shared<ActivityIndicatorView>(Rect {0, 0, side, side}, style);
}

std::shared_ptr<ActivityIndicatorView> ActivityIndicatorView::create(Rect frame)
{
    return std::make_shared<ActivityIndicatorView>(frame, ActivityIndicatorViewStyle::White);
}

ActivityIndicatorView::ActivityIndicatorView(Rect frame, ActivityIndicatorViewStyle style)
    : View(frame)
    , m_style(style)
{
    setOpaque(false);
    setUserInteractionEnabled(false);
    setHidden(true);
}

ActivityIndicatorView::~ActivityIndicatorView()
{
    if (m_frameCallback)
        foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
}

void ActivityIndicatorView::setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style)
{
    m_style = style;
    setNeedsDisplay();
}

Color ActivityIndicatorView::color() const
{
    if (m_color)
        return *m_color;
    return m_style == ActivityIndicatorViewStyle::Gray ? Color::gray() : Color::white();
}

void ActivityIndicatorView::setColor(std::optional<Color> color)
{
    m_color = color;
    setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    m_hidesWhenStopped = hides;
    if (!isAnimating())
        setHidden(hides);
}

void ActivityIndicatorView::startAnimating()
{
    if (isAnimating())
        return;
    m_start = foundation::RunLoop::main().now();
    m_lastSpoke = 0;
    setHidden(false);
    std::weak_ptr<ActivityIndicatorView> weak = sharedAs<ActivityIndicatorView>();
    m_frameCallback = foundation::RunLoop::main().addFrameCallback([weak](double) {
        auto self = weak.lock();
        if (!self)
            return;
        int spoke = self->leadingSpoke();
        if (spoke != self->m_lastSpoke) {
            self->m_lastSpoke = spoke;
            self->setNeedsDisplay();
        }
    });
    setNeedsDisplay();
}

void ActivityIndicatorView::stopAnimating()
{
    if (!isAnimating())
        return;
    foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
    m_frameCallback = 0;
    if (m_hidesWhenStopped)
        setHidden(true);
    setNeedsDisplay();
}

int ActivityIndicatorView::leadingSpoke() const
{
    if (!isAnimating())
        return 0;
    double elapsed = foundation::RunLoop::main().now() - m_start;
    double turns = elapsed / kPeriod;
    return int(std::floor((turns - std::floor(turns)) * kSpokes)) % kSpokes;
}

graphics::Size ActivityIndicatorView::sizeThatFits(graphics::Size) const
{
    double side = sideForStyle(m_style);
    return {side, side};
}

void ActivityIndicatorView::draw(graphics::GraphicsContext& context, Rect b)
{
    double side = std::min(b.width(), b.height());
    graphics::Point c = b.center();
    double outer = side / 2, inner = side / 4.5;
    double width = std::max(1.5, side / 12);
    int lead = leadingSpoke();
    Color base = color();
    context.save();
    context.setLineWidth(width);
    context.setLineCap(graphics::LineCap::Round);
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is brightest; the ones behind it fade out.
        int behind = (lead - i + kSpokes) % kSpokes;
        double alpha = isAnimating() ? 1.0 - 0.75 * behind / (kSpokes - 1) : 0.25 + 0.75 * (i == 0);
        double angle = 2 * std::numbers::pi * i / kSpokes - std::numbers::pi / 2;
        double cx = std::cos(angle), cy = std::sin(angle);
        context.setStrokeColor(base.withAlpha(base.a * alpha));
        context.moveTo({c.x + cx * inner, c.y + cy * inner});
        context.lineTo({c.x + cx * (outer - width / 2), c.y + cy * (outer - width / 2)});
        context.strokePath();
    }
    context.restore();
}

} // namespace ui
