#pragma once

#include "platform/graphics/Geometry.h"

#include <gtest/gtest.h>

// Compares a rectangle with x, y, width and height, each to within 1e-6.
#define EXPECT_RECT_EQ(actual, x, y, w, h)                                                                   \
    do {                                                                                                     \
        const graphics::Rect r_ = (actual);                                                                  \
        EXPECT_NEAR(r_.minX(), (x), 1e-6);                                                                   \
        EXPECT_NEAR(r_.minY(), (y), 1e-6);                                                                   \
        EXPECT_NEAR(r_.width(), (w), 1e-6);                                                                  \
        EXPECT_NEAR(r_.height(), (h), 1e-6);                                                                 \
    } while (0)
