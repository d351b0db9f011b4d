#pragma once

#include "platform/graphics/ImageDecoding.h"

namespace webimage {

// The budget of an image from the network shown on the main screen (its size in pixels now).
// Main thread only.
graphics::DecodeBudget screenDecodeBudget();

} // namespace webimage
