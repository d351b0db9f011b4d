#pragma once

#include "platform/graphics/Forward.h"

#include <memory>
#include <string>

namespace ui {

// An image of the app's resources by name, as the platform's imageNamed: "name", "name.png" or
// "name.jpg", preferring the "@2x" file (scale 2) beside it. Kept once loaded; nullptr when there
// is no such resource.
std::shared_ptr<graphics::Image> imageNamed(const std::string& name);

} // namespace ui
