#pragma once

#include "platform/graphics/Color.h"

#include <memory>
#include <optional>

namespace graphics {
class Image;
}
namespace ui {
class View;
}

// Frosted-glass copies of images for the alert's blurred backdrop: a box-blurred,
// saturation-changed, optionally masked and tinted copy of an image, plus one-colour images and
// snapshots of views. Results are at the main screen's scale.
class ImageEffects final {
public:
    using ImagePtr = std::shared_ptr<graphics::Image>;

    static ImagePtr applyLightEffect(const graphics::Image&);
    static ImagePtr applyExtraLightEffect(const graphics::Image&);
    static ImagePtr applyDarkEffect(const graphics::Image&);
    // Blur 10 with the colour at alpha 0.6 and the colours inverted in saturation (-1).
    static ImagePtr applyTintEffectWithColor(const graphics::Image&, graphics::Color);

    // The image drawn, then its blurred and saturation-changed copy over it (through the mask's
    // alpha when a mask is given), then the tint over everything. A radius or a factor change
    // below single precision's epsilon counts as none. Logs and returns nullptr when the image is
    // smaller than 1 x 1 point or either image has no bitmap.
    static ImagePtr applyBlurWithRadius(const graphics::Image&, double blurRadius,
        std::optional<graphics::Color> tintColor, double saturationDeltaFactor,
        const graphics::Image* maskImage = nullptr);

    // 1 x 1 point at scale 1, filled with the colour.
    static ImagePtr imageWithColor(graphics::Color);
    // Opaque snapshots at the screen's scale: of the key window, or of a view's hierarchy.
    static ImagePtr convertViewToImage();
    static ImagePtr convertViewToImage(ui::View&);
};
