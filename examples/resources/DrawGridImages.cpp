// Draws the shot grids' pictures at scale 2 into a folder (by default the app's Resources):
//   draw-grid-images [DIR]
// no_pic_default@2x.png, no_video_default@2x.png, icon_video@2x.png, photo-frame-2@2x.jpg and
// header_banner@2x.jpg. The pictures are ours; only their names are the app's.

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Point;
using graphics::Rect;

namespace {

constexpr double kScale = 2;

bool write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

// Draws a picture of `size` points into a scale-2 bitmap and saves it as PNG or JPEG.
bool draw(const std::filesystem::path& path, graphics::Size size, bool opaque,
    const std::function<void(GraphicsContext&, Rect)>& body)
{
    auto image = graphics::Image::create(int(size.width * kScale), int(size.height * kScale), kScale);
    {
        GraphicsContext context(*image);
        body(context, Rect {0, 0, size.width, size.height});
    }
    image->setOpaque(opaque);
    auto bytes = path.extension() == ".png" ? graphics::PngCodec::encode(*image)
                                            : graphics::JpegCodec::encode(*image, 92);
    if (!bytes || !write(path, *bytes)) {
        std::cerr << "cannot write " << path << '\n';
        return false;
    }
    std::cout << path.string() << '\n';
    return true;
}

void fillVerticalGradient(GraphicsContext& context, Rect rect, Color top, Color bottom)
{
    // Bands one pixel high: the pictures are small and this keeps to the context's own calls.
    int rows = int(rect.height() * kScale);
    for (int row = 0; row < rows; ++row) {
        double t = rows > 1 ? double(row) / (rows - 1) : 0;
        Color color = Color::rgba(
            top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t, top.b + (bottom.b - top.b) * t);
        context.fillRect({rect.minX(), rect.minY() + row / kScale, rect.width(), 1 / kScale}, color);
    }
}

// A camera body with its lens, centred on `c`, `w` points wide.
void cameraGlyph(GraphicsContext& context, Point c, double w, Color color)
{
    double h = w * 0.68;
    context.setStrokeColor(color);
    context.setLineWidth(w * 0.06);
    context.setLineJoin(graphics::LineJoin::Round);
    context.beginPath();
    context.addRoundedRect({c.x - w / 2, c.y - h / 2 + w * 0.06, w, h}, w * 0.1);
    context.strokePath();
    context.setFillColor(color);
    context.beginPath();
    context.addRoundedRect({c.x - w * 0.18, c.y - h / 2 - w * 0.08, w * 0.36, w * 0.16}, w * 0.04);
    context.fillPath();
    context.beginPath();
    context.addEllipse({c.x - w * 0.2, c.y - w * 0.2 + w * 0.06, w * 0.4, w * 0.4});
    context.strokePath();
}

// A movie camera: a box with the lens hood on its right.
void movieGlyph(GraphicsContext& context, Point c, double w, Color color)
{
    double h = w * 0.5;
    context.setFillColor(color);
    context.beginPath();
    context.addRoundedRect({c.x - w / 2, c.y - h / 2, w * 0.66, h}, w * 0.08);
    context.fillPath();
    context.beginPath();
    context.moveTo({c.x + w * 0.2, c.y - h * 0.12});
    context.lineTo({c.x + w / 2, c.y - h / 2});
    context.lineTo({c.x + w / 2, c.y + h / 2});
    context.lineTo({c.x + w * 0.2, c.y + h * 0.12});
    context.closePath();
    context.fillPath();
}

void playGlyph(GraphicsContext& context, Point c, double radius)
{
    context.setFillColor(Color::white(1, 0.9));
    context.beginPath();
    context.addEllipse({c.x - radius, c.y - radius, radius * 2, radius * 2});
    context.fillPath();
    context.setFillColor(Color::rgba(0.16, 0.33, 0.55));
    context.beginPath();
    double s = radius * 0.5;
    context.moveTo({c.x - s * 0.7, c.y - s});
    context.lineTo({c.x + s * 1.1, c.y});
    context.lineTo({c.x - s * 0.7, c.y + s});
    context.closePath();
    context.fillPath();
}

// The empty slot: a dashed border and a grey glyph on a pale ground.
void emptySlot(GraphicsContext& context, Rect r, const std::function<void(Point, double)>& glyph)
{
    context.fillRect(r, Color::white(0.93));
    context.setStrokeColor(Color::white(0.72));
    context.setLineWidth(1.5);
    context.setLineDash({6, 4});
    context.strokeRect(r.insetBy(4, 4));
    context.setLineDash({});
    glyph({r.midX(), r.midY()}, r.height() * 0.42);
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path folder = argc > 1 ? argv[1] : MIVO_RESOURCES_DIR;
    const graphics::Size slot {132, 99};
    bool ok = true;
    ok &= draw(folder / "no_pic_default@2x.png", slot, true, [](GraphicsContext& c, Rect r) {
        emptySlot(c, r, [&](Point p, double w) { cameraGlyph(c, p, w, Color::white(0.62)); });
    });
    ok &= draw(folder / "no_video_default@2x.png", slot, true, [](GraphicsContext& c, Rect r) {
        emptySlot(c, r, [&](Point p, double w) { movieGlyph(c, p, w, Color::white(0.62)); });
    });
    ok &= draw(folder / "icon_video@2x.png", slot, true, [](GraphicsContext& c, Rect r) {
        fillVerticalGradient(c, r, Color::rgba(0.20, 0.40, 0.64), Color::rgba(0.09, 0.20, 0.36));
        playGlyph(c, {r.midX(), r.midY()}, r.height() * 0.24);
    });
    ok &= draw(folder / "photo-frame-2@2x.jpg", {150, 150}, true, [](GraphicsContext& c, Rect r) {
        c.fillRect(r, Color::white(0.96));
        Rect card = r.insetBy(2, 2);
        c.setFillColor(Color::white(0.86));
        c.beginPath();
        c.addRoundedRect(card.offsetBy(0, 1), 6);
        c.fillPath();
        c.setFillColor(Color::white());
        c.beginPath();
        c.addRoundedRect(card, 6);
        c.fillPath();
        c.setStrokeColor(Color::white(0.80));
        c.setLineWidth(0.5);
        c.beginPath();
        c.addRoundedRect(card, 6);
        c.strokePath();
    });
    ok &= draw(folder / "header_banner@2x.jpg", {320, 36}, true, [](GraphicsContext& c, Rect r) {
        fillVerticalGradient(c, r, Color::rgba(0.22, 0.52, 0.86), Color::rgba(0.11, 0.36, 0.68));
        c.fillRect({0, 0, 5, r.height()}, Color::rgba(1.0, 0.72, 0.18));
        c.fillRect({0, r.height() - 1, r.width(), 1}, Color::rgba(0.06, 0.24, 0.48));
    });
    return ok ? 0 : 1;
}
