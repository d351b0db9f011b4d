#pragma once

#include "platform/graphics/Color.h"

#include <memory>
#include <optional>

namespace graphics {
class Image;
}

// The image viewer's frosted-glass copies of images: the same blur, saturation, mask and tint as
// the alert's ImageEffects, under the viewer's own names, with a lighter dark effect.
class ImageViewerEffects final {
public:
    using ImagePtr = std::shared_ptr<graphics::Image>;

    static ImagePtr IV_applyLightEffect(const graphics::Image&);
    static ImagePtr IV_applyExtraLightEffect(const graphics::Image&);
    // Blur 5 under black at alpha 0.5.
    static ImagePtr IV_applyDarkEffect(const graphics::Image&);
    // Blur 10 with the colour at alpha 0.6 and the colours inverted in saturation (-1).
    static ImagePtr IV_applyTintEffectWithColor(const graphics::Image&, graphics::Color);

    // ImageEffects::applyBlurWithRadius, with its checks and log lines.
    static ImagePtr IV_applyBlurWithRadius(const graphics::Image&, double blurRadius,
        std::optional<graphics::Color> tintColor, double saturationDeltaFactor,
        const graphics::Image* maskImage = nullptr);
};
