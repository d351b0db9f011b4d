#pragma once

#include "platform/graphics/Geometry.h"

namespace ui {

// The main screen: a phone (320 x 568 points at scale 2) unless a test or the host picks the
// tablet profile (768 x 1024 at scale 2). Setting the scale tells the graphics library.
class Screen final {
public:
    static Screen& mainScreen();

    graphics::Rect bounds() const { return {0, 0, m_size.width, m_size.height}; }
    double scale() const { return m_scale; }
    void setSize(graphics::Size size) { m_size = size; }
    void setScale(double scale);

    void usePhoneProfile();
    void useTabletProfile();

    static constexpr graphics::Size kPhoneSize {320, 568};
    static constexpr graphics::Size kTabletSize {768, 1024};

private:
    graphics::Size m_size {kPhoneSize};
    double m_scale {2};
};

} // namespace ui
