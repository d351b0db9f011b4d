#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

namespace ui {

enum class ProgressViewStyle { Default = 0, Bar = 1 };

// A track with a bar filled to the progress (0..1). The bar is a subview, so an animated change
// runs as a view animation of its frame.
class ProgressView : public View {
public:
    static constexpr double kDefaultHeight = 2;
    static constexpr double kAnimationDuration = 0.25;

    static std::shared_ptr<ProgressView> create(ProgressViewStyle style = ProgressViewStyle::Default);
    static std::shared_ptr<ProgressView> create(graphics::Rect frame);
    explicit ProgressView(graphics::Rect frame = {}, ProgressViewStyle style = ProgressViewStyle::Default);

    const char* className() const override { return "ProgressView"; }

    ProgressViewStyle progressViewStyle() const { return m_style; }
    void setProgressViewStyle(ProgressViewStyle style);
    float progress() const { return m_progress; }
    void setProgress(float progress) { setProgress(progress, false); }
    // Values outside 0..1 are pinned.
    void setProgress(float progress, bool animated);
    std::optional<graphics::Color> progressTintColor() const { return m_progressTint; }
    void setProgressTintColor(std::optional<graphics::Color> color);
    // What the bar fills with: the progress tint, else the effective tint colour.
    graphics::Color fillColor() const;
    std::optional<graphics::Color> trackTintColor() const { return m_trackTint; }
    void setTrackTintColor(std::optional<graphics::Color> color);

    // The filled part, in bounds coordinates (model value).
    graphics::Rect barFrame() const;

    void layoutSubviews() override;
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;

private:
    View& bar();
    graphics::Rect barFrameFor(float progress) const;

    std::shared_ptr<View> m_bar;
    ProgressViewStyle m_style;
    float m_progress {0};
    std::optional<graphics::Color> m_progressTint;
    std::optional<graphics::Color> m_trackTint;
};

} // namespace ui
