#include "platform/ui/ProgressView.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

namespace ui {

using graphics::Color;
using graphics::Rect;

namespace {

constexpr Color kDefaultTrack = Color::rgba(0.72, 0.72, 0.72);

// The filled part. It asks its progress view for the colour when drawn, so a tint set on the
// progress view or on any view above it shows without telling the bar.
class ProgressFill final : public View {
public:
    explicit ProgressFill(Rect frame)
        : View(frame)
    {
        setUserInteractionEnabled(false);
        setOpaque(false);
    }
    const char* className() const override { return "ProgressFill"; }
    void draw(graphics::GraphicsContext& context, Rect rect) override
    {
        if (auto owner = std::dynamic_pointer_cast<ProgressView>(superview()))
            context.fillRect(rect, owner->fillColor());
    }
};

} // namespace

std::shared_ptr<ProgressView> ProgressView::create(ProgressViewStyle style)
{
    return std::make_shared<ProgressView>(Rect {0, 0, 0, kDefaultHeight}, style);
}

std::shared_ptr<ProgressView> ProgressView::create(Rect frame)
{
    return std::make_shared<ProgressView>(frame, ProgressViewStyle::Default);
}

ProgressView::ProgressView(Rect frame, ProgressViewStyle style)
    : View(frame)
    , m_style(style)
{
    setOpaque(false);
}

View& ProgressView::bar()
{
    if (!m_bar) {
        m_bar = std::make_shared<ProgressFill>(barFrameFor(m_progress));
        addSubview(m_bar);
    }
    return *m_bar;
}

void ProgressView::setProgressViewStyle(ProgressViewStyle style)
{
    m_style = style;
    setNeedsDisplay();
}

Rect ProgressView::barFrameFor(float progress) const
{
    Rect b = bounds();
    return {b.minX(), b.minY(), b.width() * progress, b.height()};
}

Rect ProgressView::barFrame() const
{
    return barFrameFor(m_progress);
}

void ProgressView::setProgress(float progress, bool animated)
{
    View& filled = bar();
    m_progress = std::clamp(progress, 0.0f, 1.0f);
    Rect target = barFrame();
    if (animated)
        View::animate(kAnimationDuration, [&] { filled.setFrame(target); });
    else
        View::performWithoutAnimation([&] { filled.setFrame(target); });
}

void ProgressView::setProgressTintColor(std::optional<Color> color)
{
    m_progressTint = color;
    bar().setNeedsDisplay();
}

Color ProgressView::fillColor() const
{
    return m_progressTint.value_or(effectiveTintColor());
}

void ProgressView::setTrackTintColor(std::optional<Color> color)
{
    m_trackTint = color;
    setNeedsDisplay();
}

void ProgressView::layoutSubviews()
{
    View& filled = bar();
    // Only follow size changes here; a running animation of the bar keeps its target frame.
    if (!(filled.frame() == barFrame()))
        filled.setFrame(barFrame());
}

graphics::Size ProgressView::sizeThatFits(graphics::Size size) const
{
    return {size.width > 0 ? size.width : bounds().width(), kDefaultHeight};
}

void ProgressView::draw(graphics::GraphicsContext& context, Rect rect)
{
    Color track = m_trackTint.value_or(m_style == ProgressViewStyle::Bar ? Color::clear() : kDefaultTrack);
    if (!track.isClear())
        context.fillRect(rect, track);
}

} // namespace ui
