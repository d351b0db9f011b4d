#include "components/imageviewer/ImageViewerEffects.h"

#include "components/alert/ImageEffects.h"
#include "platform/graphics/Image.h"

using graphics::Color;
using graphics::Image;

ImageViewerEffects::ImagePtr ImageViewerEffects::IV_applyLightEffect(const Image& image)
{
    return IV_applyBlurWithRadius(image, 30, Color::white(1.0, 0.3), 1.8);
}

ImageViewerEffects::ImagePtr ImageViewerEffects::IV_applyExtraLightEffect(const Image& image)
{
    return IV_applyBlurWithRadius(image, 20, Color::white(0.97, 0.82), 1.8);
}

ImageViewerEffects::ImagePtr ImageViewerEffects::IV_applyDarkEffect(const Image& image)
{
    return IV_applyBlurWithRadius(image, 5, Color::white(0.0, 0.5), 1.8);
}

ImageViewerEffects::ImagePtr ImageViewerEffects::IV_applyTintEffectWithColor(const Image& image, Color color)
{
    // Same figures and colour handling as the alert's tint effect.
    return ImageEffects::applyTintEffectWithColor(image, color);
}

ImageViewerEffects::ImagePtr ImageViewerEffects::IV_applyBlurWithRadius(const Image& image, double blurRadius,
    std::optional<Color> tintColor, double saturationDeltaFactor, const Image* maskImage)
{
    return ImageEffects::applyBlurWithRadius(image, blurRadius, tintColor, saturationDeltaFactor, maskImage);
}
