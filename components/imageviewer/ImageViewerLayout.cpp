#include "components/imageviewer/ImageViewerLayout.h"

#include <cmath>
#include <numbers>

double ImageViewerLayout::snapshotScale(int64_t backgroundOptions)
{
    return (backgroundOptions & 1) ? double(0.94f) : 1.0;
}

double ImageViewerLayout::snapshotRotationAngle(ui::InterfaceOrientation began, ui::InterfaceOrientation now)
{
    constexpr double pi = std::numbers::pi, half = std::numbers::pi / 2;
    // Rows: began in portrait, upside down, landscape right, landscape left; columns: now.
    constexpr double kAngles[4][4] = {
        {0, pi, -half, half},
        {pi, 0, half, -half},
        {half, -half, 0, pi},
        {-half, half, pi, 0},
    };
    int from = int(began), to = int(now);
    if (from < 1 || from > 4 || to < 1 || to > 4)
        return 0;
    return kAngles[from - 1][to - 1];
}

graphics::AffineTransform ImageViewerLayout::snapshotRotation(
    ui::InterfaceOrientation began, ui::InterfaceOrientation now)
{
    double angle = snapshotRotationAngle(began, now);
    return angle == 0 ? graphics::AffineTransform() : graphics::AffineTransform::makeRotation(angle);
}

graphics::Size ImageViewerLayout::aspectFit(graphics::Size size, graphics::Size box)
{
    double w = size.width, h = size.height;
    if (h > w) {
        if (box.height / box.width >= h / w)
            return {box.width, box.width * h / w};
        return {box.height * w / h, box.height};
    }
    if (box.width / box.height >= w / h)
        return {box.height * w / h, box.height};
    return {box.width, box.width * h / w};
}

graphics::Rect ImageViewerLayout::resizedFrame(
    graphics::Size imageSize, graphics::Size viewSize, double zoomScale)
{
    graphics::Size box {viewSize.width * zoomScale, viewSize.height * zoomScale};
    if (!(imageSize.width > 0) || !(imageSize.height > 0))
        imageSize = box;
    graphics::Size fitted = aspectFit(imageSize, box);
    return {0, 0, fitted.width, fitted.height};
}

graphics::EdgeInsets ImageViewerLayout::contentInset(graphics::Size scrollViewSize,
    std::optional<graphics::Size> imageSize, graphics::Size viewSize, double zoomScale)
{
    graphics::Size image = scrollViewSize;
    if (imageSize) {
        if (imageSize->height > 0)
            image.height = imageSize->height;
        if (imageSize->width > 0)
            image.width = imageSize->width;
    }
    graphics::Size fitted = aspectFit(image, scrollViewSize);
    if (fitted.height * zoomScale > viewSize.height && fitted.width * zoomScale > viewSize.width)
        return {};
    double vertical = scrollViewSize.height - fitted.height * zoomScale;
    double horizontal = scrollViewSize.width - fitted.width * zoomScale;
    graphics::EdgeInsets insets;
    if (vertical > 0)
        insets.top = insets.bottom = vertical / 2;
    if (horizontal > 0)
        insets.left = insets.right = horizontal / 2;
    return insets;
}

double ImageViewerLayout::textTopInset(double boundsHeight, double textHeight)
{
    if (!(boundsHeight > textHeight))
        return 0;
    return 0.5 * double(std::round(float(boundsHeight - textHeight)));
}
