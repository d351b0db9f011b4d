#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// An image marked opaque is drawn as one that is not marked, scaled or not, at any alpha.
TEST(OpaqueImageDrawTest, DrawsAsTheSameImageUnmarked)
{
    auto source = graphics::Image::create(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            source->setPixel(x, y, 0xFF000000u | uint32_t(x * 6) << 16 | uint32_t(y * 8) << 8 | 0x40u);
    struct Row {
        graphics::Rect rect;
        double alpha;
    } rows[] = {{{0, 0, 40, 30}, 1}, {{5, 5, 40, 30}, 1}, {{0, 0, 64, 48}, 1}, {{3.5, 2.25, 20, 15}, 1},
        {{0, 0, 40, 30}, 0.5}};
    for (const auto& row : rows) {
        std::shared_ptr<graphics::Image> drawn[2];
        for (bool opaque : {false, true}) {
            source->setOpaque(opaque);
            drawn[opaque] = graphics::Image::create(70, 60);
            drawn[opaque]->fill(0xFF202020u);
            graphics::GraphicsContext context(*drawn[opaque]);
            context.drawImage(*source, row.rect, row.alpha);
            context.flush();
        }
        EXPECT_EQ(std::memcmp(drawn[0]->data(), drawn[1]->data(), size_t(drawn[0]->stride()) * 60), 0)
            << row.rect.origin.x << "," << row.rect.size.width << " alpha " << row.alpha;
    }
}

} // namespace
