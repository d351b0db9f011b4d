#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/ViewTypes.h"

#include <cstdint>
#include <optional>

// The image viewer's layout arithmetic, free of views: the snapshot's counter-rotation, the
// aspect fit of the image, the insets that centre it, and the text's vertical centring.
class ImageViewerLayout final {
public:
    // The snapshot's scale while the viewer is open: 0.94 (in single precision) with the scaled
    // background option, else 1.
    static double snapshotScale(int64_t backgroundOptions);
    // The rotation that keeps the snapshot of the screen behind in the orientation the
    // presentation began in, now that the interface stands in `now`.
    static graphics::AffineTransform snapshotRotation(
        ui::InterfaceOrientation began, ui::InterfaceOrientation now);
    static double snapshotRotationAngle(ui::InterfaceOrientation began, ui::InterfaceOrientation now);

    // `size` fitted into `box`, keeping its aspect ratio.
    static graphics::Size aspectFit(graphics::Size size, graphics::Size box);
    // The image view's frame for an image of `imageSize` in a view of `viewSize` at `zoomScale`;
    // a size that is not above 0 in either axis gives the zoomed box.
    static graphics::Rect resizedFrame(graphics::Size imageSize, graphics::Size viewSize, double zoomScale);
    // Insets that centre the image fitted into the scroll view at `zoomScale`; an axis of the
    // image that is not above 0 (or no image) takes the scroll view's.
    static graphics::EdgeInsets contentInset(graphics::Size scrollViewSize,
        std::optional<graphics::Size> imageSize, graphics::Size viewSize, double zoomScale);
    // The top inset that centres text of `textHeight` in `boundsHeight`.
    static double textTopInset(double boundsHeight, double textHeight);
};
