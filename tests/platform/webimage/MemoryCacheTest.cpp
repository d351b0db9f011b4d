#include "platform/webimage/MemoryCache.h"

#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

using webimage::MemoryCache;

namespace {

std::shared_ptr<graphics::Image> image()
{
    return graphics::Image::create(1, 1);
}

TEST(MemoryCacheTest, DropsTheLeastRecentlyUsedPastTheBound)
{
    MemoryCache cache(300);
    auto a = image(), b = image(), c = image();
    cache.insert("a", a, 100);
    cache.insert("b", b, 100);
    cache.insert("c", c, 100);
    EXPECT_EQ(cache.find("a"), a); // a is now the most recent; b the least
    cache.insert("d", image(), 100);
    EXPECT_EQ(cache.find("b"), nullptr);
    EXPECT_EQ(cache.find("a"), a);
    EXPECT_EQ(cache.find("c"), c);
    EXPECT_EQ(cache.totalCost(), 300u);
    EXPECT_EQ(cache.count(), 3u);
}

TEST(MemoryCacheTest, CostsFollowReplacementRemovalAndANewBound)
{
    struct Case {
        const char* name;
        std::function<void(MemoryCache&)> act;
        size_t cost;
        size_t count;
    };
    const Case cases[] = {
        {"replacing a key counts its new cost only", [](MemoryCache& m) { m.insert("a", image(), 250); }, 350,
            2},
        {"an image dearer than the bound is not kept, nor its older copy",
            [](MemoryCache& m) { m.insert("a", image(), 1001); }, 100, 1},
        {"a lower bound drops the oldest", [](MemoryCache& m) { m.setMaxCost(150); }, 100, 1},
        {"removal", [](MemoryCache& m) { m.remove("b"); }, 100, 1},
        {"removing an absent key", [](MemoryCache& m) { m.remove("zz"); }, 200, 2},
        {"clear", [](MemoryCache& m) { m.clear(); }, 0, 0},
    };
    for (const auto& c : cases) {
        MemoryCache cache(1000);
        cache.insert("a", image(), 100);
        cache.insert("b", image(), 100);
        c.act(cache);
        EXPECT_EQ(cache.totalCost(), c.cost) << c.name;
        EXPECT_EQ(cache.count(), c.count) << c.name;
    }
}

} // namespace
