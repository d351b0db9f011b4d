#include "components/actionsheet/ActionSheetTriangle.h"

#include "components/actionsheet/ActionSheetLayer.h"
#include "platform/ui/Screen.h"

#include <array>

using graphics::BezierPath;
using graphics::Point;
using graphics::Rect;

std::shared_ptr<ActionSheetTriangle> ActionSheetTriangle::create()
{
    return std::make_shared<ActionSheetTriangle>();
}

ActionSheetTriangle::ActionSheetTriangle()
    : ui::View(Rect {}, [](ui::View& view) { return std::make_unique<ActionSheetLayer>(view); })
{
    setUserInteractionEnabled(false);
}

void ActionSheetTriangle::setFrame(Rect frame, unsigned arrowDirection)
{
    ui::View::setFrame(frame);
    const double w = frame.width();
    const double h = frame.height();

    std::array<Point, 3> corners;
    Rect shadowMask;
    switch (arrowDirection) {
    case 0:
        corners = {Point {w, 0}, Point {0, h / 2}, Point {w, h}};
        shadowMask = {-5, 0, w + 5, h + 10};
        break;
    case 1:
        corners = {Point {0, 0}, Point {w, h / 2}, Point {0, h}};
        shadowMask = {0, 0, w + 5, h + 10};
        break;
    case 2:
        corners = {Point {0, h}, Point {w / 2, 0}, Point {w, h}};
        shadowMask = {0, -5, w + 10, h + 5};
        break;
    case 3:
        corners = {Point {0, 0}, Point {w / 2, h}, Point {w, 0}};
        shadowMask = {0, 0, w + 10, h + 5};
        break;
    default:
        break;
    }

    auto& shape = static_cast<ActionSheetLayer&>(layer());
    const bool valid = arrowDirection <= 3;
    BezierPath path;
    BezierPath sides;
    if (valid) {
        path.moveTo(corners[0]);
        path.addLineTo(corners[1]);
        path.addLineTo(corners[2]);
        path.closePath();
        sides.moveTo(corners[0]);
        sides.addLineTo(corners[1]);
        sides.addLineTo(corners[2]);
    }
    shape.setPath(path);
    shape.setShadowPath(sides);

    auto mask = ui::View::create(shadowMask);
    mask->setBackgroundColor(graphics::Color::black());
    shape.setMask(valid ? mask : nullptr);

    shape.setShadowColor(graphics::Color::black());
    shape.setShadowOffset({0, 0});
    shape.setShadowRadius(4);
    shape.setShadowOpacity(0.2);
    shape.setContentsScale(ui::Screen::mainScreen().scale());
    shape.setFillColor(graphics::Color::white());
}
