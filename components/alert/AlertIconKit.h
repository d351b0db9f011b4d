#pragma once

#include <memory>

namespace graphics {
class GraphicsContext;
class Image;
} // namespace graphics

// The six icons of the alert's circle badge, vector drawings on an 80 x 80 point canvas. Each
// image is rendered once per process at the screen's scale and then shared.
class AlertIconKit final {
public:
    AlertIconKit() = delete;

    // Draw into a context whose user space is the 80 x 80 canvas.
    static void drawCheckmark(graphics::GraphicsContext&);
    static void drawCross(graphics::GraphicsContext&);
    static void drawNotice(graphics::GraphicsContext&);
    static void drawWarning(graphics::GraphicsContext&);
    static void drawInfo(graphics::GraphicsContext&);
    static void drawEdit(graphics::GraphicsContext&);

    static std::shared_ptr<graphics::Image> imageOfCheckmark();
    static std::shared_ptr<graphics::Image> imageOfCross();
    static std::shared_ptr<graphics::Image> imageOfNotice();
    static std::shared_ptr<graphics::Image> imageOfWarning();
    static std::shared_ptr<graphics::Image> imageOfInfo();
    static std::shared_ptr<graphics::Image> imageOfEdit();
};
