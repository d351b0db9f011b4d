#pragma once

#include "components/alert/ModalAlertView.h"
#include "platform/foundation/Format.h"
#include "platform/ui/Screen.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace alerttest {

inline std::string text(graphics::Rect r)
{
    return foundation::format("(%g, %g, %g, %g)", r.minX(), r.minY(), r.width(), r.height());
}

// Where a view lies on the screen (the portrait screen before 8.0, the interface turning inside it).
inline graphics::Rect onScreen(const ui::View& view)
{
    return view.convertRectToView(view.bounds(), nullptr);
}

// The alert's text fields, then its buttons.
inline std::vector<std::shared_ptr<ui::View>> controlsOf(const ModalAlertView& alert)
{
    std::vector<std::shared_ptr<ui::View>> controls(alert.inputs().begin(), alert.inputs().end());
    controls.insert(controls.end(), alert.buttons().begin(), alert.buttons().end());
    return controls;
}

// Every one of `parts` lies whole on the screen, clear of `bar` (when there is one), and is drawn
// where it lies (a button filled with `buttonColor`, anything else white inside its corner);
// `below`, what the alert covers, is dimmed to its corners.
inline void expectUsable(const std::vector<std::shared_ptr<ui::View>>& parts, const ui::View* bar,
    const ui::View& below, graphics::Color buttonColor)
{
    // Turned coordinates come out of a rotation: a hundredth of a point either way is the same place.
    const graphics::Rect shown = ui::Screen::mainScreen().bounds().insetBy(-0.01, -0.01);
    const graphics::Rect barPlace = bar ? onScreen(*bar).insetBy(0.01, 0.01) : graphics::Rect {};
    auto probe = mivo::test::PixelProbe::screen();
    for (const auto& part : parts) {
        const graphics::Rect place = onScreen(*part);
        EXPECT_TRUE(shown.contains(place)) << part->className() << " at " << text(place);
        EXPECT_FALSE(barPlace.intersects(place)) << part->className() << " under the bar at " << text(place);
        const bool isButton = std::dynamic_pointer_cast<ModalAlertButton>(part) != nullptr;
        const graphics::Point inside
            = isButton ? place.center() : graphics::Point {place.minX() + 4, place.minY() + 4};
        EXPECT_TRUE(probe.covers(inside, isButton ? buttonColor : graphics::Color::white()))
            << part->className() << " not drawn at " << text(place);
    }
    const graphics::Rect area = onScreen(below);
    for (double x : {area.minX() + 3, area.maxX() - 3}) {
        for (double y : {area.minY() + 3, area.maxY() - 3}) {
            const graphics::Color seen = probe.colorAt({x, y});
            EXPECT_LT(seen.r + seen.g + seen.b, 1.2) << "not dimmed at " << x << ", " << y;
        }
    }
}

} // namespace alerttest
