#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace ui {

// The platform's blur styles, with its numbering.
enum class BlurEffectStyle : int64_t { ExtraLight = 0, Light = 1, Dark = 2 };

// What a blur style does to the backdrop: how far it blurs (points) and the tint laid over it.
struct BlurEffect {
    BlurEffectStyle style {BlurEffectStyle::Light};

    static BlurEffect effectWithStyle(BlurEffectStyle style) { return BlurEffect {style}; }
    double radius() const;
    graphics::Color tint() const;
};

// A view that shows what lies behind it blurred and tinted by its effect, redrawn live on every
// frame; without an effect it is clear. Its subviews go into contentView, which is drawn sharp
// on top of the blur.
class VisualEffectView : public View {
public:
    static std::shared_ptr<VisualEffectView> create(
        std::optional<BlurEffect> effect, graphics::Rect frame = {});
    // Use create(): it puts the content view in.
    VisualEffectView(std::optional<BlurEffect> effect, graphics::Rect frame);

    const char* className() const override { return "VisualEffectView"; }

    const std::optional<BlurEffect>& effect() const { return m_effect; }
    void setEffect(std::optional<BlurEffect> effect);
    const std::shared_ptr<View>& contentView() const { return m_contentView; }

private:
    std::optional<BlurEffect> m_effect;
    std::shared_ptr<View> m_contentView;
};

} // namespace ui
